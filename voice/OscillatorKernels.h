// The oscillators' inner loops, once the table, phases and step are chosen: a scalar set that is
// the reference, and sets for wider vector levels that give its results to the bit (each lane
// does the scalar integer arithmetic; the only floating-point steps are the table difference and
// the noise scaling, done lane by lane as the scalar code does them).
#pragma once

#include <cstdint>

#include "dsp/VectorLevel.h"

namespace sorvel {

struct OscillatorKernels {
  // out[i] = table entry of (phase + i * step), 28-bit phases read at the footage shift.
  void (*sawtooth)(const double* table, std::uint32_t phase, std::uint32_t step, int shift, double* out, int count);
  // out[i] = the sawtooth at phase minus the sawtooth at lagged, both moving by step.
  void (*pulse)(const double* table, std::uint32_t phase, std::uint32_t lagged, std::uint32_t step, int shift,
                double* out, int count);
  // out[i] = the generator state after i + 1 steps from state, scaled to about -1..1.
  void (*noise)(std::uint32_t state, double* out, int count);
};

// The set for a level the processor has (vectorLevel() or lower).
const OscillatorKernels& oscillatorKernels(VectorLevel level);

// A channel's waveform as the oscillator would write it from its stored phase: a sawtooth, or a
// pulse (the sawtooth at phase minus the sawtooth at lagged). Filter kernels that read it sample by
// sample take it instead of a row; others have it written into the row first.
struct OscillatorSource {
  const double* table = nullptr;  // none: the row already holds the input
  std::uint32_t phase = 0;
  std::uint32_t lagged = 0;
  std::uint32_t step = 0;
  int shift = 0;
  bool pulse = false;

  // out[0..count) at the processor's vector level.
  void render(double* out, int count) const;
};

// The vector sets, each compiled for its instructions in its own file.
extern const OscillatorKernels kOscillatorKernelsAvx2;
extern const OscillatorKernels kOscillatorKernelsAvx512;

}  // namespace sorvel
