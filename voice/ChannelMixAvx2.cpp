// Built with AVX2 (never FMA): a voice's envelopes stepped four at a time.
#include <immintrin.h>

#include "voice/ChannelMixLanes.h"

namespace sorvel {

namespace {

struct Avx2 {
  using Lanes = double __attribute__((vector_size(32)));
  using Mask = long long __attribute__((vector_size(32)));
  static constexpr int kWidth = 4;

  static Lanes load(const double* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  static void store(double* p, Lanes v) { std::memcpy(p, &v, sizeof v); }
  static __m256i first(int n) {
    return _mm256_cmpgt_epi64(_mm256_set1_epi64x(n), _mm256_setr_epi64x(0, 1, 2, 3));
  }
  static Lanes loadFirst(const double* p, int n) { return _mm256_maskload_pd(p, first(n)); }
  static Lanes broadcast(double x) { return Lanes{x, x, x, x}; }
  template <typename F>
  static Lanes make(F f) {
    return Lanes{f(0), f(1), f(2), f(3)};
  }
  static Lanes select(Mask m, Lanes a, Lanes b) { return m ? a : b; }
  static Lanes strided(const double* p, int stride) { return Lanes{p[0], p[stride], p[2 * stride], p[3 * stride]}; }
  static Mask crossed(Lanes next, Lanes high, Lanes low) { return (next >= high) | (next <= low); }
  static Mask equal(Lanes a, Lanes b) { return a == b; }
  static Mask either(Mask a, Mask b) { return a | b; }
  static Mask both(Mask a, Mask b) { return a & b; }
  static int bits(Mask m) { return _mm256_movemask_pd(_mm256_castsi256_pd(m)); }
  static bool any(Mask m) { return bits(m) != 0; }
  static bool all(Mask m) { return bits(m) == (1 << kWidth) - 1; }
  static bool lane(Mask m, int l) { return m[l] != 0; }
};

using Kernels = ChannelMixLanes<Avx2>;

}  // namespace

const ChannelMixKernels kChannelMixKernelsAvx2{Kernels::mix, Kernels::sections, Kernels::mixSteady,
                                               Kernels::mixSteadyVoices};

}  // namespace sorvel
