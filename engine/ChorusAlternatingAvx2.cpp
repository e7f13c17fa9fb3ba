// Built with -mavx2 (and without FMA): four samples per step, each lane the scalar loop's
// arithmetic in its order.
#include <immintrin.h>

#include "engine/ChorusAlternating.h"

namespace sorvel {

int chorusAlternatingAvx2(const AlternatingChorus& c, double* left, double* right, int count) {
  const __m256d lane = _mm256_set_pd(3, 2, 1, 0);
  const __m128i laneParity = _mm_set_epi32(1, 0, 1, 0);
  const __m128i oneBit = _mm_set1_epi32(1);
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d dryLeft = _mm256_set_pd(c.dryLeft[1], c.dryLeft[0], c.dryLeft[1], c.dryLeft[0]);
  const __m256d dryRight = _mm256_set_pd(c.dryRight[1], c.dryRight[0], c.dryRight[1], c.dryRight[0]);
  int n = 0;
  for (; n + 4 <= count; n += 4) {
    const __m256d t = _mm256_add_pd(_mm256_set1_pd(n), lane);
    __m256d taps[3];
    for (int k = 0; k < 3; ++k) {
      const __m256d delay = _mm256_add_pd(_mm256_set1_pd(c.start[k]), _mm256_mul_pd(t, _mm256_set1_pd(c.glide[k])));
      const __m128i back = _mm256_cvttpd_epi32(delay);
      const __m256d f = _mm256_sub_pd(delay, _mm256_cvtepi32_pd(back));
      // n - back is odd where the lane's parity and back's differ.
      const __m128i odd32 = _mm_and_si128(_mm_xor_si128(back, laneParity), oneBit);
      const __m256d odd = _mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_cvtepi32_epi64(odd32), _mm256_set1_epi64x(1)));
      const __m256d even = _mm256_set1_pd(c.values[k][0]);
      const __m256d oddValue = _mm256_set1_pd(c.values[k][1]);
      const __m256d older = _mm256_blendv_pd(even, oddValue, odd);
      const __m256d newer = _mm256_blendv_pd(oddValue, even, odd);
      taps[k] = _mm256_add_pd(_mm256_mul_pd(f, older), _mm256_mul_pd(_mm256_sub_pd(one, f), newer));
    }
    _mm256_storeu_pd(left + n, _mm256_add_pd(_mm256_add_pd(dryLeft, taps[0]), taps[2]));
    _mm256_storeu_pd(right + n, _mm256_add_pd(_mm256_add_pd(dryRight, taps[1]), taps[2]));
  }
  return n;
}

}  // namespace sorvel
