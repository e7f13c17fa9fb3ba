// Built with -mavx2 (and without FMA): four samples per step, each lane the scalar loop's
// arithmetic in its order.
#include <immintrin.h>

#include "engine/ChorusKernels.h"

namespace sorvel {

int chorusWriteAvx2(const ChorusMix& m, double* const* lines, int shift, double* left, double* right, int from,
                    int to) {
  const __m256d swl = _mm256_set1_pd(m.syntheWetLeft), swr = _mm256_set1_pd(m.syntheWetRight);
  const __m256d iwl = _mm256_set1_pd(m.instrumentWetLeft), iwr = _mm256_set1_pd(m.instrumentWetRight);
  const __m256d sdl = _mm256_set1_pd(m.syntheDryLeft), sdr = _mm256_set1_pd(m.syntheDryRight);
  const __m256d idl = _mm256_set1_pd(m.instrumentDryLeft), idr = _mm256_set1_pd(m.instrumentDryRight);
  const __m256d half = _mm256_set1_pd(0.5), quarter = _mm256_set1_pd(0.25);
  int n = from;
  for (; n + 4 <= to; n += 4) {
    const __m256d s = _mm256_loadu_pd(m.synthe + n);
    const __m256d i = _mm256_loadu_pd(m.instrument + n);
    if (lines != nullptr) {
      const __m256d wetLeft = _mm256_add_pd(_mm256_mul_pd(i, iwl), _mm256_mul_pd(s, swl));
      const __m256d wetRight = _mm256_add_pd(_mm256_mul_pd(i, iwr), _mm256_mul_pd(s, swr));
      _mm256_storeu_pd(lines[0] + n + shift, _mm256_mul_pd(half, wetLeft));
      _mm256_storeu_pd(lines[1] + n + shift, _mm256_mul_pd(quarter, _mm256_add_pd(wetLeft, wetRight)));
      _mm256_storeu_pd(lines[2] + n + shift, _mm256_mul_pd(half, wetRight));
    }
    _mm256_storeu_pd(left + n, _mm256_add_pd(_mm256_mul_pd(i, idl), _mm256_mul_pd(s, sdl)));
    _mm256_storeu_pd(right + n, _mm256_add_pd(_mm256_mul_pd(i, idr), _mm256_mul_pd(s, sdr)));
  }
  return n;
}

int chorusTapAvx2(const ChorusTap& t, double* out, double* out2, int from, int to) {
  const __m256d lane = _mm256_set_pd(3, 2, 1, 0);
  const __m256d start = _mm256_set1_pd(t.start), glide = _mm256_set1_pd(t.glide), whole = _mm256_set1_pd(t.whole);
  const __m256d one = _mm256_set1_pd(1.0);
  int n = from;
  for (; n + 4 <= to; n += 4) {
    const __m256d position = _mm256_add_pd(_mm256_set1_pd(n), lane);
    const __m256d f = _mm256_sub_pd(_mm256_add_pd(start, _mm256_mul_pd(position, glide)), whole);
    const __m256d older = _mm256_loadu_pd(t.line + n + t.shift);
    const __m256d newer = _mm256_loadu_pd(t.line + n + t.shift + 1);
    const __m256d tap = _mm256_add_pd(_mm256_mul_pd(f, older), _mm256_mul_pd(_mm256_sub_pd(one, f), newer));
    _mm256_storeu_pd(out + n, _mm256_add_pd(_mm256_loadu_pd(out + n), tap));
    if (out2 != nullptr) _mm256_storeu_pd(out2 + n, _mm256_add_pd(_mm256_loadu_pd(out2 + n), tap));
  }
  return n;
}

int chorusBlockAvx2(const ChorusMix& m, double* const* lines, int shift, const ChorusTap* taps, double* left,
                  double* right, int from, int to) {
  const __m256d swl = _mm256_set1_pd(m.syntheWetLeft), swr = _mm256_set1_pd(m.syntheWetRight);
  const __m256d iwl = _mm256_set1_pd(m.instrumentWetLeft), iwr = _mm256_set1_pd(m.instrumentWetRight);
  const __m256d sdl = _mm256_set1_pd(m.syntheDryLeft), sdr = _mm256_set1_pd(m.syntheDryRight);
  const __m256d idl = _mm256_set1_pd(m.instrumentDryLeft), idr = _mm256_set1_pd(m.instrumentDryRight);
  const __m256d half = _mm256_set1_pd(0.5), quarter = _mm256_set1_pd(0.25), one = _mm256_set1_pd(1.0);
  const __m256d lane = _mm256_set_pd(3, 2, 1, 0);
  __m256d start[3], glide[3], whole[3];
#pragma GCC unroll 3
  for (int t = 0; t < 3; ++t) {
    start[t] = _mm256_set1_pd(taps[t].start);
    glide[t] = _mm256_set1_pd(taps[t].glide);
    whole[t] = _mm256_set1_pd(taps[t].whole);
  }
  int n = from;
  for (; n + 4 <= to; n += 4) {
    const __m256d s = _mm256_loadu_pd(m.synthe + n);
    const __m256d i = _mm256_loadu_pd(m.instrument + n);
    const __m256d wetLeft = _mm256_add_pd(_mm256_mul_pd(i, iwl), _mm256_mul_pd(s, swl));
    const __m256d wetRight = _mm256_add_pd(_mm256_mul_pd(i, iwr), _mm256_mul_pd(s, swr));
    _mm256_storeu_pd(lines[0] + n + shift, _mm256_mul_pd(half, wetLeft));
    _mm256_storeu_pd(lines[1] + n + shift, _mm256_mul_pd(quarter, _mm256_add_pd(wetLeft, wetRight)));
    _mm256_storeu_pd(lines[2] + n + shift, _mm256_mul_pd(half, wetRight));
    const __m256d position = _mm256_add_pd(_mm256_set1_pd(n), lane);
    __m256d tap[3];
#pragma GCC unroll 3
    for (int t = 0; t < 3; ++t) {
      const __m256d f = _mm256_sub_pd(_mm256_add_pd(start[t], _mm256_mul_pd(position, glide[t])), whole[t]);
      const double* entry = taps[t].line + n + taps[t].shift;
      tap[t] = _mm256_add_pd(_mm256_mul_pd(f, _mm256_loadu_pd(entry)), _mm256_mul_pd(_mm256_sub_pd(one, f), _mm256_loadu_pd(entry + 1)));
    }
    const __m256d dryLeft = _mm256_add_pd(_mm256_mul_pd(i, idl), _mm256_mul_pd(s, sdl));
    const __m256d dryRight = _mm256_add_pd(_mm256_mul_pd(i, idr), _mm256_mul_pd(s, sdr));
    _mm256_storeu_pd(left + n, _mm256_add_pd(_mm256_add_pd(dryLeft, tap[0]), tap[2]));
    _mm256_storeu_pd(right + n, _mm256_add_pd(_mm256_add_pd(dryRight, tap[1]), tap[2]));
  }
  return n;
}

// The glide is exact (see exactGlide): every delay of the run and its fraction f are exact, and so
// are 1 - f and the step of both over four samples, so that adding the step gives each lane the
// same f and 1 - f as the scalar expression.
namespace {

// Repeating: every input repeats within the vector's width, so the first step's entries serve
// every step.
template <bool kRepeating>
int cycleAvx2(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left, double* right,
              int from, int to) {
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d position = _mm256_add_pd(_mm256_set1_pd(from), _mm256_set_pd(3, 2, 1, 0));
  __m256d f[3], g[3], step[3];
#pragma GCC unroll 3
  for (int t = 0; t < 3; ++t) {
    const __m256d glide = _mm256_set1_pd(taps[t].glide);
    f[t] = _mm256_sub_pd(_mm256_add_pd(_mm256_set1_pd(taps[t].start), _mm256_mul_pd(position, glide)),
                         _mm256_set1_pd(taps[t].whole));
    g[t] = _mm256_sub_pd(one, f[t]);
    step[t] = _mm256_set1_pd(4.0 * taps[t].glide);
  }
  __m256d olders[3], newers[3], drys[2];
  if (kRepeating && from + 4 <= to) {
#pragma GCC unroll 3
    for (int t = 0; t < 3; ++t) {
      olders[t] = _mm256_loadu_pd(taps[t].line + from + taps[t].shift);
      newers[t] = _mm256_loadu_pd(taps[t].line + from + taps[t].shift + 1);
    }
    drys[0] = _mm256_loadu_pd(dryLeft + from);
    drys[1] = _mm256_loadu_pd(dryRight + from);
  }
  int n = from;
  for (; n + 4 <= to; n += 4) {
    __m256d tap[3];
#pragma GCC unroll 3
    for (int t = 0; t < 3; ++t) {
      const double* entry = taps[t].line + n + taps[t].shift;
      const __m256d older = kRepeating ? olders[t] : _mm256_loadu_pd(entry);
      const __m256d newer = kRepeating ? newers[t] : _mm256_loadu_pd(entry + 1);
      tap[t] = _mm256_add_pd(_mm256_mul_pd(f[t], older), _mm256_mul_pd(g[t], newer));
      f[t] = _mm256_add_pd(f[t], step[t]);
      g[t] = _mm256_sub_pd(g[t], step[t]);
    }
    const __m256d dryL = kRepeating ? drys[0] : _mm256_loadu_pd(dryLeft + n);
    const __m256d dryR = kRepeating ? drys[1] : _mm256_loadu_pd(dryRight + n);
    _mm256_storeu_pd(left + n, _mm256_add_pd(_mm256_add_pd(dryL, tap[0]), tap[2]));
    _mm256_storeu_pd(right + n, _mm256_add_pd(_mm256_add_pd(dryR, tap[1]), tap[2]));
  }
  return n;
}

}  // namespace

int chorusCycleAvx2(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left, double* right,
                    int from, int to) {
  return cycleAvx2<false>(dryLeft, dryRight, taps, left, right, from, to);
}

int chorusCycleRepeatingAvx2(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left,
                             double* right, int from, int to) {
  return cycleAvx2<true>(dryLeft, dryRight, taps, left, right, from, to);
}

}  // namespace sorvel
