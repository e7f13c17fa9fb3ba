// One voice rendering at 44.1 kHz, ticked every control period as the engine does. The
// real-time factor is seconds of audio rendered per second of processing time.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "dsp/EngineState.h"
#include "dsp/EngineTables.h"
#include "voice/Voice.h"

namespace {

using namespace sorvel;

constexpr double kRate = 44100;
constexpr int kPeriod = 44;
constexpr int kPeriodsPerIteration = 1000;  // about one second of audio

struct Rig {
  EngineState state;
  std::unique_ptr<Voice> voice;
  std::vector<double> synthe = std::vector<double>(kPeriod), instrument = std::vector<double>(kPeriod);

  explicit Rig(const std::vector<int>& channels) {
    state.tables = EngineTables::forRate(kRate);
    voice = std::make_unique<Voice>(state);
    for (int ch = 0; ch < kPresetCount; ++ch) {
      voice->setParameter(presetParameter(ch, kPresetGain), 1.0);
      voice->setParameter(presetParameter(ch, kPresetCutoff), 0.5);
      voice->setParameter(presetParameter(ch, kPresetFilter2), 0.5);
      voice->setParameter(presetParameter(ch, kPresetEnvToFilter), 0.3);
      voice->setParameter(presetParameter(ch, kPresetAttack), 0.1);
      voice->setParameter(presetParameter(ch, kPresetDecay), 2.0);
      voice->setParameter(presetParameter(ch, kPresetSustain), 1.0);
      voice->setParameter(presetParameter(ch, kPresetRelease), 0.5);
    }
    for (int ch : channels) voice->setParameter(presetSwitch(ch), 1.0);
    voice->setParameter(kDelayedVibrato, 1.0);
    state.vibratoLfo.value = 0.3;
    state.pwmLfo.unipolar = 0.4;
    voice->start(60, 100, 1, 60 * 128);
  }

  void second() {
    for (int p = 0; p < kPeriodsPerIteration; ++p) {
      voice->controlTick();
      voice->render(synthe.data(), instrument.data(), kPeriod);
    }
  }
};

void report(benchmark::State& state) {
  const double audioSeconds = kPeriodsPerIteration * kPeriod / kRate;
  state.counters["realtime_factor"] =
      benchmark::Counter(audioSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_VoiceOneFootage(benchmark::State& state) {
  Rig rig({kSaw8});
  for (auto _ : state) {
    rig.second();
    benchmark::DoNotOptimize(rig.synthe.data());
  }
  report(state);
}
BENCHMARK(BM_VoiceOneFootage)->Unit(benchmark::kMillisecond);

void BM_VoiceOneDualFilterTone(benchmark::State& state) {
  Rig rig({kString8});
  for (auto _ : state) {
    rig.second();
    benchmark::DoNotOptimize(rig.instrument.data());
  }
  report(state);
}
BENCHMARK(BM_VoiceOneDualFilterTone)->Unit(benchmark::kMillisecond);

void BM_VoiceAllChannels(benchmark::State& state) {
  std::vector<int> all;
  for (int ch = 0; ch < 19; ++ch) all.push_back(ch);
  Rig rig(all);
  for (auto _ : state) {
    rig.second();
    benchmark::DoNotOptimize(rig.synthe.data());
    benchmark::DoNotOptimize(rig.instrument.data());
  }
  report(state);
}
BENCHMARK(BM_VoiceAllChannels)->Unit(benchmark::kMillisecond);

void BM_VoiceControlTickOnly(benchmark::State& state) {
  std::vector<int> all;
  for (int ch = 0; ch < 19; ++ch) all.push_back(ch);
  Rig rig(all);
  for (auto _ : state) {
    for (int p = 0; p < kPeriodsPerIteration; ++p) rig.voice->controlTick();
  }
  report(state);
}
BENCHMARK(BM_VoiceControlTickOnly)->Unit(benchmark::kMillisecond);

}  // namespace
