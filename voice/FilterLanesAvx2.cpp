// Built with -mavx2 (and without FMA): the filter lanes four at a time. Only plain structs,
// intrinsics and vector arithmetic here, so that no shared inline function is compiled for AVX2 in
// this file.
#include <immintrin.h>

#include "voice/FilterLanesKernel.h"

namespace sorvel {

namespace {

struct Avx2 {
  using Lanes = __m256d;
  using Mask = __m256i;  // a lane's bits all set where it is taken
  static constexpr int kLanes = 4;
  // Sixteen vector registers hold about one group's working values, yet more groups in flight
  // still pay (measured: up to six of a kind alone, two of each together, spread evenly; a few
  // channel groups left over beside the others, up to four, rather than alone).
  static constexpr int kGroupsAlone = 6;
  static constexpr int kChannelGroupsTogether = 4;
  static constexpr int kGroupsTogether = 2;
  static constexpr bool kSpreadBatches = true;

  [[gnu::always_inline]] static Lanes load(const double* p) { return _mm256_loadu_pd(p); }
  [[gnu::always_inline]] static void store(double* p, Lanes v) { _mm256_storeu_pd(p, v); }
  [[gnu::always_inline]] static Mask first(int n) {
    return _mm256_cmpgt_epi64(_mm256_set1_epi64x(n), _mm256_setr_epi64x(0, 1, 2, 3));
  }
  [[gnu::always_inline]] static Lanes loadMasked(const double* p, Mask m) { return _mm256_maskload_pd(p, m); }
  [[gnu::always_inline]] static void storeMasked(double* p, Mask m, Lanes v) { _mm256_maskstore_pd(p, m, v); }
  template <typename F>
  [[gnu::always_inline]] static Lanes make(F f) {
    return _mm256_setr_pd(f(0), f(1), f(2), f(3));
  }

  // The test and the sum side by side; the test masks with a one-cycle and.
  [[gnu::always_inline]] static Lanes zeroNotANumbers(Lanes value, Lanes sum) {
    return _mm256_and_pd(_mm256_cmp_pd(value, value, _CMP_ORD_Q), sum);
  }
  [[gnu::always_inline]] static Lanes notANumberTo(Lanes value, Lanes replacement) {
    return _mm256_blendv_pd(value, replacement, _mm256_cmp_pd(value, value, _CMP_UNORD_Q));
  }
  [[gnu::always_inline]] static bool eitherNotANumber(Lanes a, Lanes b) {
    return _mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_UNORD_Q)) != 0;
  }
  [[gnu::always_inline]] static Lanes positiveTo(Lanes f, Lanes positive) {
    return _mm256_blendv_pd(f, positive, _mm256_cmp_pd(f, _mm256_setzero_pd(), _CMP_GT_OQ));
  }

  // Four rows of four samples turned into four samples of four rows, and back.
  [[gnu::always_inline]] static void transpose(Lanes (&r)[kLanes]) {
    const Lanes t0 = _mm256_unpacklo_pd(r[0], r[1]);
    const Lanes t1 = _mm256_unpackhi_pd(r[0], r[1]);
    const Lanes t2 = _mm256_unpacklo_pd(r[2], r[3]);
    const Lanes t3 = _mm256_unpackhi_pd(r[2], r[3]);
    r[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
    r[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
    r[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
    r[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
  }

  // Each row's eight values as two halves of four, each half turned.
  template <typename Row>
  [[gnu::always_inline]] static void loadEight(Row row, Lanes (&values)[8]) {
    Lanes low[kLanes], high[kLanes];
    for (int l = 0; l < kLanes; ++l) {
      const double* first = row(l);
      low[l] = _mm256_loadu_pd(first);
      high[l] = _mm256_loadu_pd(first + kLanes);
    }
    transpose(low);
    transpose(high);
    for (int l = 0; l < kLanes; ++l) {
      values[l] = low[l];
      values[kLanes + l] = high[l];
    }
  }
};

using Kernel = FilterLanesKernel<Avx2>;

}  // namespace

int runChannelFiltersAvx2(const ChannelFilterJob* jobs, int jobCount, int count) {
  return Kernel::runChannelFilters(jobs, jobCount, count);
}

int runBiquadsAvx2(const BiquadJob* jobs, int jobCount, int count) { return Kernel::runBiquads(jobs, jobCount, count); }

void runFiltersAvx2(const ChannelFilterJob* channel, int channelCount, const BiquadJob* biquad, int biquadCount,
                    int count) {
  Kernel::runFilters(channel, channelCount, biquad, biquadCount, count);
}

void runFiltersAvx2(const ChannelFilterJob* channel, int channelCount, const DualFilterJob* dual, int dualCount,
                    int count) {
  Kernel::runFilters(channel, channelCount, dual, dualCount, count);
}

}  // namespace sorvel
