#include "voice/VoiceOscillator.h"

#include "dsp/EngineTables.h"
#include "dsp/Random.h"

namespace sorvel {

namespace {

constexpr int kTopLevel = 10;

inline int waveTable(int level, int shift) {
  const int t = level + shift;
  return t > kTopLevel ? kTopLevel : t;
}

inline std::uint32_t tableIndex(std::uint32_t phase, int shift) {
  return ((phase << shift) >> 16) & 0xFFF;
}

}  // namespace

int VoiceOscillator::pitchIndex(double pitch) {
  if (!(pitch > -1.0)) return -1;  // also not a number
  if (pitch >= kPitchTableSize) return kPitchTableSize;
  return static_cast<int>(pitch);
}

void VoiceOscillator::updatePitch(double pitch, const EngineTables& tables) {
  const int index = pitchIndex(pitch);
  if (index == cachedPitchIndex) return;
  cachedPitchIndex = index;
  if (index < 0) {
    increment = tables.pitchIncrement[0];
  } else if (index >= kPitchTableSize) {
    increment = tables.pitchIncrement[kPitchTableSize - 1];
  } else {
    increment = tables.pitchIncrement[index];
  }
  // One table level per octave above 2^16 phase units per sample.
  std::int32_t a = increment >> 16;
  int level = 0;
  while (a > 1) {
    a >>= 1;
    ++level;
  }
  tableLevel = level > kTopLevel ? kTopLevel : level;
}

void VoiceOscillator::sawtooth(const EngineTables& tables, int shift, double* out, int count) const {
  const double* table = tables.wave[waveTable(tableLevel, shift)].data();
  const std::uint32_t step = static_cast<std::uint32_t>(increment);
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

void VoiceOscillator::pulse(const EngineTables& tables, int shift, double width, double* out, int count) const {
  const double* table = tables.wave[waveTable(tableLevel, shift)].data();
  const std::uint32_t step = static_cast<std::uint32_t>(increment);
  std::uint32_t p = phase;
  std::uint32_t q = p;  // a width outside 0..1 (or not a number) leaves both phases equal: silence
  if (width >= 0.0 && width <= 1.0) {
    const double halfPeriod = static_cast<double>(4096 << (15 - shift));
    const auto lagged = static_cast<std::int64_t>(static_cast<double>(p) - halfPeriod * width);
    q = static_cast<std::uint32_t>(lagged) & kPhaseMask;
  }
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

void whiteNoise(double* out, int count) {
  constexpr std::uint32_t kStep1 = RandomGenerator::kMultiplier;
  constexpr std::uint32_t kStep2 = 282475249;   // 16807^2 modulo 2^32
  constexpr std::uint32_t kStep3 = 1622647863;  // 16807^3
  constexpr std::uint32_t kStep4 = 0xB87E16E1;  // 16807^4
  if (count <= 0) return;
  // Reserve the whole block's draws with one atomic step, then derive them in order.
  std::uint32_t s = static_cast<std::uint32_t>(noiseRandom().advance(count));
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

}  // namespace sorvel
