// The voices' filters run side by side for one 44-sample sub-block: a small mixed case (16 channel
// filters, 8 dual filters), the typical patch's 24 channel filters and the worst case's 768 channel
// filters and 448 dual filters.
// SORVEL_VECTOR_LEVEL chooses the kernels, as in the engine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "dsp/EngineTables.h"
#include "voice/FilterLanes.h"

namespace {

using namespace sorvel;

constexpr int kCount = 44;

struct Rig {
  std::vector<ChannelFilter> channel;
  std::vector<DualFilter> duals;
  std::vector<std::vector<double>> input, rows;
  FilterJobs jobs;

  Rig(int channelCount, int dualCount)
      : channel(static_cast<std::size_t>(channelCount)), duals(static_cast<std::size_t>(dualCount)) {
    const auto tables = EngineTables::forRate(44100);
    for (int f = 0; f < channelCount; ++f) {
      channel[f].cutoff = 0.3 + 0.001 * f;
      channel[f].resonance = 0.5;
      channel[f].computeCoefficients(tables->cutoff.data());
    }
    for (int f = 0; f < dualCount; ++f) {
      duals[f].setup(44100);
      duals[f].reserve(kCount);
      duals[f].setLowCutoff(0.3 + 0.001 * f);
      duals[f].setBandCutoff(0.5 + 0.001 * f);
      duals[f].setMix(0.4);
    }
    input.assign(static_cast<std::size_t>(channelCount + dualCount), std::vector<double>(kCount));
    for (std::size_t r = 0; r < input.size(); ++r) {
      for (int i = 0; i < kCount; ++i) input[r][i] = std::sin(0.05 * static_cast<double>(r + 1) * i);
    }
    rows = input;
    jobs.reserve(channelCount + dualCount, 1);
  }

  void run() {
    // Each run filters the same input, written afresh as the oscillators would: filtering the
    // last run's output again and again grows some rows without bound, to infinities and values
    // that are not numbers.
    for (std::size_t r = 0; r < rows.size(); ++r) std::copy(input[r].begin(), input[r].end(), rows[r].begin());
    jobs.clear();
    std::size_t r = 0;
    for (ChannelFilter& f : channel) jobs.add(f, rows[r++].data());
    for (DualFilter& d : duals) jobs.add(d, rows[r++].data());
    jobs.run(kCount);
  }
};

void FilterLanesTypical(benchmark::State& state) {
  Rig rig(16, 8);
  for (auto _ : state) {
    rig.run();
    benchmark::DoNotOptimize(rig.rows.front().data());
  }
}

void FilterLanesWorstCase(benchmark::State& state) {
  Rig rig(768, 448);
  for (auto _ : state) {
    rig.run();
    benchmark::DoNotOptimize(rig.rows.front().data());
  }
}

// Channel filters alone, as in the typical patch (24: three voices' worth of three channels in
// each group of eight); 8 and 16 show whether a group's recursion or the processor's throughput
// sets the pace.
void FilterLanesChannelFilters(benchmark::State& state) {
  Rig rig(static_cast<int>(state.range(0)), 0);
  for (auto _ : state) {
    rig.run();
    benchmark::DoNotOptimize(rig.rows.front().data());
  }
}

}  // namespace

BENCHMARK(FilterLanesChannelFilters)->Arg(8)->Arg(16)->Arg(24);
BENCHMARK(FilterLanesTypical);
BENCHMARK(FilterLanesWorstCase);
