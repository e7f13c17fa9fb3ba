// The vector channel mix, written once for every vector width: each vector file includes this
// with its own lane type (Ops), so that each gets its own copy, built for its own instructions
// (everything here has internal linkage). Each lane does the scalar step's arithmetic; the rare
// steps that change an envelope's state go to the scalar code (stepEnvelopeFrom, built apart).
#pragma once

#include <cstring>

#include "voice/ChannelMix.h"

namespace sorvel {
namespace {

// Ops provides: Lanes (Ops::kWidth doubles), Mask (per-lane flags), load, store, broadcast,
// loadFirst(p, n) (lanes from n on neither read nor kept),
// make(f) (lane l is f(l)), strided, crossed(next, high, low) (next >= high or next <= low),
// equal(a, b), select(m, a, b) (a where m), either, both, bits, any, all, lane.
template <typename Ops>
struct ChannelMixLanes {
  using Lanes = typename Ops::Lanes;
  using Mask = typename Ops::Mask;
  static constexpr int kWidth = Ops::kWidth;
  static constexpr int kGroups = (kPresetCount + kWidth - 1) / kWidth;
  static constexpr int kLanes = kGroups * kWidth;
  static constexpr int kChunk = 64;  // samples whose envelope values are held at a time
  static constexpr double kAboveOne = 1.0000000000000002;  // the least double above 1: x > 1 is x >= this

  // What a lane steps towards, and the bounds past which its step changes state: the scalar step
  // takes those. A still lane (idle, or stopped at a bound) repeats its value exactly.
  struct Settings {
    double target[kLanes];
    double coefficient[kLanes];
    double high[kLanes];  // the step is handed over when the new value is >= high ...
    double low[kLanes];   // ... or <= low; not a number: never
    // Lanes whose steps may overshoot their target (a coefficient outside [0, 0.5]) or that
    // start beyond a bound. The other lanes approach their targets without passing them, so a
    // lane past a bound after some steps was past it after each later one as well.
    unsigned harsh = 0;

    void setHarsh(int lane, bool on) { harsh = on ? harsh | 1u << lane : harsh & ~(1u << lane); }
    void setStill(int lane, double value) {
      target[lane] = value;
      coefficient[lane] = 0.0;
      high[lane] = low[lane] = __builtin_nan("");
      setHarsh(lane, false);
    }
    void set(int lane, const Envelope& e) {
      target[lane] = e.target;
      coefficient[lane] = e.coefficient;
      setHarsh(lane, !(e.coefficient >= 0.0 && e.coefficient <= 0.5));
      if (e.state == Envelope::kAttack) {
        high[lane] = 1.0;
        low[lane] = __builtin_nan("");
      } else {
        high[lane] = kAboveOne;
        low[lane] = 0.0;
      }
    }
  };

  // One step of group g's lanes, and which of them crossed a bound.
  static Lanes advance(Lanes value, const Settings& lanes, int g, Mask& crossed) {
    const int at = g * kWidth;
    const Lanes next = value + (Ops::load(lanes.target + at) - value) * Ops::load(lanes.coefficient + at);
    crossed = Ops::crossed(next, Ops::load(lanes.high + at), Ops::load(lanes.low + at));
    return next;
  }

  // A step in which some lane crossed a bound: those lanes are stepped by the scalar code from
  // their old values. True when no value and no state changed.
  __attribute__((noinline)) static bool stepHandingOver(Lanes* value, Settings& lanes, const ChannelMix& mix) {
    bool still = true;
    for (int g = 0; g < kGroups; ++g) {
      Mask crossed;
      const Lanes next = advance(value[g], lanes, g, crossed);
      double old[kWidth], now[kWidth];
      Ops::store(old, value[g]);
      Ops::store(now, next);
      for (int l = 0; l < kWidth; ++l) {
        if (Ops::lane(crossed, l)) {
          const int lane = g * kWidth + l;
          Envelope& envelope = *mix.envelopes[lane];
          const bool stood = stepEnvelopeFrom(envelope, old[l]);
          now[l] = envelope.value;
          if (stood || envelope.state == Envelope::kIdle) {
            lanes.setStill(lane, envelope.value);
          } else {
            lanes.set(lane, envelope);
          }
          still = still && stood;
        } else {
          still = still && now[l] == old[l];
        }
      }
      value[g] = Ops::load(now);
    }
    return still;
  }

  // One step of every lane. True when no value changed: from here on each envelope is fixed.
  static bool step(Lanes* value, Settings& lanes, const ChannelMix& mix) {
    Lanes next[kGroups];
    Mask crossed[kGroups];
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g) next[g] = advance(value[g], lanes, g, crossed[g]);
    Mask anyCrossed = crossed[0];
#pragma GCC unroll 8
    for (int g = 1; g < kGroups; ++g) anyCrossed = Ops::either(anyCrossed, crossed[g]);
    if (Ops::any(anyCrossed)) {
      // A copy, so that the lanes' values stay in registers on the common path.
      Lanes copy[kGroups];
#pragma GCC unroll 8
      for (int g = 0; g < kGroups; ++g) copy[g] = value[g];
      const bool still = stepHandingOver(copy, lanes, mix);
#pragma GCC unroll 8
      for (int g = 0; g < kGroups; ++g) value[g] = copy[g];
      return still;
    }
    Mask same = Ops::equal(next[0], value[0]);
#pragma GCC unroll 8
    for (int g = 1; g < kGroups; ++g) same = Ops::both(same, Ops::equal(next[g], value[g]));
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g) value[g] = next[g];
    return Ops::all(same);
  }

  static constexpr int kBatch = 8;  // steps taken before the lanes are checked

  // steps (at most kBatch) steps of every lane, each step's values stored at out (kLanes apart),
  // when no lane is harsh and none ends the steps past a bound (so none passed one on the way):
  // then true, with still telling whether the last step changed no value. Otherwise false, with
  // value untouched.
  static bool tryBatch(Lanes* value, const Settings& lanes, int steps, double* out, bool& still) {
    if (lanes.harsh != 0) return false;
    Lanes next[kGroups], before[kGroups];
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g) next[g] = value[g];
#pragma GCC unroll 8
    for (int s = 0; s < steps; ++s) {
#pragma GCC unroll 8
      for (int g = 0; g < kGroups; ++g) {
        const int at = g * kWidth;
        before[g] = next[g];
        next[g] = next[g] + (Ops::load(lanes.target + at) - next[g]) * Ops::load(lanes.coefficient + at);
        Ops::store(out + s * kLanes + at, next[g]);
      }
    }
    Mask crossed = Ops::crossed(next[0], Ops::load(lanes.high), Ops::load(lanes.low));
#pragma GCC unroll 8
    for (int g = 1; g < kGroups; ++g) {
      const int at = g * kWidth;
      const Mask past = Ops::crossed(next[g], Ops::load(lanes.high + at), Ops::load(lanes.low + at));
      crossed = Ops::either(crossed, past);
    }
    if (Ops::any(crossed)) return false;
    Mask same = Ops::equal(next[0], before[0]);
#pragma GCC unroll 8
    for (int g = 1; g < kGroups; ++g) same = Ops::both(same, Ops::equal(next[g], before[g]));
    still = Ops::all(same);
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g) value[g] = next[g];
    return true;
  }

  // Each playing channel's samples [begin, begin + n) into its bus: up to changing with the held
  // per-sample values, after that with the lane's fixed value.
  static void mixChunk(const ChannelMix& mix, int begin, int n, const double* values, int changing,
                       const double* fixed, unsigned constant) {
    for (int i = 0; i < kPresetCount; ++i) {
      if (mix.samples[i] == nullptr) continue;
      const double* samples = mix.samples[i] + begin;
      double* bus = mix.buses[i] + begin;
      const double level = mix.levels[i];
      const Lanes levels = Ops::broadcast(level);
      const bool still = (constant >> i) & 1;
      const int from = still ? 0 : changing;
      int j = 0;
      for (; j + kWidth <= from; j += kWidth) {
        const Lanes envelope = Ops::strided(values + j * kLanes + i, kLanes);
        Ops::store(bus + j, Ops::load(bus + j) + Ops::load(samples + j) * levels * envelope);
      }
      for (; j < from; ++j) bus[j] += samples[j] * level * values[j * kLanes + i];
      const double steady = still ? mix.envelopes[i]->value : fixed[i];
      const Lanes steadyLanes = Ops::broadcast(steady);
      for (; j + kWidth <= n; j += kWidth) {
        Ops::store(bus + j, Ops::load(bus + j) + Ops::load(samples + j) * levels * steadyLanes);
      }
      for (; j < n; ++j) bus[j] += samples[j] * level * steady;
    }
  }

  // Lanes past the last channel: idle, and never written.
  static const Envelope& envelopeAt(const ChannelMix& mix, int lane) {
    static const Envelope kPadding{};
    return lane < kPresetCount ? *mix.envelopes[lane] : kPadding;
  }

  static void mix(const ChannelMix& mix, int count) {
    if (count <= 0) return;
    // The envelopes are read straight into vectors: scalar stores read back as vectors would
    // wait for every store to reach the cache.
    Settings lanes;
    Lanes value[kGroups];
    unsigned constant = 0;  // lanes idle as the block starts: the envelope's own value throughout
    const Lanes zero = Ops::broadcast(0.0), nan = Ops::broadcast(__builtin_nan(""));
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g) {
      const int at = g * kWidth;
      const Lanes state = Ops::make([&](int l) { return double(envelopeAt(mix, at + l).state); });
      const Mask idle = Ops::equal(state, Ops::broadcast(double(Envelope::kIdle)));
      const Mask attack = Ops::equal(state, Ops::broadcast(double(Envelope::kAttack)));
      const Lanes current = Ops::make([&](int l) { return envelopeAt(mix, at + l).value; });
      const Lanes target = Ops::make([&](int l) { return envelopeAt(mix, at + l).target; });
      const Lanes coefficient = Ops::make([&](int l) { return envelopeAt(mix, at + l).coefficient; });
      value[g] = Ops::select(idle, zero, current);
      Ops::store(lanes.target + at, Ops::select(idle, zero, target));
      Ops::store(lanes.coefficient + at, Ops::select(idle, zero, coefficient));
      const Lanes high = Ops::select(attack, Ops::broadcast(1.0), Ops::broadcast(kAboveOne));
      Ops::store(lanes.high + at, Ops::select(idle, nan, high));
      Ops::store(lanes.low + at, Ops::select(idle, nan, Ops::select(attack, nan, zero)));
      constant |= static_cast<unsigned>(Ops::bits(idle)) << at;
      const Mask startsPast = Ops::crossed(value[g], Ops::load(lanes.high + at), Ops::load(lanes.low + at));
      lanes.harsh |= static_cast<unsigned>(Ops::bits(startsPast)) << at;
    }
    for (int lane = 0; lane < kLanes; ++lane) {
      const double c = lanes.coefficient[lane];
      if (!(c >= 0.0 && c <= 0.5)) lanes.harsh |= 1u << lane;
    }

    double values[kChunk * kLanes];
    double fixed[kLanes];  // written when the lanes settle, read only after
    bool settled = false;  // no envelope changes any more: the rest of the block takes fixed
    for (int begin = 0; begin < count; begin += kChunk) {
      const int n = count - begin < kChunk ? count - begin : kChunk;
      int changing = 0;
      if (!settled) {
        int j = 0;
        if (begin == 0) {  // the first sample takes the envelopes as they stand
#pragma GCC unroll 8
          for (int g = 0; g < kGroups; ++g) Ops::store(values + g * kWidth, value[g]);
          changing = j = 1;
        }
        // Steps in batches; once a step changes nothing, every further step would repeat it, so
        // values found settled at a batch's end are those the steps after the settling gave.
        while (j < n && !settled) {
          const int steps = n - j < kBatch ? n - j : kBatch;
          if (tryBatch(value, lanes, steps, values + j * kLanes, settled)) {
            changing = j += steps;
            continue;
          }
          // Some lane crosses a bound: the batch again step by step, the scalar code taking the
          // crossing lanes.
          for (const int end = j + steps; j < end; ++j) {
            if (step(value, lanes, mix)) {
              settled = true;
              break;
            }
#pragma GCC unroll 8
            for (int g = 0; g < kGroups; ++g) Ops::store(values + j * kLanes + g * kWidth, value[g]);
            changing = j + 1;
          }
        }
        if (settled) {
#pragma GCC unroll 8
          for (int g = 0; g < kGroups; ++g) Ops::store(fixed + g * kWidth, value[g]);
        }
      }
      mixChunk(mix, begin, n, values, changing, fixed, constant);
    }

    double end[kLanes];
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g) Ops::store(end + g * kWidth, value[g]);
    for (int i = 0; i < kPresetCount; ++i) {
      if (((constant >> i) & 1) == 0) mix.envelopes[i]->value = end[i];
    }
  }

  // The steady mix's inputs, one entry per playing channel.
  struct Steady {
    const double* samples[kPresetCount];
    double levels[kPresetCount], values[kPresetCount];
    int synthePlaying, playing;
    double gain;
    bool ringModulation;
  };

  static constexpr int kSteadyBlock = 6;  // vectors summed side by side

  // N vectors of samples from j, the last of them holding only its first last samples: every
  // channel is added into all N sums before the next channel, so that the sums' chains overlap.
  template <int N>
  static void steadyBlock(const Steady& in, int j, int last, double* syntheOut, double* instrumentOut) {
    auto at = [&](const double* p, int v) {
      return v == N - 1 ? Ops::loadFirst(p + j + v * kWidth, last) : Ops::load(p + j + v * kWidth);
    };
    Lanes synthe[N], instrument[N];
#pragma GCC unroll 8
    for (int v = 0; v < N; ++v) synthe[v] = instrument[v] = Ops::broadcast(0.0);
    for (int k = 0; k < in.synthePlaying; ++k) {
      const Lanes level = Ops::broadcast(in.levels[k]), value = Ops::broadcast(in.values[k]);
#pragma GCC unroll 8
      for (int v = 0; v < N; ++v) synthe[v] = synthe[v] + at(in.samples[k], v) * level * value;
    }
    for (int k = in.synthePlaying; k < in.playing; ++k) {
      const Lanes level = Ops::broadcast(in.levels[k]), value = Ops::broadcast(in.values[k]);
#pragma GCC unroll 8
      for (int v = 0; v < N; ++v) instrument[v] = instrument[v] + at(in.samples[k], v) * level * value;
    }
    const Lanes gains = Ops::broadcast(in.gain);
    const bool ring = in.ringModulation;
#pragma GCC unroll 8
    for (int v = 0; v < N; ++v) {
      const Lanes syntheGained = ring ? synthe[v] * gains * instrument[v] : synthe[v] * gains;
      const Lanes instrumentGained = instrument[v] * gains;
      double* syntheAt = syntheOut + j + v * kWidth;
      double* instrumentAt = instrumentOut + j + v * kWidth;
      if (v < N - 1 || last == kWidth) {
        Ops::store(syntheAt, Ops::load(syntheAt) + syntheGained);
        Ops::store(instrumentAt, Ops::load(instrumentAt) + instrumentGained);
      } else {
        // Scalar, so that the next voice's loads of these samples take them from these stores
        // (a masked store cannot hand its data on to a load).
        double syntheAdd[kWidth], instrumentAdd[kWidth];
        Ops::store(syntheAdd, syntheGained);
        Ops::store(instrumentAdd, instrumentGained);
        for (int l = 0; l < last; ++l) {
          syntheAt[l] += syntheAdd[l];
          instrumentAt[l] += instrumentAdd[l];
        }
      }
    }
  }

  static void mixSteady(const ChannelMix& mix, double gain, bool ringModulation, double* syntheOut,
                        double* instrumentOut, int count) {
    Steady in;
    in.playing = mix.playingCount;
    in.synthePlaying = mix.synthePlaying;
    in.gain = gain;
    in.ringModulation = ringModulation;
    for (int k = 0; k < in.playing; ++k) {
      const int i = mix.playing[k];
      in.samples[k] = mix.samples[i];
      in.levels[k] = mix.levels[i];
      in.values[k] = mix.steadyValues[i];
    }
    int j = 0;
    for (; count - j > kSteadyBlock * kWidth; j += kSteadyBlock * kWidth) {
      steadyBlock<kSteadyBlock>(in, j, kWidth, syntheOut, instrumentOut);
    }
    if (count <= j) return;
    const int vectors = (count - j + kWidth - 1) / kWidth;
    const int last = count - j - (vectors - 1) * kWidth;
    switch (vectors) {
      case 1: steadyBlock<1>(in, j, last, syntheOut, instrumentOut); break;
      case 2: steadyBlock<2>(in, j, last, syntheOut, instrumentOut); break;
      case 3: steadyBlock<3>(in, j, last, syntheOut, instrumentOut); break;
      case 4: steadyBlock<4>(in, j, last, syntheOut, instrumentOut); break;
      case 5: steadyBlock<5>(in, j, last, syntheOut, instrumentOut); break;
      default: steadyBlock<6>(in, j, last, syntheOut, instrumentOut); break;
    }
  }

  // The steady mix of each voice in turn over N vectors from j (the last holding only its first last
  // samples): the outputs are loaded once, take every voice's gained sums in voice order, and are
  // stored once.
  template <int N>
  static void steadyVoicesBlock(const SteadyVoice* voices, int voiceCount, int j, int last, double* syntheOut,
                                double* instrumentOut) {
    auto at = [&](const double* p, int v) {
      return v == N - 1 ? Ops::loadFirst(p + j + v * kWidth, last) : Ops::load(p + j + v * kWidth);
    };
    Lanes syntheTotal[N], instrumentTotal[N];
#pragma GCC unroll 8
    for (int v = 0; v < N; ++v) {
      syntheTotal[v] = at(syntheOut, v);
      instrumentTotal[v] = at(instrumentOut, v);
    }
    for (int voice = 0; voice < voiceCount; ++voice) {
      const ChannelMix& mix = *voices[voice].mix;
      Lanes synthe[N], instrument[N];
#pragma GCC unroll 8
      for (int v = 0; v < N; ++v) synthe[v] = instrument[v] = Ops::broadcast(0.0);
      for (int k = 0; k < mix.synthePlaying; ++k) {
        const int i = mix.playing[k];
        const Lanes level = Ops::broadcast(mix.levels[i]), value = Ops::broadcast(mix.steadyValues[i]);
#pragma GCC unroll 8
        for (int v = 0; v < N; ++v) synthe[v] = synthe[v] + at(mix.samples[i], v) * level * value;
      }
      for (int k = mix.synthePlaying; k < mix.playingCount; ++k) {
        const int i = mix.playing[k];
        const Lanes level = Ops::broadcast(mix.levels[i]), value = Ops::broadcast(mix.steadyValues[i]);
#pragma GCC unroll 8
        for (int v = 0; v < N; ++v) instrument[v] = instrument[v] + at(mix.samples[i], v) * level * value;
      }
      const Lanes gains = Ops::broadcast(voices[voice].gain);
      if (voices[voice].ringModulation) {
#pragma GCC unroll 8
        for (int v = 0; v < N; ++v) syntheTotal[v] = syntheTotal[v] + synthe[v] * gains * instrument[v];
      } else {
#pragma GCC unroll 8
        for (int v = 0; v < N; ++v) syntheTotal[v] = syntheTotal[v] + synthe[v] * gains;
      }
#pragma GCC unroll 8
      for (int v = 0; v < N; ++v) instrumentTotal[v] = instrumentTotal[v] + instrument[v] * gains;
    }
#pragma GCC unroll 8
    for (int v = 0; v < N; ++v) {
      double* syntheAt = syntheOut + j + v * kWidth;
      double* instrumentAt = instrumentOut + j + v * kWidth;
      if (v < N - 1 || last == kWidth) {
        Ops::store(syntheAt, syntheTotal[v]);
        Ops::store(instrumentAt, instrumentTotal[v]);
      } else {
        double syntheAll[kWidth], instrumentAll[kWidth];
        Ops::store(syntheAll, syntheTotal[v]);
        Ops::store(instrumentAll, instrumentTotal[v]);
        for (int l = 0; l < last; ++l) {
          syntheAt[l] = syntheAll[l];
          instrumentAt[l] = instrumentAll[l];
        }
      }
    }
  }

  static void mixSteadyVoices(const SteadyVoice* voices, int voiceCount, double* syntheOut, double* instrumentOut,
                              int count) {
    int j = 0;
    for (; count - j > kSteadyBlock * kWidth; j += kSteadyBlock * kWidth) {
      steadyVoicesBlock<kSteadyBlock>(voices, voiceCount, j, kWidth, syntheOut, instrumentOut);
    }
    if (count <= j) return;
    const int vectors = (count - j + kWidth - 1) / kWidth;
    const int last = count - j - (vectors - 1) * kWidth;
    switch (vectors) {
      case 1: steadyVoicesBlock<1>(voices, voiceCount, j, last, syntheOut, instrumentOut); break;
      case 2: steadyVoicesBlock<2>(voices, voiceCount, j, last, syntheOut, instrumentOut); break;
      case 3: steadyVoicesBlock<3>(voices, voiceCount, j, last, syntheOut, instrumentOut); break;
      case 4: steadyVoicesBlock<4>(voices, voiceCount, j, last, syntheOut, instrumentOut); break;
      case 5: steadyVoicesBlock<5>(voices, voiceCount, j, last, syntheOut, instrumentOut); break;
      default: steadyVoicesBlock<6>(voices, voiceCount, j, last, syntheOut, instrumentOut); break;
    }
  }

  static void sections(const double* synthe, const double* instrument, double gain, bool ringModulation,
                       double* syntheOut, double* instrumentOut, int count) {
    const Lanes gains = Ops::broadcast(gain);
    int i = 0;
    if (ringModulation) {
      for (; i + kWidth <= count; i += kWidth) {
        const Lanes s = Ops::load(synthe + i), in = Ops::load(instrument + i);
        Ops::store(syntheOut + i, Ops::load(syntheOut + i) + s * gains * in);
        Ops::store(instrumentOut + i, Ops::load(instrumentOut + i) + in * gains);
      }
      for (; i < count; ++i) {
        syntheOut[i] += synthe[i] * gain * instrument[i];
        instrumentOut[i] += instrument[i] * gain;
      }
    } else {
      for (; i + kWidth <= count; i += kWidth) {
        Ops::store(syntheOut + i, Ops::load(syntheOut + i) + Ops::load(synthe + i) * gains);
        Ops::store(instrumentOut + i, Ops::load(instrumentOut + i) + Ops::load(instrument + i) * gains);
      }
      for (; i < count; ++i) {
        syntheOut[i] += synthe[i] * gain;
        instrumentOut[i] += instrument[i] * gain;
      }
    }
  }
};

}  // namespace
}  // namespace sorvel
