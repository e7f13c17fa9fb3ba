// Built with -mavx512f -mavx512dq (and without FMA): eight samples per step, each lane the scalar
// loop's arithmetic in its order; the last step stores only the lanes below the end.
#include <immintrin.h>

#include "engine/ChorusKernels.h"

namespace sorvel {

namespace {

__mmask8 lanesBelow(int n, int to) { return to - n >= 8 ? 0xFF : static_cast<__mmask8>((1u << (to - n)) - 1); }

}  // namespace

int chorusWriteAvx512(const ChorusMix& m, double* const* lines, int shift, double* left, double* right, int from,
                      int to) {
  const __m512d swl = _mm512_set1_pd(m.syntheWetLeft), swr = _mm512_set1_pd(m.syntheWetRight);
  const __m512d iwl = _mm512_set1_pd(m.instrumentWetLeft), iwr = _mm512_set1_pd(m.instrumentWetRight);
  const __m512d sdl = _mm512_set1_pd(m.syntheDryLeft), sdr = _mm512_set1_pd(m.syntheDryRight);
  const __m512d idl = _mm512_set1_pd(m.instrumentDryLeft), idr = _mm512_set1_pd(m.instrumentDryRight);
  const __m512d half = _mm512_set1_pd(0.5), quarter = _mm512_set1_pd(0.25);
  for (int n = from; n < to; n += 8) {
    const __mmask8 k = lanesBelow(n, to);
    const __m512d s = _mm512_maskz_loadu_pd(k, m.synthe + n);
    const __m512d i = _mm512_maskz_loadu_pd(k, m.instrument + n);
    if (lines != nullptr) {
      const __m512d wetLeft = _mm512_add_pd(_mm512_mul_pd(i, iwl), _mm512_mul_pd(s, swl));
      const __m512d wetRight = _mm512_add_pd(_mm512_mul_pd(i, iwr), _mm512_mul_pd(s, swr));
      _mm512_mask_storeu_pd(lines[0] + n + shift, k, _mm512_mul_pd(half, wetLeft));
      _mm512_mask_storeu_pd(lines[1] + n + shift, k, _mm512_mul_pd(quarter, _mm512_add_pd(wetLeft, wetRight)));
      _mm512_mask_storeu_pd(lines[2] + n + shift, k, _mm512_mul_pd(half, wetRight));
    }
    _mm512_mask_storeu_pd(left + n, k, _mm512_add_pd(_mm512_mul_pd(i, idl), _mm512_mul_pd(s, sdl)));
    _mm512_mask_storeu_pd(right + n, k, _mm512_add_pd(_mm512_mul_pd(i, idr), _mm512_mul_pd(s, sdr)));
  }
  return to;
}

int chorusTapAvx512(const ChorusTap& t, double* out, double* out2, int from, int to) {
  const __m512d lane = _mm512_set_pd(7, 6, 5, 4, 3, 2, 1, 0);
  const __m512d start = _mm512_set1_pd(t.start), glide = _mm512_set1_pd(t.glide), whole = _mm512_set1_pd(t.whole);
  const __m512d one = _mm512_set1_pd(1.0);
  for (int n = from; n < to; n += 8) {
    const __mmask8 k = lanesBelow(n, to);
    const __m512d position = _mm512_add_pd(_mm512_set1_pd(n), lane);
    const __m512d f = _mm512_sub_pd(_mm512_add_pd(start, _mm512_mul_pd(position, glide)), whole);
    const __m512d older = _mm512_maskz_loadu_pd(k, t.line + n + t.shift);
    const __m512d newer = _mm512_maskz_loadu_pd(k, t.line + n + t.shift + 1);
    const __m512d tap = _mm512_add_pd(_mm512_mul_pd(f, older), _mm512_mul_pd(_mm512_sub_pd(one, f), newer));
    _mm512_mask_storeu_pd(out + n, k, _mm512_add_pd(_mm512_maskz_loadu_pd(k, out + n), tap));
    if (out2 != nullptr) _mm512_mask_storeu_pd(out2 + n, k, _mm512_add_pd(_mm512_maskz_loadu_pd(k, out2 + n), tap));
  }
  return to;
}

int chorusBlockAvx512(const ChorusMix& m, double* const* lines, int shift, const ChorusTap* taps, double* left,
                  double* right, int from, int to) {
  const __m512d swl = _mm512_set1_pd(m.syntheWetLeft), swr = _mm512_set1_pd(m.syntheWetRight);
  const __m512d iwl = _mm512_set1_pd(m.instrumentWetLeft), iwr = _mm512_set1_pd(m.instrumentWetRight);
  const __m512d sdl = _mm512_set1_pd(m.syntheDryLeft), sdr = _mm512_set1_pd(m.syntheDryRight);
  const __m512d idl = _mm512_set1_pd(m.instrumentDryLeft), idr = _mm512_set1_pd(m.instrumentDryRight);
  const __m512d half = _mm512_set1_pd(0.5), quarter = _mm512_set1_pd(0.25), one = _mm512_set1_pd(1.0);
  const __m512d lane = _mm512_set_pd(7, 6, 5, 4, 3, 2, 1, 0);
  __m512d start[3], glide[3], whole[3];
#pragma GCC unroll 3
  for (int t = 0; t < 3; ++t) {
    start[t] = _mm512_set1_pd(taps[t].start);
    glide[t] = _mm512_set1_pd(taps[t].glide);
    whole[t] = _mm512_set1_pd(taps[t].whole);
  }
  for (int n = from; n < to; n += 8) {
    const __mmask8 k = lanesBelow(n, to);
    const __m512d s = _mm512_maskz_loadu_pd(k, m.synthe + n);
    const __m512d i = _mm512_maskz_loadu_pd(k, m.instrument + n);
    const __m512d wetLeft = _mm512_add_pd(_mm512_mul_pd(i, iwl), _mm512_mul_pd(s, swl));
    const __m512d wetRight = _mm512_add_pd(_mm512_mul_pd(i, iwr), _mm512_mul_pd(s, swr));
    _mm512_mask_storeu_pd(lines[0] + n + shift, k, _mm512_mul_pd(half, wetLeft));
    _mm512_mask_storeu_pd(lines[1] + n + shift, k, _mm512_mul_pd(quarter, _mm512_add_pd(wetLeft, wetRight)));
    _mm512_mask_storeu_pd(lines[2] + n + shift, k, _mm512_mul_pd(half, wetRight));
    const __m512d position = _mm512_add_pd(_mm512_set1_pd(n), lane);
    __m512d tap[3];
#pragma GCC unroll 3
    for (int t = 0; t < 3; ++t) {
      const __m512d f = _mm512_sub_pd(_mm512_add_pd(start[t], _mm512_mul_pd(position, glide[t])), whole[t]);
      const double* entry = taps[t].line + n + taps[t].shift;
      tap[t] = _mm512_add_pd(_mm512_mul_pd(f, _mm512_maskz_loadu_pd(k, entry)), _mm512_mul_pd(_mm512_sub_pd(one, f), _mm512_maskz_loadu_pd(k, entry + 1)));
    }
    const __m512d dryLeft = _mm512_add_pd(_mm512_mul_pd(i, idl), _mm512_mul_pd(s, sdl));
    const __m512d dryRight = _mm512_add_pd(_mm512_mul_pd(i, idr), _mm512_mul_pd(s, sdr));
    _mm512_mask_storeu_pd(left + n, k, _mm512_add_pd(_mm512_add_pd(dryLeft, tap[0]), tap[2]));
    _mm512_mask_storeu_pd(right + n, k, _mm512_add_pd(_mm512_add_pd(dryRight, tap[1]), tap[2]));
  }
  return to;
}

// The glide is exact (see exactGlide): every delay of the run and its fraction f are exact, and so
// are 1 - f and the step of both over eight samples, so that adding the step gives each lane the
// same f and 1 - f as the scalar expression.
namespace {

// Repeating: every input repeats within the vector's width, so the first step's entries serve
// every step.
template <bool kRepeating>
int cycleAvx512(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left, double* right,
                int from, int to) {
  const __m512d one = _mm512_set1_pd(1.0);
  const __m512d position = _mm512_add_pd(_mm512_set1_pd(from), _mm512_set_pd(7, 6, 5, 4, 3, 2, 1, 0));
  __m512d f[3], g[3], step[3];
#pragma GCC unroll 3
  for (int t = 0; t < 3; ++t) {
    const __m512d glide = _mm512_set1_pd(taps[t].glide);
    f[t] = _mm512_sub_pd(_mm512_add_pd(_mm512_set1_pd(taps[t].start), _mm512_mul_pd(position, glide)),
                         _mm512_set1_pd(taps[t].whole));
    g[t] = _mm512_sub_pd(one, f[t]);
    step[t] = _mm512_set1_pd(8.0 * taps[t].glide);
  }
  __m512d olders[3], newers[3], drys[2];
  if (kRepeating) {
    const __mmask8 k = lanesBelow(from, to);
#pragma GCC unroll 3
    for (int t = 0; t < 3; ++t) {
      olders[t] = _mm512_maskz_loadu_pd(k, taps[t].line + from + taps[t].shift);
      newers[t] = _mm512_maskz_loadu_pd(k, taps[t].line + from + taps[t].shift + 1);
    }
    drys[0] = _mm512_maskz_loadu_pd(k, dryLeft + from);
    drys[1] = _mm512_maskz_loadu_pd(k, dryRight + from);
  }
  for (int n = from; n < to; n += 8) {
    const __mmask8 k = lanesBelow(n, to);
    __m512d tap[3];
#pragma GCC unroll 3
    for (int t = 0; t < 3; ++t) {
      const double* entry = taps[t].line + n + taps[t].shift;
      const __m512d older = kRepeating ? olders[t] : _mm512_maskz_loadu_pd(k, entry);
      const __m512d newer = kRepeating ? newers[t] : _mm512_maskz_loadu_pd(k, entry + 1);
      tap[t] = _mm512_add_pd(_mm512_mul_pd(f[t], older), _mm512_mul_pd(g[t], newer));
      f[t] = _mm512_add_pd(f[t], step[t]);
      g[t] = _mm512_sub_pd(g[t], step[t]);
    }
    const __m512d dryL = kRepeating ? drys[0] : _mm512_maskz_loadu_pd(k, dryLeft + n);
    const __m512d dryR = kRepeating ? drys[1] : _mm512_maskz_loadu_pd(k, dryRight + n);
    _mm512_mask_storeu_pd(left + n, k, _mm512_add_pd(_mm512_add_pd(dryL, tap[0]), tap[2]));
    _mm512_mask_storeu_pd(right + n, k, _mm512_add_pd(_mm512_add_pd(dryR, tap[1]), tap[2]));
  }
  return to;
}

}  // namespace

int chorusCycleAvx512(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left,
                      double* right, int from, int to) {
  return cycleAvx512<false>(dryLeft, dryRight, taps, left, right, from, to);
}

int chorusCycleRepeatingAvx512(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left,
                               double* right, int from, int to) {
  return cycleAvx512<true>(dryLeft, dryRight, taps, left, right, from, to);
}

}  // namespace sorvel
