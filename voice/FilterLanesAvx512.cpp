// Built with the AVX-512 foundation, double-word, byte-word and vector-length parts (never FMA):
// the filter lanes eight at a time, branches as masked selects. Only plain structs, intrinsics and
// vector arithmetic here, so that no shared inline function is compiled for AVX-512 in this file.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "voice/FilterLanesKernel.h"

namespace sorvel {

namespace {

struct Avx512 {
  using Lanes = __m512d;
  using Mask = __mmask8;
  static constexpr int kLanes = 8;
  // Alone, three groups of a kind fill the processor; two of each run together where there are
  // both.
  static constexpr int kGroupsAlone = 3;
  static constexpr int kChannelGroupsTogether = 2;
  static constexpr int kGroupsTogether = 2;
  static constexpr bool kSpreadBatches = false;

  [[gnu::always_inline]] static Lanes load(const double* p) { return _mm512_loadu_pd(p); }
  [[gnu::always_inline]] static void store(double* p, Lanes v) { _mm512_storeu_pd(p, v); }
  [[gnu::always_inline]] static Mask first(int n) { return static_cast<__mmask8>((1u << n) - 1u); }
  [[gnu::always_inline]] static Lanes loadMasked(const double* p, Mask m) { return _mm512_maskz_loadu_pd(m, p); }
  [[gnu::always_inline]] static void storeMasked(double* p, Mask m, Lanes v) { _mm512_mask_storeu_pd(p, m, v); }
  template <typename F>
  [[gnu::always_inline]] static Lanes make(F f) {
    return _mm512_setr_pd(f(0), f(1), f(2), f(3), f(4), f(5), f(6), f(7));
  }

  [[gnu::always_inline]] static Lanes zeroNotANumbers(Lanes value, Lanes sum) {
    return _mm512_maskz_mov_pd(_mm512_cmp_pd_mask(value, value, _CMP_ORD_Q), sum);
  }
  [[gnu::always_inline]] static Lanes notANumberTo(Lanes value, Lanes replacement) {
    return _mm512_mask_mov_pd(value, _mm512_cmp_pd_mask(value, value, _CMP_UNORD_Q), replacement);
  }
  [[gnu::always_inline]] static bool eitherNotANumber(Lanes a, Lanes b) {
    return _mm512_cmp_pd_mask(a, b, _CMP_UNORD_Q) != 0;
  }
  [[gnu::always_inline]] static Lanes positiveTo(Lanes f, Lanes positive) {
    return _mm512_mask_mov_pd(f, _mm512_cmp_pd_mask(f, _mm512_setzero_pd(), _CMP_GT_OQ), positive);
  }

  // Pairs of elements and pairs of 128-bit quarters from two vectors, as in the first and the
  // next two steps of a transpose.
  [[gnu::always_inline]] static Lanes evenOfPairs(Lanes a, Lanes b) {
    return __builtin_shufflevector(a, b, 0, 8, 2, 10, 4, 12, 6, 14);
  }
  [[gnu::always_inline]] static Lanes oddOfPairs(Lanes a, Lanes b) {
    return __builtin_shufflevector(a, b, 1, 9, 3, 11, 5, 13, 7, 15);
  }
  [[gnu::always_inline]] static Lanes evenQuarters(Lanes a, Lanes b) {
    return __builtin_shufflevector(a, b, 0, 1, 4, 5, 8, 9, 12, 13);
  }
  [[gnu::always_inline]] static Lanes oddQuarters(Lanes a, Lanes b) {
    return __builtin_shufflevector(a, b, 2, 3, 6, 7, 10, 11, 14, 15);
  }

  // Eight rows of eight samples turned into eight samples of eight rows, and back.
  [[gnu::always_inline]] static void transpose(Lanes (&r)[kLanes]) {
    Lanes t[kLanes], u[kLanes];
#pragma GCC unroll 4
    for (int p = 0; p < kLanes; p += 2) {
      t[p] = evenOfPairs(r[p], r[p + 1]);
      t[p + 1] = oddOfPairs(r[p], r[p + 1]);
    }
#pragma GCC unroll 2
    for (int q = 0; q < 2; ++q) {
      u[q] = evenQuarters(t[q], t[q + 2]);
      u[q + 2] = oddQuarters(t[q], t[q + 2]);
      u[q + 4] = evenQuarters(t[q + 4], t[q + 6]);
      u[q + 6] = oddQuarters(t[q + 4], t[q + 6]);
    }
#pragma GCC unroll 2
    for (int q = 0; q < 2; ++q) {
      r[q] = evenQuarters(u[q], u[q + 4]);
      r[q + 4] = oddQuarters(u[q], u[q + 4]);
      r[q + 2] = evenQuarters(u[q + 2], u[q + 6]);
      r[q + 6] = oddQuarters(u[q + 2], u[q + 6]);
    }
  }

  // Eight oscillator sources, one per lane. Each phase is kept shifted up so that its table index
  // (bits 16 - shift to 28 - shift of the 28-bit phase) is its top twelve bits: the bits the 28-bit
  // wrap would clear fall off the top, a step is one add and an index one shift. The tables are
  // addressed whole, in doubles from address zero.
  struct Wave {
    __m512i ahead{}, aheadLagged{}, step{}, table{};  // ahead: the phases of the next sample to take
    __mmask8 pulse = 0;

    // From the sources at first, first + stride bytes, ...: the first real ones, the first again in
    // the other lanes. Each field is gathered from the eight.
    [[gnu::always_inline]] void load(const OscillatorSource* first, std::size_t stride, int real) {
      const char* base = reinterpret_cast<const char*>(first);
      const __m512i at = _mm512_maskz_mullo_epi64(static_cast<__mmask8>((1u << real) - 1u),
                                                  _mm512_setr_epi64(0, 1, 2, 3, 4, 5, 6, 7),
                                                  _mm512_set1_epi64(static_cast<long long>(stride)));
      const auto field = [&](std::size_t offset) {
        const __m256i values = _mm512_mask_i64gather_epi32(_mm256_setzero_si256(), 0xFF, at, base + offset, 1);
        return _mm512_maskz_cvtepu32_epi64(0xFF, values);
      };
      const __m512i up = _mm512_add_epi64(field(offsetof(OscillatorSource, shift)), _mm512_set1_epi64(36));
      ahead = _mm512_maskz_sllv_epi64(0xFF, field(offsetof(OscillatorSource, phase)), up);
      aheadLagged = _mm512_maskz_sllv_epi64(0xFF, field(offsetof(OscillatorSource, lagged)), up);
      step = _mm512_maskz_sllv_epi64(0xFF, field(offsetof(OscillatorSource, step)), up);
      __m512i address;
      if constexpr (sizeof(const double*) == 8) {
        const char* tables = base + offsetof(OscillatorSource, table);
        address = _mm512_mask_i64gather_epi64(_mm512_setzero_si512(), 0xFF, at, tables, 1);
      } else {
        address = field(offsetof(OscillatorSource, table));
      }
      table = _mm512_maskz_srli_epi64(0xFF, address, 3);
      // The flag's byte alone: the bytes after it are padding.
      pulse = _mm512_test_epi64_mask(field(offsetof(OscillatorSource, pulse)), _mm512_set1_epi64(0xFF));
    }

    [[gnu::always_inline]] Lanes read(__m512i p, __m512i q) const {
      const Lanes high = gather(p, 0xFF);
      return pulse ? _mm512_mask_sub_pd(high, pulse, high, gather(q, pulse)) : high;
    }

    [[gnu::always_inline]] Lanes gather(__m512i phases, __mmask8 lanes) const {
      const __m512i at = _mm512_add_epi64(_mm512_maskz_srli_epi64(0xFF, phases, 52), table);
      return _mm512_mask_i64gather_pd(_mm512_setzero_pd(), lanes, at, nullptr, sizeof(double));
    }

    // A group of sawtooths leaves its lagged phases behind: it never reads them.
    [[gnu::always_inline]] Lanes next() {
      Lanes value = gather(ahead, 0xFF);
      ahead = _mm512_add_epi64(ahead, step);
      if (pulse) {
        value = _mm512_mask_sub_pd(value, pulse, value, gather(aheadLagged, pulse));
        aheadLagged = _mm512_add_epi64(aheadLagged, step);
      }
      return value;
    }

    // Taken again: values[j] is the sample behind - j samples before the next.
    void fill(Lanes (&values)[kLanes], int behind) const {
      const __m512i back = _mm512_mullo_epi64(step, _mm512_set1_epi64(behind));
      __m512i p = _mm512_sub_epi64(ahead, back);
      __m512i q = _mm512_sub_epi64(aheadLagged, back);
      for (int s = 0; s < kLanes; ++s) {
        values[s] = read(p, q);
        p = _mm512_add_epi64(p, step);
        q = _mm512_add_epi64(q, step);
      }
    }
  };

  // Each row's eight values in one vector, turned.
  template <typename Row>
  [[gnu::always_inline]] static void loadEight(Row row, Lanes (&values)[8]) {
    for (int l = 0; l < kLanes; ++l) values[l] = _mm512_loadu_pd(row(l));
    transpose(values);
  }
};

using Kernel = FilterLanesKernel<Avx512>;

}  // namespace

int runChannelFiltersAvx512(const ChannelFilterJob* jobs, int jobCount, int count) {
  return Kernel::runChannelFilters(jobs, jobCount, count);
}

int runBiquadsAvx512(const BiquadJob* jobs, int jobCount, int count) {
  return Kernel::runBiquads(jobs, jobCount, count);
}

void runFiltersAvx512(const ChannelFilterJob* channel, int channelCount, const BiquadJob* biquad, int biquadCount,
                      int count) {
  Kernel::runFilters(channel, channelCount, biquad, biquadCount, count);
}

void runFiltersAvx512(const ChannelFilterJob* channel, int channelCount, const DualFilterJob* dual, int dualCount,
                      int count) {
  Kernel::runFilters(channel, channelCount, dual, dualCount, count);
}

void mixRowsAvx512(const double* low, double lowWeight, double* band, double bandWeight, int count) {
  constexpr int kLanes = Avx512::kLanes;
  const __m512d lowShare = _mm512_set1_pd(lowWeight);
  const __m512d bandShare = _mm512_set1_pd(bandWeight);
  for (int i = 0; i < count; i += kLanes) {
    const int n = count - i < kLanes ? count - i : kLanes;
    const __mmask8 samples = static_cast<__mmask8>((1u << n) - 1u);
    const __m512d mixed = _mm512_maskz_loadu_pd(samples, low + i) * lowShare + bandShare * _mm512_maskz_loadu_pd(samples, band + i);
    _mm512_mask_storeu_pd(band + i, samples, mixed);
  }
}

}  // namespace sorvel
