// Eight 32-bit oscillator phases side by side in an AVX2 register, for the oscillator kernels of
// every vector level. Include only from files built with AVX2 or more; everything here has internal
// linkage, so each kernel file keeps its own copy compiled for its own level.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "dsp/Random.h"

namespace sorvel {
namespace {

constexpr int kLanes = 8;

constexpr std::uint32_t power(std::uint32_t base, int exponent) {
  std::uint32_t result = 1;
  for (int i = 0; i < exponent; ++i) result *= base;
  return result;
}

inline __m256i set1(std::uint32_t value) { return _mm256_set1_epi32(static_cast<int>(value)); }

// The phases phase, phase + step, ... phase + 7 step, wrapped to 28 bits.
inline __m256i firstPhases(std::uint32_t phase, std::uint32_t step) {
  const __m256i offsets = _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), set1(step));
  return _mm256_and_si256(_mm256_add_epi32(set1(phase), offsets), set1(0x0FFFFFFF));
}

inline __m256i tableIndices(__m256i phases, __m128i shift) {
  return _mm256_and_si256(_mm256_srli_epi32(_mm256_sll_epi32(phases, shift), 16), set1(0xFFF));
}

// The noise generator's first eight states from the one before them.
inline __m256i firstNoiseStates(std::uint32_t state) {
  constexpr std::uint32_t m = RandomGenerator::kMultiplier;
  const __m256i powers = _mm256_setr_epi32(static_cast<int>(power(m, 1)), static_cast<int>(power(m, 2)),
                                           static_cast<int>(power(m, 3)), static_cast<int>(power(m, 4)),
                                           static_cast<int>(power(m, 5)), static_cast<int>(power(m, 6)),
                                           static_cast<int>(power(m, 7)), static_cast<int>(power(m, 8)));
  return _mm256_mullo_epi32(set1(state), powers);
}

// What moves every lane's noise state on by eight draws.
inline __m256i noiseStride() { return set1(power(RandomGenerator::kMultiplier, kLanes)); }

}  // namespace
}  // namespace sorvel
