// Built with -mavx2 (and without FMA): the three delays' glide checks in one vector, each lane the
// scalar check's arithmetic, its comparisons giving the same answer for every input.
#include <immintrin.h>

#include "engine/ChorusGlide.h"

namespace sorvel {

bool exactGlidesAvx2(const double* delay, const double* step, int count, double limit, double* glide) {
  if (count < 1) return false;
  // The fourth lane repeats the first.
  const __m256d d = _mm256_setr_pd(delay[0], delay[1], delay[2], delay[0]);
  const __m256d s = _mm256_setr_pd(step[0], step[1], step[2], step[0]);
  const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffff));
  const auto abs = [&](__m256d x) { return _mm256_and_pd(x, magnitude); };
  // std::min and std::max: the first argument unless the second is less (greater).
  const auto least = [](__m256d a, __m256d b) { return _mm256_min_pd(b, a); };
  const auto most = [](__m256d a, __m256d b) { return _mm256_max_pd(b, a); };

  __m256d ok = _mm256_and_pd(_mm256_cmp_pd(d, _mm256_set1_pd(1.0), _CMP_GE_OQ),
                             _mm256_cmp_pd(d, _mm256_set1_pd(1e9), _CMP_LT_OQ));
  ok = _mm256_and_pd(ok, _mm256_cmp_pd(abs(s), _mm256_set1_pd(1e9), _CMP_LT_OQ));
  const __m256i exponent = _mm256_srli_epi64(_mm256_castpd_si256(d), 52);
  const __m256d lower = _mm256_castsi256_pd(_mm256_slli_epi64(exponent, 52));
  const __m256d upper = _mm256_mul_pd(_mm256_set1_pd(2.0), lower);
  const __m256d grid = _mm256_mul_pd(lower, _mm256_set1_pd(0x1p-52));
  const __m256d inverse =
      _mm256_castsi256_pd(_mm256_slli_epi64(_mm256_sub_epi64(_mm256_set1_epi64x(2098), exponent), 52));
  const __m256d steps = _mm256_mul_pd(s, inverse);
  ok = _mm256_and_pd(ok, _mm256_cmp_pd(abs(steps), _mm256_set1_pd(0x1p50), _CMP_LT_OQ));
  const __m256d rounding = _mm256_set1_pd(0x1.8p52);
  const __m256d whole = _mm256_sub_pd(_mm256_add_pd(steps, rounding), rounding);
  ok = _mm256_and_pd(ok, _mm256_cmp_pd(abs(_mm256_sub_pd(steps, whole)), _mm256_set1_pd(0.5), _CMP_NEQ_UQ));
  const __m256d g = _mm256_mul_pd(whole, grid);
  const __m256d last = _mm256_add_pd(d, _mm256_mul_pd(_mm256_set1_pd(count - 1), g));
  const __m256d first = _mm256_add_pd(d, s);
  const __m256d final = _mm256_add_pd(last, s);
  ok = _mm256_and_pd(ok, _mm256_cmp_pd(least(first, final), _mm256_add_pd(lower, grid), _CMP_NLT_UQ));
  ok = _mm256_and_pd(ok, _mm256_cmp_pd(most(first, final), _mm256_sub_pd(upper, grid), _CMP_NGE_UQ));
  ok = _mm256_and_pd(ok, _mm256_cmp_pd(least(d, last), _mm256_set1_pd(1.0), _CMP_GE_OQ));
  ok = _mm256_and_pd(ok, _mm256_cmp_pd(most(d, last), _mm256_set1_pd(limit), _CMP_LT_OQ));
  if (_mm256_movemask_pd(ok) != 0xf) return false;
  double out[4];
  _mm256_storeu_pd(out, g);
  for (int k = 0; k < 3; ++k) glide[k] = out[k];
  return true;
}

}  // namespace sorvel
