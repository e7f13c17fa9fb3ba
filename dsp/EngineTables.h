// The engine's lookup tables: pitch to phase increment, pitch to pre-warped filter cutoff and the
// band-limited sawtooth tables, plus the pitch <-> hertz conversions and the shared sine table.
// Each sample rate gets its own immutable set, shared read-only by every instance at that rate.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace sorvel {

constexpr int kSemitoneTableSize = 136;
constexpr int kTopPitch = 17280;                  // 135 semitones in 1/128 semitone
constexpr int kPitchTableSize = kTopPitch + 1;    // 17281 entries, pitch 0 to 17280
constexpr int kWaveTableCount = 11;               // table t holds 2^(10 - t) harmonics
constexpr int kWaveTableSize = 4096;
// No filter cutoff goes beyond this share of the sample rate: nearer half the rate the pre-warped
// cutoff grows without bound and the filter sections turn unstable.
constexpr double kHighestCutoffShare = 0.49;

struct EngineTables {
  double sampleRate = 0;
  std::vector<std::int32_t> pitchIncrement;   // 28-bit phase step per sample at pitch p
  std::vector<double> cutoff;                 // tan(pi f(p) / rate)
  std::array<std::vector<double>, kWaveTableCount> wave;

  // The tables of one sample rate, built on first use and kept for later callers. Takes a lock:
  // call it from Reset, never from the audio thread. A rate that is not a positive finite number
  // gets the 44100 Hz tables.
  static std::shared_ptr<const EngineTables> forRate(double sampleRate);
};

// Pitch (1/128 semitone, 0 = 8.176 Hz) to hertz, interpolating the semitone tables; held at
// 19912.127 Hz from pitch 17280 up and at 0.0033570162 Hz from -17280 down.
double pitchToFrequency(double p);

// The pitch whose frequency comes nearest to hz by binary search; lies in 1 to 17279.
double frequencyToPitch(double hz);

// sin(2 pi i / 4096) for i = 0 to 4095; built once, safe to call from any thread.
const double* sineTable();

}  // namespace sorvel
