// Built with -mavx512f -mavx512dq (and without FMA): eight samples per step, each lane the scalar
// loop's arithmetic in its order.
#include <immintrin.h>

#include "engine/ChorusAlternating.h"

namespace sorvel {

int chorusAlternatingAvx512(const AlternatingChorus& c, double* left, double* right, int count) {
  const __m512d lane = _mm512_set_pd(7, 6, 5, 4, 3, 2, 1, 0);
  const __m512i laneParity = _mm512_set_epi64(1, 0, 1, 0, 1, 0, 1, 0);
  const __m512i oneBit = _mm512_set1_epi64(1);
  const __m512d one = _mm512_set1_pd(1.0);
  const double* l = c.dryLeft;
  const double* r = c.dryRight;
  const __m512d dryLeft = _mm512_set_pd(l[1], l[0], l[1], l[0], l[1], l[0], l[1], l[0]);
  const __m512d dryRight = _mm512_set_pd(r[1], r[0], r[1], r[0], r[1], r[0], r[1], r[0]);
  __m512d start[3], glide[3], even[3], odd[3];
  for (int k = 0; k < 3; ++k) {
    start[k] = _mm512_set1_pd(c.start[k]);
    glide[k] = _mm512_set1_pd(c.glide[k]);
    even[k] = _mm512_set1_pd(c.values[k][0]);
    odd[k] = _mm512_set1_pd(c.values[k][1]);
  }
  // Delays start + n x glide, exact: n x glide and the sum are on the delays' grid (the caller
  // made sure), and so is moving them on by 8 x glide.
  __m512d delays[3], stride[3];
  for (int k = 0; k < 3; ++k) {
    delays[k] = _mm512_add_pd(start[k], _mm512_mul_pd(lane, glide[k]));
    stride[k] = _mm512_mul_pd(_mm512_set1_pd(8.0), glide[k]);
  }
  // The last step stores only the samples below count.
  for (int n = 0; n < count; n += 8) {
    __m512d taps[3];
    for (int k = 0; k < 3; ++k) {
      const __m512d delay = delays[k];
      delays[k] = _mm512_add_pd(delays[k], stride[k]);
      const __m512i back = _mm512_cvttpd_epi64(delay);
      const __m512d f = _mm512_sub_pd(delay, _mm512_cvtepi64_pd(back));
      // n - back is odd where the lane's parity and back's differ.
      const __mmask8 oddOlder = _mm512_test_epi64_mask(_mm512_xor_si512(back, laneParity), oneBit);
      const __m512d older = _mm512_mask_blend_pd(oddOlder, even[k], odd[k]);
      const __m512d newer = _mm512_mask_blend_pd(oddOlder, odd[k], even[k]);
      taps[k] = _mm512_add_pd(_mm512_mul_pd(f, older), _mm512_mul_pd(_mm512_sub_pd(one, f), newer));
    }
    const __mmask8 store = count - n >= 8 ? 0xFF : static_cast<__mmask8>((1u << (count - n)) - 1);
    _mm512_mask_storeu_pd(left + n, store, _mm512_add_pd(_mm512_add_pd(dryLeft, taps[0]), taps[2]));
    _mm512_mask_storeu_pd(right + n, store, _mm512_add_pd(_mm512_add_pd(dryRight, taps[1]), taps[2]));
  }
  return count;
}

}  // namespace sorvel
