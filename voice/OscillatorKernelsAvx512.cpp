// Built with AVX-512 (foundation, double-word, byte-word, vector-length; never FMA): eight samples
// per step, their phases side by side in 32-bit lanes and their table entries gathered at once.
// Only the plain kernel table is seen by code built for other levels (PhaseLanes.h's helpers have
// internal linkage).
#include <immintrin.h>

#include "voice/OscillatorKernels.h"
#include "voice/PhaseLanes.h"

namespace sorvel {

namespace {

// The gathers and conversions start from zeros rather than from undefined registers (whose
// intrinsics the compiler warns about).
inline __m512d gather(const double* table, __m256i indices) {
  return _mm512_mask_i32gather_pd(_mm512_setzero_pd(), 0xFF, indices, table, 8);
}
inline __m512d toDouble(__m256i values) { return _mm512_maskz_cvtepi32_pd(0xFF, values); }

inline __mmask8 firstLanes(int count) { return static_cast<__mmask8>((1u << count) - 1); }

void sawtooth(const double* table, std::uint32_t phase, std::uint32_t step, int shift, double* out, int count) {
  const __m128i by = _mm_cvtsi32_si128(shift);
  const __m256i mask = set1(0x0FFFFFFF);
  const __m256i stride = set1(kLanes * step);
  __m256i p = firstPhases(phase, step);
  int i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    _mm512_storeu_pd(out + i, gather(table, tableIndices(p, by)));
    p = _mm256_and_si256(_mm256_add_epi32(p, stride), mask);
  }
  if (i < count) _mm512_mask_storeu_pd(out + i, firstLanes(count - i), gather(table, tableIndices(p, by)));
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
    const __m512d high = gather(table, tableIndices(p, by));
    const __m512d low = gather(table, tableIndices(q, by));
    _mm512_storeu_pd(out + i, _mm512_sub_pd(high, low));
    p = _mm256_and_si256(_mm256_add_epi32(p, stride), mask);
    q = _mm256_and_si256(_mm256_add_epi32(q, stride), mask);
  }
  if (i < count) {
    const __m512d high = gather(table, tableIndices(p, by));
    const __m512d low = gather(table, tableIndices(q, by));
    _mm512_mask_storeu_pd(out + i, firstLanes(count - i), _mm512_sub_pd(high, low));
  }
}

void noise(std::uint32_t state, double* out, int count) {
  const __m512d scale = _mm512_set1_pd(RandomGenerator::kScale);
  const __m256i stride = noiseStride();
  __m256i s = firstNoiseStates(state);
  int i = 0;
  for (; i + kLanes <= count; i += kLanes) {
    _mm512_storeu_pd(out + i, _mm512_mul_pd(toDouble(s), scale));
    s = _mm256_mullo_epi32(s, stride);
  }
  if (i < count) _mm512_mask_storeu_pd(out + i, firstLanes(count - i), _mm512_mul_pd(toDouble(s), scale));
}

}  // namespace

const OscillatorKernels kOscillatorKernelsAvx512 = {sawtooth, pulse, noise};

}  // namespace sorvel
