// The global LFOs, the modulation sources and the control tick's global modulation.
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "dsp/EngineTables.h"
#include "dsp/Random.h"
#include "engine/Engine.h"
#include "engine/GlobalModulation.h"
#include "engine/Lfo.h"
#include "tests/engine_test_support.h"

using namespace sorvel;
using namespace sorvel::test;

namespace {

constexpr double kScale = 4.6566129e-10;

std::int32_t power16807(int n) {
  std::uint32_t s = 1;
  for (int i = 0; i < n; ++i) s *= 16807u;
  return static_cast<std::int32_t>(s);
}

}  // namespace

TEST(EngineLfo, FirstDrawsGoToVibratoThenPwmThenSampleHold) {
  restartGenerators();
  Engine engine;
  EXPECT_EQ(engine.state().vibratoLfo.pendingRandom, 16807 * kScale);
  EXPECT_EQ(engine.state().pwmLfo.pendingRandom, power16807(2) * kScale);
  EXPECT_EQ(engine.state().sampleHoldLfo.pendingRandom, power16807(3) * kScale);
  EXPECT_EQ(engine.state().vibratoLfo.phase, 0.0);
  EXPECT_EQ(engine.state().vibratoLfo.held, 0.0);
}

TEST(EngineLfo, PhaseLandingExactlyOnTheCycleEndWrapsWithoutADraw) {
  Lfo lfo;
  lfo.phase = 4000;
  lfo.increment = 96;
  lfo.pendingRandom = 0.25;
  lfoRandom().setState(1);
  stepLfo(lfo);
  EXPECT_EQ(lfo.phase, 0.0);
  EXPECT_EQ(lfoRandom().state(), 1);
  EXPECT_EQ(lfo.pendingRandom, 0.25);
  EXPECT_EQ(lfo.held, 0.25);
}

TEST(EngineLfo, PhasePassingTheCycleEndDrawsAndWraps) {
  Lfo lfo;
  lfo.phase = 4000;
  lfo.increment = 100.5;
  lfoRandom().setState(1);
  stepLfo(lfo);
  EXPECT_EQ(lfo.phase, 4.5);
  EXPECT_EQ(lfo.pendingRandom, 16807 * kScale);
  EXPECT_EQ(lfo.held, 16807 * kScale);
  // The held value keeps the latest draw on later ticks.
  stepLfo(lfo);
  EXPECT_EQ(lfo.held, 16807 * kScale);
}

TEST(EngineLfo, ValueIsReadAtThePhaseBeforeTheAdvance) {
  Lfo lfo;
  lfo.phase = 1024.9;  // a quarter cycle: the sine's peak
  lfo.increment = 1000;
  stepLfo(lfo);
  EXPECT_EQ(lfo.value, sineTable()[1024]);
  EXPECT_EQ(lfo.unipolar, (sineTable()[1024] + 1.0) * 0.5);
  EXPECT_DOUBLE_EQ(lfo.phase, 2024.9);
}

TEST(EngineLfo, CorruptPhaseRestartsTheCycleInsteadOfLoopingForever) {
  Lfo lfo;
  lfo.phase = std::nan("");
  setLfoRate(lfo, std::nan(""));
  stepLfo(lfo);
  EXPECT_EQ(lfo.phase, 0.0);
  EXPECT_EQ(lfo.increment, 0.0);
  setLfoRate(lfo, 1e300);
  stepLfo(lfo);
  EXPECT_TRUE(lfo.phase >= 0.0 && lfo.phase < 4096.0);
}

TEST(EngineLfo, TickStepsVibratoThenSampleHoldThenPwm) {
  Engine engine;
  EngineState& s = engine.state();
  for (Lfo* lfo : {&s.vibratoLfo, &s.pwmLfo, &s.sampleHoldLfo}) {
    lfo->phase = 4095;
    lfo->increment = 2;
  }
  restartGenerators();
  engine.controlTick();
  EXPECT_EQ(s.vibratoLfo.held, power16807(1) * kScale);
  EXPECT_EQ(s.sampleHoldLfo.held, power16807(2) * kScale);
  EXPECT_EQ(s.pwmLfo.held, power16807(3) * kScale);
}

TEST(EngineLfo, RateLawsGiveTheStatedFrequencies) {
  Engine engine;
  engine.parameterChanged(kLfoSpeed, 0.5);
  EXPECT_DOUBLE_EQ(engine.state().vibratoLfo.rate, 0.25125);
  EXPECT_DOUBLE_EQ(engine.state().vibratoLfo.increment, 30.8736);
  engine.parameterChanged(kLfoSpeed, 1.0);
  // One cycle of 4096 units per tick at 1000 ticks per second.
  EXPECT_NEAR(engine.state().vibratoLfo.increment * 1000.0 / 4096.0, 30.0, 1e-9);
  engine.parameterChanged(kLfoSpeed, 0.0);
  EXPECT_NEAR(engine.state().vibratoLfo.increment * 1000.0 / 4096.0, 0.05, 1e-9);

  engine.parameterChanged(kSampleHoldClock, 1.0);
  EXPECT_NEAR(engine.state().sampleHoldLfo.increment * 1000.0 / 4096.0, 15.0, 1e-9);
  engine.parameterChanged(kSampleHoldClock, 0.0);
  EXPECT_NEAR(engine.state().sampleHoldLfo.increment * 1000.0 / 4096.0, 0.05, 1e-9);

  engine.parameterChanged(kPwmSpeed, 1.0);
  EXPECT_NEAR(engine.state().pwmLfo.increment * 1000.0 / 4096.0, 30.0, 1e-9);
  EXPECT_EQ(Engine::voiceValue(82, 1.0), engine.state().pwmLfo.rate);
  EXPECT_EQ(Engine::voiceValue(34, 0.5), 0.25125);
}

TEST(EngineLfo, ResetSetsThePwmRateWhateverItsParameterHolds) {
  Engine engine;
  engine.parameterChanged(kPwmSpeed, 1.0);
  engine.reset(48000);
  EXPECT_EQ(engine.state().pwmLfo.rate, 0.05);
  EXPECT_EQ(engine.state().pwmLfo.increment, 6.144);
}

TEST(EngineModulation, LowPassSourceOnWithDepthZeroGivesMinusPointSix) {
  Engine engine;
  engine.parameterChanged(kLowPassSource, 1);  // "LPF Src" "On"
  engine.parameterChanged(kLowPassDepth, 0);
  engine.controlTick();
  EXPECT_EQ(engine.state().lowPassModulation, -0.6);
  engine.parameterChanged(kLowPassDepth, 0.5);
  engine.controlTick();
  EXPECT_EQ(engine.state().lowPassModulation, 0.5 - 0.6);
}

TEST(EngineModulation, LowPassSourcesByKind) {
  Engine engine;
  RecordingHost host;
  engine.parameterChanged(kLowPassDepth, 0.5);

  engine.parameterChanged(kLowPassSource, 0);
  engine.controlTick();
  EXPECT_EQ(engine.state().lowPassModulation, 0.0);

  engine.parameterChanged(kLowPassSource, 127);  // velocity: scaled later in each voice
  engine.controlTick();
  EXPECT_EQ(engine.state().lowPassModulation, 1.0);

  // Channel pressure is read unsmoothed.
  engine.handleEvent(0xD0, 127, 0, host);
  engine.parameterChanged(kLowPassSource, 3);
  engine.controlTick();
  EXPECT_EQ(engine.state().lowPassModulation, 0.5);

  // A controller is smoothed at 80 Hz.
  engine.reset(44100);
  engine.parameterChanged(kLowPassSource, 8);
  controller(engine, host, 1, 127);
  const double a = engine.state().smoothingA;
  const double b = engine.state().smoothingB;
  EXPECT_DOUBLE_EQ(b, std::exp(-2.0 * std::numbers::pi * 80.0 / 44100.0));
  EXPECT_EQ(a, 1.0 - b);
  engine.controlTick();
  EXPECT_EQ(engine.state().lowPassModulation, a * 1.0 * 0.5);
  const double first = engine.state().lowPassModulation;
  engine.controlTick();
  EXPECT_EQ(engine.state().lowPassModulation, a * 1.0 * 0.5 + b * first);
}

TEST(EngineModulation, LfoSourcesAreReadAsOfThePreviousTick) {
  Engine engine;
  engine.parameterChanged(kLowPassSource, 4);  // vibrato LFO
  engine.parameterChanged(kLowPassDepth, 1.0);
  engine.state().vibratoLfo.phase = 1024;  // the peak comes out of this tick
  engine.state().vibratoLfo.increment = 1;
  engine.controlTick();
  // The source list held the earlier value (0 after Reset) when the filter modulation was formed.
  EXPECT_EQ(engine.state().lowPassModulation, -1.0);
  EXPECT_EQ(engine.state().sources[kSourceVibratoLfo], 1.0);
  engine.controlTick();
  EXPECT_EQ(engine.state().lowPassModulation, 1.0);
}

TEST(EngineModulation, HighPassModulationSetsTheGlobalCutoff) {
  Engine engine;
  engine.parameterChanged(kHighPassSource, 1);  // "HPF Src" "On"
  engine.parameterChanged(kHighPassDepth, 0.5);
  engine.controlTick();
  EXPECT_EQ(engine.state().highPassModulation, 0.5);
  const HighPass& hp = engine.globalHighPass();
  EXPECT_EQ(hp.lower, Engine::kHighPassLower);
  EXPECT_EQ(hp.upper, Engine::kHighPassUpper);
  EXPECT_EQ(hp.cutoff, Engine::kHighPassLower + (Engine::kHighPassUpper - Engine::kHighPassLower) * 0.25);

  engine.parameterChanged(kHighPassSource, 0);
  engine.controlTick();
  EXPECT_EQ(engine.globalHighPass().cutoff, Engine::kHighPassLower);
}

TEST(EngineModulation, ResetClearsInputsAndSourcesButOn) {
  Engine engine;
  RecordingHost host;
  engine.handleEvent(0xE0, 0, 0, host);
  engine.handleEvent(0xD0, 64, 0, host);
  controller(engine, host, 1, 100);
  engine.controlTick();
  engine.reset(44100);
  const EngineState& s = engine.state();
  EXPECT_EQ(s.pitchBend, 0.0);
  EXPECT_EQ(s.channelPressure, 0.0);
  EXPECT_EQ(s.noiseValue, 0.0);
  EXPECT_EQ(s.lowPassModulation, 0.0);
  EXPECT_EQ(s.highPassModulation, 0.0);
  for (int i = 0; i < kSourceCount; ++i) EXPECT_EQ(s.sources[static_cast<std::size_t>(i)], i == 1 ? 1.0 : 0.0) << i;
}

TEST(EngineModulation, SmoothedNoiseFollowsTheNoiseGenerator) {
  Engine engine;
  restartGenerators();
  engine.controlTick();
  const double a = engine.state().smoothingA;
  EXPECT_EQ(engine.state().noiseValue, a * (16807 * kScale));
  EXPECT_EQ(noiseRandom().state(), 16807);
}

TEST(EngineModulation, JoystickCarriesPitchBendVibratoAndNoise) {
  Engine engine;
  RecordingHost host;
  engine.parameterChanged(kJoystickSynthe, 1);
  engine.parameterChanged(kJoystickSyntheRange, 896);
  engine.parameterChanged(kVibratoSource, 0);  // vibrato source "Off"
  engine.parameterChanged(kNoiseSource, 0);
  engine.handleEvent(0xE0, 0, 96, host);  // (96 x 128 - 8192) / 8192 = 0.5
  engine.controlTick();
  EXPECT_EQ(engine.state().synthePitchModulation, 448.0);
  EXPECT_EQ(engine.state().instrumentPitchModulation, 0.0);

  // Vibrato by the "On" source at depth 0.5 adds half the LFO value.
  engine.parameterChanged(kVibratoSource, 1);
  engine.parameterChanged(kVibratoDepth, 0.5);
  engine.parameterChanged(kJoystickInstrument, 1);
  engine.parameterChanged(kJoystickInstrumentRange, 100);
  engine.controlTick();
  const double lfo = engine.state().vibratoLfo.value;
  EXPECT_EQ(engine.state().synthePitchModulation, (0.5 * lfo + 0.5) * 896);
  EXPECT_EQ(engine.state().instrumentPitchModulation, (0.5 * lfo + 0.5) * 100);

  // Noise by the "On" source scales the smoothed noise.
  engine.parameterChanged(kVibratoSource, 0);
  engine.parameterChanged(kNoiseSource, 1);
  engine.parameterChanged(kNoiseDepth, 16);
  engine.controlTick();
  EXPECT_EQ(engine.state().synthePitchModulation, (16 * engine.state().noiseValue + 0.5) * 896);
}

TEST(EngineModulation, KeyboardSensorModesAndDestinations) {
  Engine engine;
  RecordingHost host;
  engine.handleEvent(0xD0, 127, 0, host);
  engine.parameterChanged(kSensorIntensity, 0.5);
  engine.parameterChanged(kSensorMode, 0);
  engine.parameterChanged(kSensorDestination, 1);
  engine.controlTick();
  EXPECT_EQ(engine.state().synthePitchModulation, 0.0);  // sensor off

  engine.parameterChanged(kKeyboardSensor, 1);
  engine.controlTick();
  EXPECT_EQ(engine.state().synthePitchModulation, 768.0);
  EXPECT_EQ(engine.state().instrumentPitchModulation, 768.0);

  engine.parameterChanged(kSensorMode, 2);
  engine.parameterChanged(kSensorDestination, 2);
  engine.controlTick();
  EXPECT_EQ(engine.state().synthePitchModulation, -768.0);
  EXPECT_EQ(engine.state().instrumentPitchModulation, 0.0);

  engine.parameterChanged(kSensorMode, 1);
  engine.parameterChanged(kSensorDestination, 0);
  engine.controlTick();
  EXPECT_EQ(engine.state().synthePitchModulation, 0.0);
  EXPECT_EQ(engine.state().instrumentPitchModulation, 768.0 * engine.state().vibratoLfo.value);
}

TEST(EngineModulation, OctaveFlagsInEveryOrder) {
  struct Step {
    int index;
    double value;
    double shift;
  };
  const std::vector<std::vector<Step>> sequences = {
      {{19, 1, -1536}, {20, 1, 1536}, {19, 0, 1536}, {20, 0, 0}},
      {{20, 1, 1536}, {19, 1, 1536}, {20, 0, -1536}, {19, 0, 0}},
      {{20, 1, 1536}, {19, 1, 1536}, {19, 0, 1536}, {20, 0, 0}},
      {{19, 1, -1536}, {20, 1, 1536}, {20, 0, -1536}, {19, 0, 0}},
      {{19, 1, -1536}, {19, 0, 0}, {20, 1, 1536}, {20, 0, 0}},
  };
  for (const auto& sequence : sequences) {
    Engine engine;
    engine.parameterChanged(kMasterTune, 10);  // master tune joins the base
    for (const Step& step : sequence) {
      engine.parameterChanged(step.index, step.value);
      EXPECT_EQ(engine.settings().octaveShift, step.shift);
      engine.controlTick();
      EXPECT_EQ(engine.state().synthePitchModulation, 10 + step.shift);
      EXPECT_EQ(engine.state().instrumentPitchModulation, 10 + step.shift);
    }
  }
}
