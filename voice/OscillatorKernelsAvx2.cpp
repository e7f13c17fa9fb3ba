// Built with AVX2 (never FMA): eight phases side by side in 32-bit lanes, their table entries
// gathered four at a time. Only the plain kernel table is seen by code built for other levels
// (PhaseLanes.h's helpers have internal linkage).
#include <immintrin.h>

#include "voice/OscillatorKernels.h"
#include "voice/PhaseLanes.h"

namespace sorvel {

namespace {

// Gathers start from zeros in all four lanes rather than from an undefined register (whose
// intrinsic the compiler warns about).
inline __m256d gather(const double* table, __m128i indices) {
  const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
  return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), table, indices, all, 8);
}
inline __m256d gatherLow(const double* table, __m256i indices) { return gather(table, _mm256_castsi256_si128(indices)); }
inline __m256d gatherHigh(const double* table, __m256i indices) {
  return gather(table, _mm256_extracti128_si256(indices, 1));
}

// The first count (< 8) of eight values computed in full.
inline void storeFirst(double* out, __m256d low, __m256d high, int count) {
  double lanes[kLanes];
  _mm256_storeu_pd(lanes, low);
  _mm256_storeu_pd(lanes + 4, high);
  for (int i = 0; i < count; ++i) out[i] = lanes[i];
}

void sawtooth(const double* table, std::uint32_t phase, std::uint32_t step, int shift, double* out, int count) {
  const __m128i by = _mm_cvtsi32_si128(shift);
  const __m256i mask = set1(0x0FFFFFFF);
  const __m256i stride = set1(kLanes * step);
  __m256i p = firstPhases(phase, step);
  int i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    const __m256i at = tableIndices(p, by);
    _mm256_storeu_pd(out + i, gatherLow(table, at));
    _mm256_storeu_pd(out + i + 4, gatherHigh(table, at));
    p = _mm256_and_si256(_mm256_add_epi32(p, stride), mask);
  }
  if (i < count) {
    const __m256i at = tableIndices(p, by);
    storeFirst(out + i, gatherLow(table, at), gatherHigh(table, at), count - i);
  }
}

void pulse(const double* table, std::uint32_t phase, std::uint32_t lagged, std::uint32_t step, int shift, double* out,
           int count) {
  const __m128i by = _mm_cvtsi32_si128(shift);
  const __m256i mask = set1(0x0FFFFFFF);
  const __m256i stride = set1(kLanes * step);
  __m256i p = firstPhases(phase, step);
  __m256i q = firstPhases(lagged, step);
  int i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    const __m256i at = tableIndices(p, by);
    const __m256i lagAt = tableIndices(q, by);
    _mm256_storeu_pd(out + i, _mm256_sub_pd(gatherLow(table, at), gatherLow(table, lagAt)));
    _mm256_storeu_pd(out + i + 4, _mm256_sub_pd(gatherHigh(table, at), gatherHigh(table, lagAt)));
    p = _mm256_and_si256(_mm256_add_epi32(p, stride), mask);
    q = _mm256_and_si256(_mm256_add_epi32(q, stride), mask);
  }
  if (i < count) {
    const __m256i at = tableIndices(p, by);
    const __m256i lagAt = tableIndices(q, by);
    storeFirst(out + i, _mm256_sub_pd(gatherLow(table, at), gatherLow(table, lagAt)),
               _mm256_sub_pd(gatherHigh(table, at), gatherHigh(table, lagAt)), count - i);
  }
}

void noise(std::uint32_t state, double* out, int count) {
  const __m256d scale = _mm256_set1_pd(RandomGenerator::kScale);
  const __m256i stride = noiseStride();
  __m256i s = firstNoiseStates(state);
  int i = 0;
  for (; i < count; i += kLanes) {
    const __m256d low = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(s)), scale);
    const __m256d high = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(s, 1)), scale);
    if (i + kLanes > count) {
      storeFirst(out + i, low, high, count - i);
      break;
    }
    _mm256_storeu_pd(out + i, low);
    _mm256_storeu_pd(out + i + 4, high);
    s = _mm256_mullo_epi32(s, stride);
  }
}

}  // namespace

const OscillatorKernels kOscillatorKernelsAvx2 = {sawtooth, pulse, noise};

}  // namespace sorvel
