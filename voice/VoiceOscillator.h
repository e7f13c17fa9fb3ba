// A 28-bit phase accumulator read through the band-limited sawtooth tables: sawtooth and pulse
// (difference of two sawtooth readings half a period apart, scaled by the width) at a footage
// shift of 0 (32') to 3 (4').
#pragma once

#include <cstdint>

#include "dsp/EngineTables.h"
#include "voice/OscillatorKernels.h"

namespace sorvel {

struct VoiceOscillator {
  static constexpr std::uint32_t kPhaseMask = 0x0FFFFFFF;
  static constexpr int kStalePitch = -2;  // no pitch index maps to it: forces the next update
  static constexpr int kTopTable = 10;    // the highest table level

  int pitchOffset1 = 0;  // whole pitch units
  int pitchOffset2 = 0;
  int tableLevel = 0;    // 0..10
  int cachedPitchIndex = kStalePitch;
  std::uint32_t phase = 0;
  std::int32_t increment = 0;  // phase units per sample

  // Takes the increment and table level for a pitch (pitch units, before truncation); a pitch
  // that is not a number counts as the lowest entry.
  void updatePitch(double pitch, const EngineTables& tables);

  // Fill out[0..count) from the stored phase, which is left unchanged.
  void sawtooth(const EngineTables& tables, int shift, double* out, int count) const;
  void pulse(const EngineTables& tables, int shift, double width, double* out, int count) const;
  // What those two write, for reading later (while the phase is unchanged).
  OscillatorSource sawtoothSource(const EngineTables& tables, int shift) const {
    return {waveTable(tables, shift), phase, phase, static_cast<std::uint32_t>(increment), shift, false};
  }
  OscillatorSource pulseSource(const EngineTables& tables, int shift, double width) const {
    return {waveTable(tables, shift), phase, laggedPhase(shift, width), static_cast<std::uint32_t>(increment), shift,
            true};
  }
  // The band-limited table for the table level at the footage shift.
  const double* waveTable(const EngineTables& tables, int shift) const {
    const int t = tableLevel + shift;
    return tables.wave[static_cast<std::size_t>(t > kTopTable ? kTopTable : t)].data();
  }
  // The pulse's second phase: width half periods of the footage behind the phase.
  std::uint32_t laggedPhase(int shift, double width) const {
    if (!(width >= 0.0 && width <= 1.0)) return phase;  // also not a number: both phases equal, silence
    const double halfPeriod = static_cast<double>(4096 << (15 - shift));
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(static_cast<double>(phase) - halfPeriod * width)) &
           kPhaseMask;
  }

  // Moves the phase on by count samples.
  void advance(int count) {
    phase = (phase + static_cast<std::uint32_t>(count) * static_cast<std::uint32_t>(increment)) & kPhaseMask;
  }

  // Pitch index from a pitch, clamped to -1 .. 17281 (both ends already map to the end entries).
  static int pitchIndex(double pitch);
};

// count samples of white noise from the process-wide noise generator.
void whiteNoise(double* out, int count);

}  // namespace sorvel
