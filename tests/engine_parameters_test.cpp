// The parameter-changed handler: values handed to the voices and the engine copies.
#include <cmath>

#include <gtest/gtest.h>

#include "engine/Engine.h"

using namespace sorvel;

TEST(EngineParameters, TuneLawsHandPitchUnitsToTheVoices) {
  for (int index : {8, 56}) {  // "SyntTune", "Syn.Ptch"
    EXPECT_EQ(Engine::voiceValue(index, 0.5), 0.0);
    EXPECT_EQ(Engine::voiceValue(index, 1.0), 896.0);
    EXPECT_EQ(Engine::voiceValue(index, 0.0), -896.0);
    EXPECT_EQ(Engine::voiceValue(index, 0.75), 224.0);
    EXPECT_EQ(Engine::voiceValue(index, 0.25), -224.0);
    EXPECT_EQ(Engine::voiceValue(index, 0.51), 0.0);  // 0.358 rounds to 0: flat in the middle
    EXPECT_EQ(Engine::voiceValue(index, 0.6), 36.0);  // 35.84 rounds up
  }
}

TEST(EngineParameters, TimeAndWidthLaws) {
  EXPECT_DOUBLE_EQ(Engine::voiceValue(29, 0.1), 0.05);  // "Porta T." in seconds
  EXPECT_EQ(Engine::voiceValue(29, 1.0), 5.0);
  EXPECT_EQ(Engine::voiceValue(35, 0.25), 1250.0);  // "LFO Dly" in milliseconds
  EXPECT_EQ(Engine::voiceValue(67, 0.0), 1.0);      // "16'ClaPW": square
  EXPECT_DOUBLE_EQ(Engine::voiceValue(67, 1.0), 0.1);
  EXPECT_DOUBLE_EQ(Engine::voiceValue(59, 1.0), 0.5);
  // Everything else goes through unchanged.
  for (int index : {0, 1, 3, 7, 21, 28, 33, 36, 57, 65, 68, 83, 234}) EXPECT_EQ(Engine::voiceValue(index, 0.3), 0.3);
}

TEST(EngineParameters, EngineCopiesFollowTheirParameters) {
  Engine engine;
  engine.parameterChanged(kMasterTune, -100);
  engine.parameterChanged(kSensorMode, 2);
  engine.parameterChanged(kSensorDestination, 0);
  engine.parameterChanged(kVibratoSource, 126);
  engine.parameterChanged(kVibratoDepth, 0.7);
  engine.parameterChanged(kNoiseSource, 3);
  engine.parameterChanged(kNoiseDepth, 12.5);
  engine.parameterChanged(kLowPassSource, 127);
  engine.parameterChanged(kLowPassDepth, 0.4);
  engine.parameterChanged(kHighPassSource, 6);
  engine.parameterChanged(kHighPassDepth, 0.9);
  engine.parameterChanged(kKeyboardSensor, 1);
  engine.parameterChanged(kJoystickSynthe, 0.49);  // switches are on from 0.5
  engine.parameterChanged(kJoystickInstrument, 0.5);
  engine.parameterChanged(kSensorIntensity, 0.2);
  engine.parameterChanged(kJoystickSyntheRange, 1536);
  engine.parameterChanged(kJoystickInstrumentRange, 12);
  const ModulationSettings& s = engine.settings();
  EXPECT_EQ(s.masterTune, -100);
  EXPECT_EQ(s.keyboardSensorMode, 2);
  EXPECT_EQ(s.keyboardSensorDestination, 0);
  EXPECT_EQ(s.vibratoSource, 126);
  EXPECT_EQ(s.vibratoDepth, 0.7);
  EXPECT_EQ(s.noiseSource, 3);
  EXPECT_EQ(s.noiseDepth, 12.5);
  EXPECT_EQ(s.lowPassSource, 127);
  EXPECT_EQ(s.lowPassDepth, 0.4);
  EXPECT_EQ(s.highPassSource, 6);
  EXPECT_EQ(s.highPassDepth, 0.9);
  EXPECT_TRUE(s.keyboardSensorOn);
  EXPECT_FALSE(s.joystickSynthe);
  EXPECT_TRUE(s.joystickInstrument);
  EXPECT_EQ(s.keyboardSensorIntensity, 0.2);
  EXPECT_EQ(s.joystickSyntheRange, 1536);
  EXPECT_EQ(s.joystickInstrumentRange, 12);
}

TEST(EngineParameters, ConstructionAppliesTheDefaults) {
  Engine engine;
  const ModulationSettings& s = engine.settings();
  EXPECT_EQ(engine.voicesInUse(), 1);
  EXPECT_EQ(s.vibratoSource, 8);
  EXPECT_EQ(s.keyboardSensorMode, 1);
  EXPECT_EQ(s.joystickSyntheRange, 896);
  EXPECT_EQ(engine.output().volumeFactor, 0.25);
  EXPECT_DOUBLE_EQ(engine.state().vibratoLfo.rate, 0.25125);
  EXPECT_DOUBLE_EQ(engine.output().chorusLfo1.increment, (2 * 0.00531441 * 30 + 0.05) / 1000);
  // The PWM LFO takes its reset rate until "PWM Speed" is applied, which construction does.
  EXPECT_DOUBLE_EQ(engine.state().pwmLfo.rate, 0.9983333333333333 * 0.156 * 0.156 + 0.0016666666666666668);
}

TEST(EngineParameters, ValuesOutsideTheRangeOrNotANumberAreHeldToIt) {
  Engine engine;
  engine.parameterChanged(kLfoSpeed, std::nan(""));
  EXPECT_DOUBLE_EQ(engine.state().vibratoLfo.rate, 0.0016666666666666668);
  engine.parameterChanged(kLfoSpeed, 1e300);
  EXPECT_DOUBLE_EQ(engine.state().vibratoLfo.rate, 1.0);
  engine.parameterChanged(kSensorMode, 1e12);
  EXPECT_EQ(engine.settings().keyboardSensorMode, 2);
  engine.parameterChanged(kLowPassSource, -HUGE_VAL);
  EXPECT_EQ(engine.settings().lowPassSource, 0);
  engine.parameterChanged(kVolume, std::nan(""));
  EXPECT_EQ(engine.output().volumeFactor, 0.0);
  // Indices outside the table are ignored.
  engine.parameterChanged(-1, 1);
  engine.parameterChanged(kParameterCount, 1);
  engine.parameterChanged(1 << 30, 1);
}

TEST(EngineParameters, OutputParametersReachTheStage) {
  Engine engine;
  engine.parameterChanged(kVolume, 0.5);
  engine.parameterChanged(kBalance, 0.25);
  engine.parameterChanged(kPanSynthe, 0.1);
  engine.parameterChanged(kPanInstrument, 0.9);
  engine.parameterChanged(kChorusSyntheMix, 0.3);
  engine.parameterChanged(kChorusInstrumentMix, 0.7);
  engine.parameterChanged(kChorus, 1);
  engine.parameterChanged(kChorusDepth, 1);
  const OutputStage& out = engine.output();
  EXPECT_EQ(out.volumeFactor, 0.25);
  EXPECT_EQ(out.balance, 0.25);
  EXPECT_EQ(out.synthePan, 0.1);
  EXPECT_EQ(out.instrumentPan, 0.9);
  EXPECT_EQ(out.syntheMix, 0.3);
  EXPECT_EQ(out.instrumentMix, 0.7);
  EXPECT_TRUE(out.chorusOn);
  EXPECT_EQ(out.chorusDepth, 0.45);
  EXPECT_EQ(out.syntheDry.left, 0.75 * 0.25 * 0.9 * std::sqrt(0.7));
  EXPECT_EQ(out.instrumentWet.right, 0.25 * 0.25 * 0.9 * std::sqrt(0.7));
}

TEST(EngineParameters, ChorusRatesSetTheIncrementsPerTick) {
  Engine engine;
  engine.parameterChanged(kChorusLfo1, 0.5);
  engine.parameterChanged(kChorusLfo2, 0.0081);
  EXPECT_DOUBLE_EQ(engine.output().chorusLfo1.increment, (2 * 0.5 * 30 + 0.05) / 1000);
  EXPECT_DOUBLE_EQ(engine.output().chorusLfo2.increment, (2 * 0.0081 * 30 + 0.05) / 1000);
  // One triangle cycle is a phase travel of 2: at 1000 ticks per second the rate is 30 x value + 0.025 Hz.
  EXPECT_NEAR(engine.output().chorusLfo1.increment * 1000 / 2, 30 * 0.5 + 0.025, 1e-12);
}
