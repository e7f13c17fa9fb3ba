// A voice with its own engine state, driven the way the engine drives it: a control tick every
// L samples, then a render of L samples. Section pitch modulation stays 0 unless a test sets it.
#pragma once

#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <vector>

#include "dsp/EngineState.h"
#include "dsp/EngineTables.h"
#include "voice/Voice.h"

namespace sorvel::test {

constexpr double kPi = std::numbers::pi;

struct Sections {
  std::vector<double> synthe, instrument;
};

class VoiceRig {
 public:
  explicit VoiceRig(double rate = 44100) : rate_(rate) {
    state.tables = EngineTables::forRate(rate);
    voice = std::make_unique<Voice>(state);
    voice->setSampleRate(rate);
    for (int ch = 0; ch < kChannelCount; ++ch) {
      preset(ch, kPresetGain, 1.0);
      preset(ch, kPresetCutoff, 1.0);  // filter wide open
      preset(ch, kPresetFilter2, 0.0);  // no resonance
      preset(ch, kPresetEnvToFilter, 0.0);
      preset(ch, kPresetAttack, 0.0);  // fastest attack
      preset(ch, kPresetDecay, 2.0);
      preset(ch, kPresetSustain, 1.0);
      preset(ch, kPresetRelease, 0.01);
    }
    voice->setParameter(kLfoDepth, 128);
    voice->setParameter(kLfoDelay, 1250);  // "LFO Dly" default 0.25 x 5 x 1000
    voice->setParameter(kPortamentoTime, 0.05);  // "Porta T." default
    voice->setParameter(kClaviWidth, 0.55);  // "16'ClaPW" default
  }

  double rate() const { return rate_; }
  int period() const { return static_cast<int>(rate_) / 1000; }

  void preset(int channel, PresetSlot slot, double value) {
    voice->setParameter(presetParameter(channel, slot), value);
  }
  void enable(int channel, bool on = true) { voice->setParameter(presetSwitch(channel), on ? 1.0 : 0.0); }
  void enableOnly(int channel) {
    for (int ch = 0; ch < kChannelCount; ++ch) enable(ch, ch == channel);
  }
  void play(int note, int velocity = 127) { voice->start(note, velocity, ++serial_, note * 128.0); }

  // Runs whole control periods: a tick, then a render of one period.
  Sections run(int periods) {
    const int L = period();
    Sections out{std::vector<double>(static_cast<std::size_t>(periods) * L, 0.0),
                 std::vector<double>(static_cast<std::size_t>(periods) * L, 0.0)};
    for (int p = 0; p < periods; ++p) {
      voice->controlTick();
      voice->render(out.synthe.data() + p * L, out.instrument.data() + p * L, L);
    }
    return out;
  }

  EngineState state;
  std::unique_ptr<Voice> voice;

 private:
  double rate_;
  int serial_ = 0;
};

inline void radix2(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> w = std::polar(1.0, -2 * kPi / static_cast<double>(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> wk = 1;
      for (std::size_t k = 0; k < len / 2; ++k) {
        const auto u = a[i + k], v = a[i + k + len / 2] * wk;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        wk *= w;
      }
    }
  }
}

// Frequency of the strongest spectral peak of the first 32768 samples (Hann window), refined by a
// golden-section search of the windowed spectrum around the peak bin.
inline double strongestFrequency(const std::vector<double>& signal, double rate, std::size_t skip = 0) {
  const std::size_t n = 32768;
  std::vector<double> windowed(n);
  for (std::size_t i = 0; i < n; ++i) {
    windowed[i] = signal[skip + i] * (0.5 - 0.5 * std::cos(2 * kPi * i / n));
  }
  std::vector<std::complex<double>> spectrum(windowed.begin(), windowed.end());
  radix2(spectrum);
  std::size_t peak = 2;
  for (std::size_t k = 2; k < n / 2; ++k) {
    if (std::abs(spectrum[k]) > std::abs(spectrum[peak])) peak = k;
  }
  auto magnitude = [&](double bin) {
    std::complex<double> sum = 0;
    const double w = -2 * kPi * bin / n;
    for (std::size_t i = 0; i < n; ++i) sum += windowed[i] * std::polar(1.0, w * i);
    return std::abs(sum);
  };
  double lo = peak - 1.0, hi = peak + 1.0;
  const double g = (std::sqrt(5.0) - 1) / 2;
  for (int it = 0; it < 30; ++it) {
    const double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
    if (magnitude(a) > magnitude(b)) {
      hi = b;
    } else {
      lo = a;
    }
  }
  return (lo + hi) / 2 * rate / n;
}

inline double rms(const std::vector<double>& v, std::size_t from = 0, std::size_t to = 0) {
  if (to == 0) to = v.size();
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += v[i] * v[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

inline bool allFinite(const std::vector<double>& v) {
  for (double x : v) {
    if (!std::isfinite(x)) return false;
  }
  return true;
}

// Fraction of samples above the signal's mean: the duty cycle of a pulse.
inline double dutyCycle(const std::vector<double>& v, std::size_t from) {
  double mean = 0;
  for (std::size_t i = from; i < v.size(); ++i) mean += v[i];
  mean /= static_cast<double>(v.size() - from);
  std::size_t high = 0;
  for (std::size_t i = from; i < v.size(); ++i) high += v[i] > mean;
  return static_cast<double>(high) / static_cast<double>(v.size() - from);
}

}  // namespace sorvel::test
