// Real-time factor of the engine at 44.1 kHz: seconds of audio rendered per second of CPU time.
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/Engine.h"

namespace {

using namespace sorvel;

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;

class QuietHost : public EngineHost {
 public:
  void drainEvents(int) override {}
  void controllerMoved(int, double) override {}
};

struct Setup {
  int voicesValue;  // "Voices": 0 = 1 ... 6 = 64
  std::vector<int> switches;
  bool chorus;
  int notes;
};

void prepare(Engine& engine, QuietHost& host, const Setup& setup) {
  engine.reset(kRate);
  engine.parameterChanged(kVoices, setup.voicesValue);
  for (int index : setup.switches) engine.parameterChanged(index, 1);
  engine.parameterChanged(kChorus, setup.chorus ? 1 : 0);
  for (int i = 0; i < setup.notes; ++i) engine.handleEvent(0x90, static_cast<std::uint8_t>(36 + i), 100, host);
}

void renderSeconds(Engine& engine, QuietHost& host, double seconds, std::vector<double>& left,
                   std::vector<double>& right) {
  const int blocks = static_cast<int>(seconds * kRate / kBlock);
  for (int b = 0; b < blocks; ++b) engine.render(left.data(), right.data(), kBlock, host);
}

// The measured render on its own, so that an instruction count (valgrind --toggle-collect) can
// leave out the setup.
__attribute__((noinline)) void timedRender(Engine& engine, QuietHost& host, std::vector<double>& left,
                                           std::vector<double>& right) {
  engine.render(left.data(), right.data(), kBlock, host);
}

void run(benchmark::State& state, const Setup& setup, double warmUpSeconds = 0.1) {
  Engine engine;
  QuietHost host;
  prepare(engine, host, setup);
  std::vector<double> left(kBlock), right(kBlock);
  renderSeconds(engine, host, warmUpSeconds, left, right);
  for (auto _ : state) {
    timedRender(engine, host, left, right);
    benchmark::DoNotOptimize(left.data());
  }
  state.counters["realtime_factor"] =
      benchmark::Counter(kBlock / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

std::vector<int> allChannels() {
  std::vector<int> switches;
  for (int preset = 0; preset < kPresetCount; ++preset) switches.push_back(presetSwitch(preset));
  return switches;
}

void OneVoiceOneFootage(benchmark::State& state) { run(state, {0, {presetSwitch(kSaw8)}, false, 1}); }
void EightVoicesThreeFootages(benchmark::State& state) { run(state, {3, {presetSwitch(kSaw32), presetSwitch(kSaw8), presetSwitch(kSaw4)}, false, 8}); }
void SixtyFourVoicesAllChannelsChorus(benchmark::State& state) { run(state, {6, allChannels(), true, 64}); }
// The typical patch (8' Saw, 16' PWM, 8'String, chorus), eight notes held past their attacks,
// which at the default settings take about two seconds.
void TypicalPatchHeld(benchmark::State& state) {
  run(state, {3, {presetSwitch(kSaw8), presetSwitch(kPwm16), presetSwitch(kString8)}, true, 8}, 3.0);
}
void SixtyFourVoicesAllChannelsHeld(benchmark::State& state) { run(state, {6, allChannels(), true, 64}, 3.0); }

// The typical patch with no note: 32 voices in use, chorus on (Arg 1) or off (Arg 0), after two
// seconds of silence.
void IdleTypicalPatch(benchmark::State& state) {
  Engine engine;
  QuietHost host;
  prepare(engine, host, {5, {presetSwitch(kSaw8), presetSwitch(kPwm16), presetSwitch(kString8)}, state.range(0) != 0, 0});
  std::vector<double> left(kBlock), right(kBlock);
  renderSeconds(engine, host, 2.0, left, right);
  for (auto _ : state) {
    timedRender(engine, host, left, right);
    benchmark::DoNotOptimize(left.data());
  }
}

// Eight voices with the longest release (about 3.7 s), let go; each run renders one second
// starting the given number of seconds after the release. Times that stay flat once the voices
// are silent show that nothing slows down as the signals decay towards zero.
void ReleaseTail(benchmark::State& state) {
  std::vector<double> left(kBlock), right(kBlock);
  for (auto _ : state) {
    state.PauseTiming();
    auto engine = std::make_unique<Engine>();
    QuietHost host;
    prepare(*engine, host, {3,
                              {presetSwitch(kSaw32), presetSwitch(kSaw8), presetSwitch(kSaw4), presetSwitch(kHorn16),
                               presetSwitch(kString8)},
                              true, 8});
    for (int preset : {kSaw32, kSaw8, kSaw4, kTrumpet8, kString8}) {
      engine->parameterChanged(presetParameter(preset, kPresetRelease), 4.0);
    }
    renderSeconds(*engine, host, 0.5, left, right);
    for (int i = 0; i < 8; ++i) engine->handleEvent(0x80, static_cast<std::uint8_t>(36 + i), 0, host);
    renderSeconds(*engine, host, static_cast<double>(state.range(0)), left, right);
    state.ResumeTiming();
    renderSeconds(*engine, host, 1.0, left, right);
    benchmark::DoNotOptimize(left.data());
  }
  state.counters["realtime_factor"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(OneVoiceOneFootage);
BENCHMARK(EightVoicesThreeFootages);
BENCHMARK(SixtyFourVoicesAllChannelsChorus);
BENCHMARK(TypicalPatchHeld);
BENCHMARK(SixtyFourVoicesAllChannelsHeld);
BENCHMARK(IdleTypicalPatch)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReleaseTail)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(5)->Arg(30)->Iterations(5)->Unit(benchmark::kMillisecond);
