// The channel mix kernels on one voice's block of 44 samples: every envelope moving (a note's
// first seconds), or every envelope still (a held note), with three channels playing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "voice/ChannelMix.h"

namespace {

using namespace sorvel;

constexpr int kCount = 44;

struct MixRig {
  std::vector<Envelope> envelopes = std::vector<Envelope>(kPresetCount);
  std::vector<std::vector<double>> rows = std::vector<std::vector<double>>(kPresetCount, std::vector<double>(kCount));
  std::vector<double> buses[2] = {std::vector<double>(kCount), std::vector<double>(kCount)};
  std::vector<double> out[2] = {std::vector<double>(kCount), std::vector<double>(kCount)};
  ChannelMix mix{};

  MixRig() {
    const int playing[] = {3, 4, 16};  // 16' PWM, 8' Saw, 8'String
    for (int i = 0; i < kPresetCount; ++i) {
      mix.envelopes[i] = &envelopes[i];
      mix.samples[i] = nullptr;
      mix.buses[i] = buses[i < 8 ? 0 : 1].data();
      mix.levels[i] = 0.5;
      for (int j = 0; j < kCount; ++j) rows[i][j] = std::sin(0.05 * (i + 1) * j);
    }
    for (int i : playing) {
      mix.samples[i] = rows[i].data();
      mix.playing[mix.playingCount++] = i;
      if (i < 8) mix.synthePlaying = mix.playingCount;
    }
    restart();
  }

  // Long decays towards a sustain below full level: they move for many seconds.
  void restart() {
    for (int i = 0; i < kPresetCount; ++i) {
      Envelope& e = envelopes[i];
      e.decay = 3.0 + 0.05 * i;
      e.sustain = 0.4;
      e.state = Envelope::kDecaySustain;
      e.value = 0.9;
      e.target = e.sustain;
      e.coefficient = e.coefficientFor(e.decay);
      mix.steadyValues[i] = e.value;
    }
  }
};

void BM_ChannelMixMoving(benchmark::State& state) {
  const ChannelMixKernels& kernels = channelMixKernels(vectorLevel());
  MixRig rig;
  int blocks = 0;
  for (auto _ : state) {
    if (++blocks == 1000) {  // a few seconds of decay at most, far from its end
      blocks = 0;
      rig.restart();
    }
    std::fill(rig.buses[0].begin(), rig.buses[0].end(), 0.0);
    std::fill(rig.buses[1].begin(), rig.buses[1].end(), 0.0);
    kernels.mix(rig.mix, kCount);
    kernels.sections(rig.buses[0].data(), rig.buses[1].data(), 0.8, false, rig.out[0].data(), rig.out[1].data(),
                     kCount);
    benchmark::DoNotOptimize(rig.out[0].data());
  }
}
BENCHMARK(BM_ChannelMixMoving);

void BM_ChannelMixSteady(benchmark::State& state) {
  const ChannelMixKernels& kernels = channelMixKernels(vectorLevel());
  MixRig rig;
  for (auto _ : state) {
    kernels.mixSteady(rig.mix, 0.8, false, rig.out[0].data(), rig.out[1].data(), kCount);
    benchmark::DoNotOptimize(rig.out[0].data());
  }
}
BENCHMARK(BM_ChannelMixSteady);

}  // namespace
