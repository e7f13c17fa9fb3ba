// The filter lanes written once for every vector width: each kernel file includes this with its
// own lane type (Ops), so that each gets its own copy built for its own instructions. Everything
// here has internal linkage, so that no copy built for one level can stand in for another's.
// Each lane repeats the scalar step of ChannelFilter and Biquad operation for operation, branches
// as selects (the biquad leaves out tests that cannot fire; its comment says why).
#pragma once

#include <cstddef>

#include "voice/FilterLanes.h"

namespace sorvel {
namespace {

// Ops provides: Lanes (Ops::kLanes doubles) and Mask (which samples of a block are taken); load,
// store, loadMasked and storeMasked (the samples first(n) masks); make(f) (lane l is f(l));
// loadEight(row, values) (values[j] holds the j-th of the eight doubles from each row(l));
// transpose (kLanes rows of kLanes samples, its own inverse); zeroNotANumbers(value, sum) (sum,
// but 0 where value is not a number); notANumberTo; eitherNotANumber; positiveTo(f, p) (p where
// f > 0, else f); and how the jobs are batched: kGroupsAlone, kGroupsTogether (of each kind in a
// batch of both), kChannelGroupsTogether (channel groups at most, beside the other kind's, where
// kSpreadBatches spreads a small remainder), kSpreadBatches.
// Ops may provide Wave, which reads a group's oscillator sources as the filters go: load(first,
// stride, real) (the sources of the first real lanes, stride bytes apart; the first in the
// others), next() (each lane's next sample, one per call from the first) and fill(values, behind)
// (values[j] holds the sample behind - j samples before the next, for a block stepped again).
// Without it, sources are written into their rows before a run.
template <typename Ops>
struct WaveOf {
  struct type {
    void load(const OscillatorSource*, std::size_t, int) {}
    typename Ops::Lanes next() { return Ops::make([](int) { return 0.0; }); }
    void fill(typename Ops::Lanes (&)[Ops::kLanes], int) const {}
  };
  static constexpr bool kReads = false;
};

template <typename Ops>
  requires requires { typename Ops::Wave; }
struct WaveOf<Ops> {
  using type = typename Ops::Wave;
  static constexpr bool kReads = true;
};

template <typename Ops>
struct FilterLanesKernel {
  using Lanes = typename Ops::Lanes;
  using Mask = typename Ops::Mask;
  static constexpr int kLanes = Ops::kLanes;
  static constexpr int kGroupsAlone = Ops::kGroupsAlone;
  static constexpr int kChannelGroupsTogether = Ops::kChannelGroupsTogether;
  static constexpr int kGroupsTogether = Ops::kGroupsTogether;

  // isnan(value) ? 0 : value + guard. The test runs beside the sum, so that only a one-cycle
  // select is added to a recursion's chain. Without the test (kTested false), the plain sum: the
  // same wherever value is a number.
  template <bool kTested>
  [[gnu::always_inline]] static Lanes guarded(Lanes value, Lanes guard) {
    const Lanes sum = value + guard;
    if constexpr (!kTested) return sum;
    return Ops::zeroNotANumbers(value, sum);
  }

  // f > 0 ? f x 1.17 : f, the product and the test side by side.
  [[gnu::always_inline]] static Lanes strongerPositive(Lanes f) { return Ops::positiveTo(f, f * 1.17); }

  // One value of each of a group's filters, one per lane, taken without a trip through memory (small
  // stores read back as one vector would stall).
  template <typename Job, typename Offset>
  [[gnu::always_inline]] static Lanes offsets(const Job* jobs, int real, Offset offset) {
    return Ops::make([&](int l) { return offset(jobs[l < real ? l : 0]); });
  }

  // Eight consecutive values of each of a group's filters (from first on), as eight vectors of one
  // value per lane.
  template <typename Job, typename First>
  [[gnu::always_inline]] static void loadEight(const Job* jobs, int real, First first, Lanes (&values)[8]) {
    Ops::loadEight([&](int l) { return first(jobs[l < real ? l : 0]); }, values);
  }

  // The guard offsets of a sample at an even and at an odd place in a block (blocks start at even
  // samples, and the guard's sign flips every sample).
  struct Guards {
    Lanes even, odd;
    [[gnu::always_inline]] void load(Lanes first) {
      even = first;
      odd = -first;
    }
    Lanes at(bool oddSample) const { return oddSample ? odd : even; }
  };

  // One group of channel filters, one per lane. A group with fewer jobs repeats its first job in
  // the spare lanes, which are computed but never written back.
  struct ChannelGroup {
    using Job = ChannelFilterJob;
    Lanes G0, g, beta2, beta3, k, s1, s2, s3;
    Guards guard;

    [[gnu::always_inline]] void load(const ChannelFilterJob* jobs, int real) {
      static_assert(offsetof(ChannelFilter, s3) - offsetof(ChannelFilter, G0) == 7 * sizeof(double));
      Lanes c[8];
      loadEight(jobs, real, [](const ChannelFilterJob& job) { return &job.filter->G0; }, c);
      G0 = c[0];
      g = c[1];
      beta2 = c[2];
      beta3 = c[3];
      k = c[4];
      s1 = c[5];
      s2 = c[6];
      s3 = c[7];
      guard.load(offsets(jobs, real, [](const ChannelFilterJob& job) { return job.filter->offset; }));
    }

    [[gnu::always_inline]] void store(const ChannelFilterJob* jobs, int real, bool oddCount) const {
      double c[4][kLanes];
      Ops::store(c[0], s1);
      Ops::store(c[1], s2);
      Ops::store(c[2], s3);
      Ops::store(c[3], guard.at(oddCount));
      for (int l = 0; l < real; ++l) {
        ChannelFilter& f = *jobs[l].filter;
        f.s1 = c[0][l];
        f.s2 = c[1][l];
        f.s3 = c[2][l];
        f.offset = c[3][l];
      }
    }

    struct State {
      Lanes s1, s2, s3;
    };
    State state() const { return {s1, s2, s3}; }
    void restore(const State& saved) {
      s1 = saved.s1;
      s2 = saved.s2;
      s3 = saved.s3;
    }

    // A value that is not a number in x, s1, s2 or s3 makes this step's y one (each enters v, f or
    // u, and all three enter y), and so s2, which keeps it through every later step of the block.
    bool carriesNotANumber() const { return Ops::eitherNotANumber(s2, s2); }

    template <bool kTested>
    [[gnu::always_inline]] Lanes step(Lanes x, bool oddSample) {
      const Lanes sampleGuard = guard.at(oddSample);
      x = guarded<kTested>(x, sampleGuard);
      s1 = guarded<kTested>(s1, sampleGuard);
      s2 = guarded<kTested>(s2, sampleGuard);
      s3 = guarded<kTested>(s3, sampleGuard);

      const Lanes v = (x - s1) * g;
      const Lanes lp1 = s1 + v;
      s1 = lp1 + v;

      const Lanes f = strongerPositive(s3 * beta3 + s2 * beta2);

      const Lanes u = ((f + lp1) * G0 - s2) * g;
      const Lanes y = s2 + u;
      s2 = y + u;

      const Lanes d = (y * k - s3) * g;
      s3 = s3 + 2.0 * d;
      return y;
    }
  };

  // Biquad sections, one per lane.
  struct Section {
    Lanes a1, a2, b0, b1, x1, x2, y1, y2;
    Guards guard;

    template <typename Job, typename SectionOf>
    [[gnu::always_inline]] void load(const Job* jobs, int real, SectionOf sectionOf) {
      static_assert(offsetof(Biquad, y2) - offsetof(Biquad, a1) == 7 * sizeof(double));
      Lanes c[8];
      loadEight(jobs, real, [&](const Job& job) { return &sectionOf(job).a1; }, c);
      a1 = c[0];
      a2 = c[1];
      b0 = c[2];
      b1 = c[3];
      x1 = c[4];
      x2 = c[5];
      y1 = c[6];
      y2 = c[7];
      guard.load(offsets(jobs, real, [&](const Job& job) { return sectionOf(job).offset; }));
      // x1, x2 and y2 only ever take values that have been through guarded() (never a
      // not-a-number), so that from here on the guard's plain sum is exact for them. A stored
      // state that is not a number becomes -guard: the first sum then gives +0, as guarded() does.
      const Lanes cleared = -guard.even;
      x1 = Ops::notANumberTo(x1, cleared);
      x2 = Ops::notANumberTo(x2, cleared);
      y2 = Ops::notANumberTo(y2, cleared);
    }

    template <typename Job, typename SectionOf>
    [[gnu::always_inline]] void store(const Job* jobs, int real, bool oddCount, SectionOf sectionOf) const {
      double c[5][kLanes];
      Ops::store(c[0], x1);
      Ops::store(c[1], x2);
      Ops::store(c[2], y1);
      Ops::store(c[3], y2);
      Ops::store(c[4], guard.at(oddCount));
      for (int l = 0; l < real; ++l) {
        Biquad& s = sectionOf(jobs[l]);
        s.x1 = c[0][l];
        s.x2 = c[1][l];
        s.y1 = c[2][l];
        s.y2 = c[3][l];
        s.offset = c[4][l];
      }
    }

    struct State {
      Lanes x1, x2, y1, y2;
    };
    State state() const { return {x1, x2, y1, y2}; }
    void restore(const State& saved) {
      x1 = saved.x1;
      x2 = saved.x2;
      y1 = saved.y1;
      y2 = saved.y2;
    }

    // A value that is not a number in x or y1 makes this step's y one, and so y1, which keeps it
    // through every later step of the block.
    bool carriesNotANumber() const { return Ops::eitherNotANumber(y1, y1); }

    template <bool kTested>
    [[gnu::always_inline]] Lanes step(Lanes x, bool oddSample) {
      const Lanes sampleGuard = guard.at(oddSample);
      x = guarded<kTested>(x, sampleGuard);
      x1 = x1 + sampleGuard;
      x2 = x2 + sampleGuard;
      const Lanes y = output<kTested>(x + x2, x1, sampleGuard);
      x2 = x1;
      x1 = x;
      return y;
    }

    // The rest of a step, from the guarded x + x2 and the guarded x1.
    template <bool kTested>
    [[gnu::always_inline]] Lanes output(Lanes inputSum, Lanes guardedX1, Lanes sampleGuard) {
      y1 = guarded<kTested>(y1, sampleGuard);
      y2 = y2 + sampleGuard;
      const Lanes y = b0 * inputSum + b1 * guardedX1 + a1 * y1 + a2 * y2;
      y2 = y1;
      y1 = y;
      return y;
    }
  };

  struct BiquadGroup {
    using Job = BiquadJob;
    Section section;

    struct SectionOf {
      Biquad& operator()(const BiquadJob& job) const { return *job.section; }
    };
    [[gnu::always_inline]] void load(const BiquadJob* jobs, int real) { section.load(jobs, real, SectionOf{}); }
    [[gnu::always_inline]] void store(const BiquadJob* jobs, int real, bool oddCount) const {
      section.store(jobs, real, oddCount, SectionOf{});
    }

    using State = typename Section::State;
    State state() const { return section.state(); }
    void restore(const State& saved) { section.restore(saved); }

    bool carriesNotANumber() const { return section.carriesNotANumber(); }

    template <bool kTested>
    [[gnu::always_inline]] Lanes step(Lanes x, bool oddSample) {
      return section.template step<kTested>(x, oddSample);
    }
  };

  // Dual filters: both sections from the same input, mixed by the weights as DualFilter::mix does.
  // kShared: in every lane the two sections hold the same input history and guard, bit for bit (as
  // they do whenever they have only ever run together), and keep them so; the low-pass's is stepped
  // for both.
  template <bool kShared>
  struct DualGroup {
    using Job = DualFilterJob;
    Section low, band;
    Lanes lowWeight, bandWeight;

    struct LowOf {
      Biquad& operator()(const DualFilterJob& job) const { return job.filter->lowPass; }
    };
    struct BandOf {
      Biquad& operator()(const DualFilterJob& job) const { return job.filter->bandPass; }
    };

    [[gnu::always_inline]] void load(const DualFilterJob* jobs, int real) {
      low.load(jobs, real, LowOf{});
      band.load(jobs, real, BandOf{});
      lowWeight = offsets(jobs, real, [](const DualFilterJob& job) { return job.filter->lowWeight; });
      bandWeight = offsets(jobs, real, [](const DualFilterJob& job) { return job.filter->bandWeight; });
    }
    [[gnu::always_inline]] void store(const DualFilterJob* jobs, int real, bool oddCount) const {
      low.store(jobs, real, oddCount, LowOf{});
      Section bandNow = band;
      if constexpr (kShared) {
        bandNow.x1 = low.x1;
        bandNow.x2 = low.x2;
      }
      bandNow.store(jobs, real, oddCount, BandOf{});
    }

    struct State {
      typename Section::State low, band;
    };
    State state() const { return {low.state(), band.state()}; }
    void restore(const State& saved) {
      low.restore(saved.low);
      band.restore(saved.band);
    }

    bool carriesNotANumber() const { return Ops::eitherNotANumber(low.y1, band.y1); }

    template <bool kTested>
    [[gnu::always_inline]] Lanes step(Lanes x, bool oddSample) {
      Lanes lowOut, bandOut;
      if constexpr (kShared) {
        const Lanes sampleGuard = low.guard.at(oddSample);
        x = guarded<kTested>(x, sampleGuard);
        low.x1 = low.x1 + sampleGuard;
        low.x2 = low.x2 + sampleGuard;
        const Lanes inputSum = x + low.x2;
        lowOut = low.template output<kTested>(inputSum, low.x1, sampleGuard);
        bandOut = band.template output<kTested>(inputSum, low.x1, sampleGuard);
        low.x2 = low.x1;
        low.x1 = x;
      } else {
        lowOut = low.template step<kTested>(x, oddSample);
        bandOut = band.template step<kTested>(x, oddSample);
      }
      return lowOut * lowWeight + bandWeight * bandOut;
    }
  };

  // A group whose every job has a source reads the sources (where Ops has a Wave) instead of the
  // rows; any other group's sources are written into their rows first.
  using Wave = typename WaveOf<Ops>::type;

  template <typename Job>
  static bool readsSources(const Job* jobs, int real, Wave& wave, int count) {
    if constexpr (requires { jobs->source; }) {
      int sourced = 0;
      for (int l = 0; l < real; ++l) sourced += jobs[l].source.table != nullptr;
      if (WaveOf<Ops>::kReads && sourced == real) {
        wave.load(&jobs->source, sizeof(Job), real);
        return true;
      }
      for (int l = 0; l < real; ++l) {
        if (jobs[l].source.table) jobs[l].source.render(jobs[l].values, count);
      }
    }
    return false;
  }

  // H groups of one kind (the last with 1..kLanes jobs, the others full), stepped together with the
  // groups of another batch so that their independent recursions fill the processor. The samples go
  // through in blocks of kLanes per row, turned into one vector per sample; a block's spare samples
  // at the end of the run are masked off. Every loop over the groups is unrolled, so that the
  // groups' states stay in registers. A group that reads its sources takes each sample of the next
  // block while it steps this one, so that the table reads wait beside the recursions.
  //
  // A block is first stepped without the tests for values that are not numbers: where no tested
  // value is one, each guarded sum is the plain sum, and the results are exact. Where one is, the
  // steps before it were exact, and it leaves a state that is not a number from there to the end of
  // the block (each group says which); so a block that ends with no such state was exact
  // throughout, and any other is stepped again from its saved start with the tests.
  template <typename Group, int H>
  struct Batch {
    using Job = typename Group::Job;
    const Job* jobs;
    Group group[H];
    typename Group::State start[H];
    double* rows[H][kLanes];
    int real[H];
    bool readsWave[H];
    Wave wave[H];
    Lanes input[H][kLanes] = {};  // read or taken ahead
    Lanes block[H][kLanes];

    [[gnu::always_inline]] Batch(const Job* batchJobs, int jobCount, int count) : jobs(batchJobs) {
  #pragma GCC unroll 4
      for (int h = 0; h < H; ++h) {
        const int left = jobCount - kLanes * h;
        real[h] = left < kLanes ? left : kLanes;
        const Job* groupJobs = jobs + kLanes * h;
        group[h].load(groupJobs, real[h]);
  #pragma GCC unroll 8
        for (int l = 0; l < kLanes; ++l) rows[h][l] = groupJobs[l < real[h] ? l : 0].values;
        readsWave[h] = readsSources(groupJobs, real[h], wave[h], count);
        if (readsWave[h]) {
  #pragma GCC unroll 8
          for (int s = 0; s < kLanes; ++s) input[h][s] = wave[h].next();
        }
      }
    }

    // kFull: a whole block of kLanes samples; else the samples that samples masks.
    template <bool kFull>
    [[gnu::always_inline]] void readGroup(int h, int i, Mask samples, Lanes (&values)[kLanes]) {
  #pragma GCC unroll 8
      for (int l = 0; l < kLanes; ++l) {
        values[l] = kFull ? Ops::load(rows[h][l] + i) : Ops::loadMasked(rows[h][l] + i, samples);
      }
      Ops::transpose(values);
    }

    template <bool kFull>
    [[gnu::always_inline]] void read(int i, Mask samples) {
  #pragma GCC unroll 4
      for (int h = 0; h < H; ++h) {
        if (!readsWave[h]) readGroup<kFull>(h, i, samples, input[h]);
        start[h] = group[h].state();
      }
    }

    [[gnu::always_inline]] void step(int s) {
  #pragma GCC unroll 4
      for (int h = 0; h < H; ++h) {
        block[h][s] = group[h].template step<false>(input[h][s], s % 2 != 0);
        if (readsWave[h]) input[h][s] = wave[h].next();
      }
    }

    // Before any row of the block is written, so that the rows still hold the block's input.
    template <bool kFull>
    [[gnu::always_inline]] void check(int i, int n, Mask samples) {
  #pragma GCC unroll 4
      for (int h = 0; h < H; ++h) {
        if (__builtin_expect(group[h].carriesNotANumber(), 0)) {
          group[h].restore(start[h]);
          // A group that reads its sources has taken the next block's samples as it went.
          Lanes again[kLanes];
          if (readsWave[h]) {
            wave[h].fill(again, kLanes + n);
          } else {
            readGroup<kFull>(h, i, samples, again);
          }
          for (int s = 0; s < n; ++s) block[h][s] = group[h].template step<true>(again[s], s % 2 != 0);
        }
      }
    }

    template <bool kFull>
    [[gnu::always_inline]] void write(int i, Mask samples) {
  #pragma GCC unroll 4
      for (int h = 0; h < H; ++h) {
        Ops::transpose(block[h]);
  #pragma GCC unroll 8
        for (int l = 0; l < kLanes; ++l) {
          if (l >= real[h]) break;
          if (kFull) {
            Ops::store(rows[h][l] + i, block[h][l]);
          } else {
            Ops::storeMasked(rows[h][l] + i, samples, block[h][l]);
          }
        }
      }
    }

    [[gnu::always_inline]] void finish(int count) {
  #pragma GCC unroll 4
      for (int h = 0; h < H; ++h) group[h].store(jobs + kLanes * h, real[h], count % 2 != 0);
    }
  };

  // No groups: the other batch runs alone.
  template <typename Group>
  struct Batch<Group, 0> {
    Batch(const typename Group::Job*, int, int) {}
    template <bool>
    void read(int, Mask) {}
    void step(int) {}
    template <bool>
    void check(int, int, Mask) {}
    template <bool>
    void write(int, Mask) {}
    void finish(int) {}
  };

  // One block of n samples from sample i through both batches.
  template <bool kFull, typename A, typename B>
  [[gnu::always_inline]] static void runBlock(A& a, B& b, int i, int n) {
    const Mask samples = Ops::first(n);
    a.template read<kFull>(i, samples);
    b.template read<kFull>(i, samples);
  #pragma GCC unroll 4
    for (int s = 0; s < n; s += 2) {
      a.step(s);
      b.step(s);
      if (s + 1 == n) break;
      a.step(s + 1);
      b.step(s + 1);
    }
    a.template check<kFull>(i, n, samples);
    b.template check<kFull>(i, n, samples);
    a.template write<kFull>(i, samples);
    b.template write<kFull>(i, samples);
  }

  template <typename GroupA, int HA, typename GroupB, int HB>
  static void runBatches(const typename GroupA::Job* jobsA, int countA, const typename GroupB::Job* jobsB, int countB,
                         int count) {
    Batch<GroupA, HA> a(jobsA, countA, count);
    Batch<GroupB, HB> b(jobsB, countB, count);
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) runBlock<true>(a, b, i, kLanes);
    if (i < count) runBlock<false>(a, b, i, count - i);
    a.finish(count);
    b.finish(count);
  }

  static int groupsFor(int jobs) { return (jobs + kLanes - 1) / kLanes; }

  // Calls run.operator()<Group>() with the group for the jobs.
  template <typename Run>
  static void withGroupFor(const ChannelFilterJob*, int, Run run) {
    run.template operator()<ChannelGroup>();
  }

  template <typename Run>
  static void withGroupFor(const BiquadJob*, int, Run run) {
    run.template operator()<BiquadGroup>();
  }

  template <typename Run>
  static void withGroupFor(const DualFilterJob* jobs, int jobCount, Run run) {
    if (sectionsShareInputHistory(jobs, jobCount)) {
      run.template operator()<DualGroup<true>>();
    } else {
      run.template operator()<DualGroup<false>>();
    }
  }

  // One kind alone: the fewest groups that hold the jobs, at most kGroupsAlone.
  template <typename Group, int H = kGroupsAlone>
  static void runAlone(const typename Group::Job* jobs, int jobCount, int count) {
    if constexpr (H > 0) {
      if (groupsFor(jobCount) == H) {
        runBatches<Group, H, Group, 0>(jobs, jobCount, nullptr, 0, count);
      } else {
        runAlone<Group, H - 1>(jobs, jobCount, count);
      }
    }
  }

  // In batches of kGroupsAlone groups, or (kSpreadBatches) of as even a size as the fewest batches
  // allow: a batch with few groups waits on its recursions.
  template <typename Job>
  static void runAll(const Job* jobs, int jobCount, int count) {
    int batch = kLanes * kGroupsAlone;
    if constexpr (Ops::kSpreadBatches) {
      const int batches = (groupsFor(jobCount) + kGroupsAlone - 1) / kGroupsAlone;
      if (batches == 0) return;
      batch = kLanes * ((groupsFor(jobCount) + batches - 1) / batches);
    }
    for (; jobCount > 0; jobs += batch, jobCount -= batch) {
      const int n = jobCount < batch ? jobCount : batch;
      withGroupFor(jobs, n, [&]<typename Group>() { runAlone<Group>(jobs, n, count); });
    }
  }

  // The fewest groups of each kind that hold the jobs, at most HC and HO.
  template <typename Other, int HC, int HO>
  static void runTogether(const ChannelFilterJob* channel, int channelCount, const typename Other::Job* other,
                          int otherCount, int count) {
    if constexpr (HC > 1) {
      if (groupsFor(channelCount) < HC) {
        runTogether<Other, HC - 1, HO>(channel, channelCount, other, otherCount, count);
        return;
      }
    }
    if constexpr (HO > 1) {
      if (groupsFor(otherCount) < HO) {
        runTogether<Other, HC, HO - 1>(channel, channelCount, other, otherCount, count);
        return;
      }
    }
    runBatches<ChannelGroup, HC, Other, HO>(channel, channelCount, other, otherCount, count);
  }

  // Channel filters beside another kind, HC and HO groups at most, then what is left of either.
  template <int HC, int HO, typename Job>
  static void runWithChannelFilters(const ChannelFilterJob* channel, int channelCount, const Job* other, int otherCount,
                                    int count) {
    if (count <= 0) return;
    // kGroupsTogether channel groups beside each batch of the other kind; a remainder too small
    // to fill a batch alone (whose few recursions would wait on themselves) spread over those
    // batches instead, up to HC groups in each.
    int channelGroups = kGroupsTogether;
    if constexpr (Ops::kSpreadBatches) {
      const int otherBatches = (groupsFor(otherCount) + HO - 1) / HO;
      const int left = groupsFor(channelCount) - otherBatches * channelGroups;
      if (otherBatches > 0 && left > 0 && left < kGroupsAlone) {
        const int spread = (groupsFor(channelCount) + otherBatches - 1) / otherBatches;
        channelGroups = spread < HC ? spread : HC;
      }
    }
    while (channelCount > 0 && otherCount > 0) {
      const int c = channelCount < kLanes * channelGroups ? channelCount : kLanes * channelGroups;
      const int o = otherCount < kLanes * HO ? otherCount : kLanes * HO;
      withGroupFor(other, o, [&]<typename Other>() { runTogether<Other, HC, HO>(channel, c, other, o, count); });
      channel += c;
      channelCount -= c;
      other += o;
      otherCount -= o;
    }
    runAll(channel, channelCount, count);
    runAll(other, otherCount, count);
  }

  static int runChannelFilters(const ChannelFilterJob* jobs, int jobCount, int count) {
    if (count > 0) runAll(jobs, jobCount, count);
    return jobCount;
  }

  static int runBiquads(const BiquadJob* jobs, int jobCount, int count) {
    if (count > 0) runAll(jobs, jobCount, count);
    return jobCount;
  }

  template <typename Job>
  static void runFilters(const ChannelFilterJob* channel, int channelCount, const Job* other, int otherCount,
                         int count) {
    runWithChannelFilters<kChannelGroupsTogether, kGroupsTogether>(channel, channelCount, other, otherCount, count);
  }
};

}  // namespace
}  // namespace sorvel
