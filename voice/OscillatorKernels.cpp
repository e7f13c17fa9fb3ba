// The scalar oscillator loops: four samples per pass, each from its own phase, so the loads and
// integer steps of neighbouring samples overlap.
#include "voice/OscillatorKernels.h"

#include "dsp/Random.h"

namespace sorvel {

namespace {

constexpr std::uint32_t kPhaseMask = 0x0FFFFFFF;  // 28-bit phase

inline std::uint32_t tableIndex(std::uint32_t phase, int shift) { return ((phase << shift) >> 16) & 0xFFF; }

void sawtoothScalar(const double* table, std::uint32_t phase, std::uint32_t step, int shift, double* out, int count) {
  std::uint32_t p = phase;
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const std::uint32_t p1 = (p + step) & kPhaseMask;
    const std::uint32_t p2 = (p + 2 * step) & kPhaseMask;
    const std::uint32_t p3 = (p + 3 * step) & kPhaseMask;
    out[i] = table[tableIndex(p, shift)];
    out[i + 1] = table[tableIndex(p1, shift)];
    out[i + 2] = table[tableIndex(p2, shift)];
    out[i + 3] = table[tableIndex(p3, shift)];
    p = (p + 4 * step) & kPhaseMask;
  }
  for (; i < count; ++i) {
    out[i] = table[tableIndex(p, shift)];
    p = (p + step) & kPhaseMask;
  }
}

void pulseScalar(const double* table, std::uint32_t phase, std::uint32_t lagged, std::uint32_t step, int shift,
                 double* out, int count) {
  std::uint32_t p = phase;
  std::uint32_t q = lagged;
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    out[i] = table[tableIndex(p, shift)] - table[tableIndex(q, shift)];
    out[i + 1] = table[tableIndex((p + step) & kPhaseMask, shift)] - table[tableIndex((q + step) & kPhaseMask, shift)];
    out[i + 2] =
        table[tableIndex((p + 2 * step) & kPhaseMask, shift)] - table[tableIndex((q + 2 * step) & kPhaseMask, shift)];
    out[i + 3] =
        table[tableIndex((p + 3 * step) & kPhaseMask, shift)] - table[tableIndex((q + 3 * step) & kPhaseMask, shift)];
    p = (p + 4 * step) & kPhaseMask;
    q = (q + 4 * step) & kPhaseMask;
  }
  for (; i < count; ++i) {
    out[i] = table[tableIndex(p, shift)] - table[tableIndex(q, shift)];
    p = (p + step) & kPhaseMask;
    q = (q + step) & kPhaseMask;
  }
}

void noiseScalar(std::uint32_t state, double* out, int count) {
  constexpr std::uint32_t kStep1 = RandomGenerator::kMultiplier;
  constexpr std::uint32_t kStep2 = 282475249;   // 16807^2 modulo 2^32
  constexpr std::uint32_t kStep3 = 1622647863;  // 16807^3
  constexpr std::uint32_t kStep4 = 0xB87E16E1;  // 16807^4
  std::uint32_t s = state;
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    out[i] = static_cast<std::int32_t>(s * kStep1) * RandomGenerator::kScale;
    out[i + 1] = static_cast<std::int32_t>(s * kStep2) * RandomGenerator::kScale;
    out[i + 2] = static_cast<std::int32_t>(s * kStep3) * RandomGenerator::kScale;
    out[i + 3] = static_cast<std::int32_t>(s * kStep4) * RandomGenerator::kScale;
    s *= kStep4;
  }
  for (; i < count; ++i) {
    s *= kStep1;
    out[i] = static_cast<std::int32_t>(s) * RandomGenerator::kScale;
  }
}

constexpr OscillatorKernels kOscillatorKernelsScalar = {sawtoothScalar, pulseScalar, noiseScalar};

}  // namespace

const OscillatorKernels& oscillatorKernels(VectorLevel level) {
  if (level >= VectorLevel::kAvx512) return kOscillatorKernelsAvx512;
  if (level >= VectorLevel::kAvx2) return kOscillatorKernelsAvx2;
  return kOscillatorKernelsScalar;
}

void OscillatorSource::render(double* out, int count) const {
  const OscillatorKernels& kernels = oscillatorKernels(vectorLevel());
  if (pulse) {
    kernels.pulse(table, phase, lagged, step, shift, out, count);
  } else {
    kernels.sawtooth(table, phase, step, shift, out, count);
  }
}

}  // namespace sorvel
