// The voices' filters run side by side for one 44-sample sub-block: a small mixed case (16 channel
// filters, 8 dual filters), the typical patch's 24 channel filters and the worst case's 768 channel
// filters and 448 dual filters. The typical patch's filters also with their waveforms: written
// into the rows first, or read by the filters as they go.
// SORVEL_VECTOR_LEVEL chooses the kernels, as in the engine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "dsp/EngineTables.h"
#include "voice/FilterLanes.h"
#include "voice/VoiceOscillator.h"

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

// Eight voices of the typical patch: an 8' sawtooth and a 16' pulse through channel filters, an 8'
// sawtooth through a dual filter; the voices a minor third apart, their phases moving on.
struct WaveRig {
  std::shared_ptr<const EngineTables> tables = EngineTables::forRate(44100);
  std::vector<VoiceOscillator> voices = std::vector<VoiceOscillator>(8);
  Rig rig{16, 8};

  WaveRig() {
    for (std::size_t v = 0; v < voices.size(); ++v) {
      voices[v].updatePitch(128.0 * (40.0 + 3.0 * static_cast<double>(v)), *tables);
      voices[v].phase = static_cast<std::uint32_t>(0x1234567 * (v + 1)) & VoiceOscillator::kPhaseMask;
    }
  }

  // read: the filters read the waveforms; else they are written into the rows first.
  void run(bool read) {
    FilterJobs& jobs = rig.jobs;
    jobs.clear();
    const auto add = [&](auto& filter, double* row, const OscillatorSource& source) {
      if (read) {
        jobs.add(filter, row, source);
      } else {
        source.render(row, kCount);
        jobs.add(filter, row);
      }
    };
    for (std::size_t v = 0; v < voices.size(); ++v) {
      add(rig.channel[2 * v], rig.rows[2 * v].data(), voices[v].sawtoothSource(*tables, 2));
      add(rig.channel[2 * v + 1], rig.rows[2 * v + 1].data(), voices[v].pulseSource(*tables, 1, 0.3));
    }
    for (std::size_t v = 0; v < voices.size(); ++v) {
      add(rig.duals[v], rig.rows[16 + v].data(), voices[v].sawtoothSource(*tables, 2));
    }
    jobs.run(kCount);
    for (VoiceOscillator& voice : voices) voice.advance(kCount);
  }
};

// Arg 1: the filters read the waveforms; 0: written into the rows first.
void FilterLanesTypicalWaves(benchmark::State& state) {
  WaveRig waves;
  for (auto _ : state) {
    waves.run(state.range(0) != 0);
    benchmark::DoNotOptimize(waves.rig.rows.front().data());
  }
}

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
BENCHMARK(FilterLanesTypicalWaves)->Arg(0)->Arg(1);
BENCHMARK(FilterLanesWorstCase);
