// Built with AVX2 (never FMA): a voice's envelopes stepped four at a time, each lane doing the
// scalar step's arithmetic. The rare steps that change an envelope's state go to the scalar code
// (stepEnvelopeFrom, built apart). Nothing else here is shared with code built for other levels.
#include <immintrin.h>

#include <cstring>

#include "voice/ChannelMix.h"

namespace sorvel {

namespace {

using Lanes = double __attribute__((vector_size(32)));
using Mask = long long __attribute__((vector_size(32)));

constexpr int kWidth = 4;
constexpr int kGroups = (kPresetCount + kWidth - 1) / kWidth;
constexpr int kLanes = kGroups * kWidth;
constexpr int kChunk = 64;  // samples whose envelope values are held at a time
constexpr double kAboveOne = 1.0000000000000002;  // the least double above 1: x > 1 is x >= this

inline Lanes load(const double* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store(double* p, Lanes v) { std::memcpy(p, &v, sizeof v); }
inline Lanes broadcast(double x) { return Lanes{x, x, x, x}; }
inline int bits(Mask m) { return _mm256_movemask_pd(_mm256_castsi256_pd(m)); }

// What a lane steps towards, and the bounds past which its step changes state: the scalar step
// takes those. A still lane (idle, or stopped at a bound) repeats its value exactly.
struct LaneSettings {
  double target[kLanes];
  double coefficient[kLanes];
  double high[kLanes];  // the step is handed over when the new value is >= high ...
  double low[kLanes];   // ... or <= low; not a number: never

  void setStill(int lane, double value) {
    target[lane] = value;
    coefficient[lane] = 0.0;
    high[lane] = low[lane] = __builtin_nan("");
  }
  void set(int lane, const Envelope& e) {
    target[lane] = e.target;
    coefficient[lane] = e.coefficient;
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
inline Lanes advance(Lanes value, const LaneSettings& lanes, int g, Mask& crossed) {
  const int at = g * kWidth;
  const Lanes next = value + (load(lanes.target + at) - value) * load(lanes.coefficient + at);
  crossed = (next >= load(lanes.high + at)) | (next <= load(lanes.low + at));
  return next;
}

// A step in which some lane crossed a bound: those lanes are stepped by the scalar code from their
// old values. True when no value and no state changed.
__attribute__((noinline)) bool stepHandingOver(Lanes* value, LaneSettings& lanes, const ChannelMix& mix) {
  bool still = true;
  for (int g = 0; g < kGroups; ++g) {
    Mask crossed;
    const Lanes next = advance(value[g], lanes, g, crossed);
    const int crossing = bits(crossed);
    double old[kWidth], now[kWidth];
    store(old, value[g]);
    store(now, next);
    for (int l = 0; l < kWidth; ++l) {
      if ((crossing & (1 << l)) != 0) {
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
    value[g] = load(now);
  }
  return still;
}

// One step of every lane. True when no value changed: from here on each envelope is fixed.
inline bool stepLanes(Lanes* value, LaneSettings& lanes, const ChannelMix& mix) {
  Lanes next[kGroups];
  Mask anyCrossed = {};
#pragma GCC unroll 8
  for (int g = 0; g < kGroups; ++g) {
    Mask crossed;
    next[g] = advance(value[g], lanes, g, crossed);
    anyCrossed |= crossed;
  }
  if (bits(anyCrossed) != 0) {
    // A copy, so that the lanes' values stay in registers on the common path.
    Lanes copy[kGroups];
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g) copy[g] = value[g];
    const bool still = stepHandingOver(copy, lanes, mix);
#pragma GCC unroll 8
    for (int g = 0; g < kGroups; ++g) value[g] = copy[g];
    return still;
  }
  Mask same = ~Mask{};
#pragma GCC unroll 8
  for (int g = 0; g < kGroups; ++g) {
    same &= next[g] == value[g];
    value[g] = next[g];
  }
  return bits(same) == (1 << kWidth) - 1;
}

// Each playing channel's samples [begin, begin + n) into its bus: up to changing with the held
// per-sample values, after that with the lane's fixed value.
void mixChunk(const ChannelMix& mix, int begin, int n, const double* values, int changing, const double* fixed,
              const bool* constant) {
  for (int i = 0; i < kPresetCount; ++i) {
    if (mix.samples[i] == nullptr) continue;
    const double* samples = mix.samples[i] + begin;
    double* bus = mix.buses[i] + begin;
    const double level = mix.levels[i];
    const Lanes levels = broadcast(level);
    const int from = constant[i] ? 0 : changing;
    int j = 0;
    for (; j + kWidth <= from; j += kWidth) {
      const double* e = values + j * kLanes + i;
      const Lanes envelope = {e[0], e[kLanes], e[2 * kLanes], e[3 * kLanes]};
      store(bus + j, load(bus + j) + load(samples + j) * levels * envelope);
    }
    for (; j < from; ++j) bus[j] += samples[j] * level * values[j * kLanes + i];
    const double steady = constant[i] ? mix.envelopes[i]->value : fixed[i];
    const Lanes steadyLanes = broadcast(steady);
    for (; j + kWidth <= n; j += kWidth) store(bus + j, load(bus + j) + load(samples + j) * levels * steadyLanes);
    for (; j < n; ++j) bus[j] += samples[j] * level * steady;
  }
}

void mixAvx2(const ChannelMix& mix, int count) {
  if (count <= 0) return;
  LaneSettings lanes;
  double start[kLanes];
  bool constant[kLanes];  // idle as the block starts: the envelope's own value throughout
  for (int lane = 0; lane < kLanes; ++lane) {
    const Envelope* envelope = lane < kPresetCount ? mix.envelopes[lane] : nullptr;
    constant[lane] = envelope == nullptr || envelope->state == Envelope::kIdle;
    if (constant[lane]) {
      lanes.setStill(lane, 0.0);
      start[lane] = 0.0;
    } else {
      lanes.set(lane, *envelope);
      start[lane] = envelope->value;
    }
  }
  Lanes value[kGroups];
#pragma GCC unroll 8
  for (int g = 0; g < kGroups; ++g) value[g] = load(start + g * kWidth);

  double values[kChunk * kLanes];
  double fixed[kLanes];  // written when the lanes settle, read only after
  bool settled = false;  // no envelope changes any more: the rest of the block takes fixed
  for (int begin = 0; begin < count; begin += kChunk) {
    const int n = count - begin < kChunk ? count - begin : kChunk;
    int changing = 0;
    if (!settled) {
      for (int j = 0; j < n; ++j) {
        if (begin + j > 0 && stepLanes(value, lanes, mix)) {
          settled = true;
          break;
        }
#pragma GCC unroll 8
        for (int g = 0; g < kGroups; ++g) store(values + j * kLanes + g * kWidth, value[g]);
        changing = j + 1;
      }
      if (settled) {
#pragma GCC unroll 8
        for (int g = 0; g < kGroups; ++g) store(fixed + g * kWidth, value[g]);
      }
    }
    mixChunk(mix, begin, n, values, changing, fixed, constant);
  }

  double end[kLanes];
#pragma GCC unroll 8
  for (int g = 0; g < kGroups; ++g) store(end + g * kWidth, value[g]);
  for (int i = 0; i < kPresetCount; ++i) {
    if (!constant[i]) mix.envelopes[i]->value = end[i];
  }
}

void sectionsAvx2(const double* synthe, const double* instrument, double gain, bool ringModulation,
                  double* syntheOut, double* instrumentOut, int count) {
  const Lanes gains = broadcast(gain);
  int i = 0;
  if (ringModulation) {
    for (; i + kWidth <= count; i += kWidth) {
      const Lanes s = load(synthe + i), in = load(instrument + i);
      store(syntheOut + i, load(syntheOut + i) + s * gains * in);
      store(instrumentOut + i, load(instrumentOut + i) + in * gains);
    }
    for (; i < count; ++i) {
      syntheOut[i] += synthe[i] * gain * instrument[i];
      instrumentOut[i] += instrument[i] * gain;
    }
  } else {
    for (; i + kWidth <= count; i += kWidth) {
      store(syntheOut + i, load(syntheOut + i) + load(synthe + i) * gains);
      store(instrumentOut + i, load(instrumentOut + i) + load(instrument + i) * gains);
    }
    for (; i < count; ++i) {
      syntheOut[i] += synthe[i] * gain;
      instrumentOut[i] += instrument[i] * gain;
    }
  }
}

}  // namespace

const ChannelMixKernels kChannelMixKernelsAvx2{mixAvx2, sectionsAvx2};

}  // namespace sorvel
