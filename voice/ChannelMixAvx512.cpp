// Built with AVX-512 (never FMA): a voice's envelopes stepped eight at a time.
#include <immintrin.h>

#include "voice/ChannelMixLanes.h"

namespace sorvel {

namespace {

struct Avx512 {
  using Lanes = double __attribute__((vector_size(64)));
  using Mask = __mmask8;
  static constexpr int kWidth = 8;

  static Lanes load(const double* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  static void store(double* p, Lanes v) { std::memcpy(p, &v, sizeof v); }
  static __mmask8 first(int n) { return static_cast<__mmask8>((1u << n) - 1); }
  static Lanes loadFirst(const double* p, int n) { return _mm512_maskz_loadu_pd(first(n), p); }
  static Lanes broadcast(double x) { return Lanes{x, x, x, x, x, x, x, x}; }
  template <typename F>
  static Lanes make(F f) {
    return Lanes{f(0), f(1), f(2), f(3), f(4), f(5), f(6), f(7)};
  }
  static Lanes select(Mask m, Lanes a, Lanes b) { return _mm512_mask_blend_pd(m, b, a); }
  static int bits(Mask m) { return m; }
  static Lanes strided(const double* p, int stride) {
    return Lanes{p[0], p[stride], p[2 * stride], p[3 * stride], p[4 * stride], p[5 * stride], p[6 * stride],
                 p[7 * stride]};
  }
  static Mask crossed(Lanes next, Lanes high, Lanes low) {
    return _mm512_cmp_pd_mask(next, high, _CMP_GE_OQ) | _mm512_cmp_pd_mask(next, low, _CMP_LE_OQ);
  }
  static Mask equal(Lanes a, Lanes b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
  static Mask either(Mask a, Mask b) { return a | b; }
  static Mask both(Mask a, Mask b) { return a & b; }
  static bool any(Mask m) { return m != 0; }
  static bool all(Mask m) { return m == 0xFF; }
  static bool lane(Mask m, int l) { return (m >> l) & 1; }
};

using Kernels = ChannelMixLanes<Avx512>;

}  // namespace

const ChannelMixKernels kChannelMixKernelsAvx512{Kernels::mix, Kernels::sections, Kernels::mixSteady,
                                                 Kernels::mixSteadyVoices};

}  // namespace sorvel
