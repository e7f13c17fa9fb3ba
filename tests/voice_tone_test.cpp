// The instrument tones with behaviour of their own: TUBA's high-passed envelope, FUZZ GUITAR's
// envelope-driven width, CLAVI's width, DOUBLE REED's fixed high-pass, and the S/H and PWM footages.
#include <gtest/gtest.h>

#include "tests/voice_rig.h"

namespace sorvel {
namespace {

using test::Sections;
using test::VoiceRig;

TEST(VoiceTone, TubaCutoffRisesWithTheAttackAndSettlesBack) {
  VoiceRig rig;
  rig.enableOnly(kTuba32);
  rig.preset(kTuba32, kPresetCutoff, 0.3);
  rig.preset(kTuba32, kPresetEnvToFilter, 0.5);
  rig.voice->setParameter(kTubaCutoff, 0.05);
  rig.play(40);
  rig.run(20);
  const ChannelFilter& filter = rig.voice->channel(kTuba32).channelFilter;
  EXPECT_GT(filter.envValue, 0.8);
  ChannelFilter settled;
  settled.cutoff = 0.35;
  settled.computeCoefficients(rig.state.tables->cutoff.data());
  EXPECT_GT(filter.g, settled.g);
  const Sections early = rig.run(100);
  // Run at control rate with a coefficient made for the audio rate, the high-pass has a time
  // constant of about 2.2 s: after 30 s of held envelope nothing of it is left.
  rig.run(30000);
  EXPECT_EQ(rig.voice->channel(kTuba32).envelope.value, 1.0);
  EXPECT_LT(std::abs(filter.envValue), 1e-5);
  EXPECT_EQ(filter.g, settled.g);
  const Sections late = rig.run(100);
  // A lower cutoff: less of the sawtooth's upper harmonics.
  EXPECT_LT(test::rms(late.instrument), test::rms(early.instrument));
}

TEST(VoiceTone, TubaHighPassIsFirstOrderAtThreePointTwoHertz) {
  VoiceRig rig;
  rig.enableOnly(kTuba32);
  rig.play(40);
  rig.run(2);
  const ChannelFilter& filter = rig.voice->channel(kTuba32).channelFilter;
  // Envelope at 1 from now on: y decays by (1 - g/2)/(1 + g/2) per tick, g = 2 pi 3.2 / rate.
  rig.run(10);
  const double a = filter.envValue;
  rig.run(1);
  const double g = 2 * test::kPi * 3.2 / 44100;
  EXPECT_NEAR(filter.envValue / a, (2 - g) / (2 + g), 1e-12);
}

TEST(VoiceTone, FuzzWidthFollowsTheEnvelope) {
  VoiceRig rig;
  rig.enableOnly(kFuzzGuitar16);
  rig.preset(kFuzzGuitar16, kPresetDecay, 0.05);  // quick decay
  rig.play(33);             // 16': 55 Hz, long periods for a clean duty reading
  rig.voice->controlTick();
  EXPECT_DOUBLE_EQ(rig.voice->fuzzWidth(), 1 - 0.7 * rig.voice->channel(kFuzzGuitar16).envelope.value);
  rig.run(5);
  rig.voice->controlTick();
  EXPECT_DOUBLE_EQ(rig.voice->fuzzWidth(), 1 - 0.7 * 1.0);  // full envelope: narrow pulse
  EXPECT_NEAR(test::dutyCycle(rig.run(1000).instrument, 0), 0.3 / 2, 0.012);
  rig.preset(kFuzzGuitar16, kPresetSustain, 0.5);  // sustain down to half: the pulse widens
  rig.run(1000);
  rig.voice->controlTick();
  EXPECT_NEAR(rig.voice->fuzzWidth(), 1 - 0.7 * 0.5, 1e-6);
  EXPECT_NEAR(test::dutyCycle(rig.run(1000).instrument, 0), 0.65 / 2, 0.012);
}

TEST(VoiceTone, ClaviWidthFromItsParameter) {
  // The engine hands on 1 - 0.9 x: 0 gives a square, 1 a twentieth of a period.
  for (auto [x, duty] : {std::pair{0.0, 0.5}, {1.0, 0.05}, {0.5, 0.275}}) {
    VoiceRig rig;
    rig.enableOnly(kClavi16);
    rig.voice->setParameter(kClaviWidth, 1 - 0.9 * x);
    rig.play(33);
    EXPECT_NEAR(test::dutyCycle(rig.run(1000).instrument, 0), duty, 0.012) << x;
  }
}

TEST(VoiceTone, ClarinetWithNoMixIsASquareThroughTheLowPass) {
  VoiceRig rig;
  rig.enableOnly(kClarinet8);
  rig.preset(kClarinet8, kPresetCutoff, 0.2);
  rig.preset(kClarinet8, kPresetEnvToFilter, 0.0);
  rig.play(45);
  const auto& dual = rig.voice->channel(kClarinet8).dualFilter;
  EXPECT_EQ(dual.lowWeight, 1.0);
  EXPECT_EQ(dual.bandWeight, 0.0);
  const Sections out = rig.run(1000);
  EXPECT_NEAR(test::dutyCycle(out.instrument, 2000), 0.5, 0.02);
  EXPECT_NEAR(test::strongestFrequency(out.instrument, 44100, 2000), 220.0, 0.22);  // 8': an octave up
}

TEST(VoiceTone, DoubleReedHighPassSettingsAndPersistence) {
  VoiceRig rig;
  const HighPass& hp = rig.voice->doubleReedHighPass();
  EXPECT_EQ(hp.quality, 7.3);
  EXPECT_NEAR(hp.cutoff * 44100 / (2 * test::kPi), 1223.58, 0.01);
  rig.enableOnly(kDoubleReed8);
  rig.play(60);
  rig.run(57);
  const HighPass held = hp;
  rig.enable(kDoubleReed8, false);
  rig.run(30);
  EXPECT_EQ(hp.x1, held.x1);
  EXPECT_EQ(hp.y1, held.y1);
  EXPECT_EQ(hp.y2, held.y2);
  // A new note does not clear it either.
  rig.play(64);
  rig.run(3);
  EXPECT_EQ(hp.y1, held.y1);
  // Enabled again, it carries on from that state: the same pulse block through a copy of the
  // held filter gives the state the voice's filter ends with.
  rig.enable(kDoubleReed8);
  rig.voice->controlTick();
  auto tables = rig.state.tables;
  std::vector<double> pulse(44);
  rig.voice->instrumentOscillator().pulse(*tables, 2, 0.1, pulse.data(), 44);
  HighPass copy = held;
  copy.process(pulse.data(), 44);
  std::vector<double> a(44, 0.0), b(44, 0.0);
  rig.voice->render(a.data(), b.data(), 44);
  EXPECT_EQ(hp.y1, copy.y1);
  EXPECT_EQ(hp.x1, copy.x1);
  EXPECT_GT(test::rms(b), 0.0);
}

TEST(VoiceTone, DoubleReedHighPassCutsLowNotes) {
  // Through the resonant high-pass at about 1.2 kHz a low note loses its fundamental.
  VoiceRig rig;
  rig.enableOnly(kDoubleReed8);
  rig.play(36);
  const Sections out = rig.run(1000);
  EXPECT_GT(test::strongestFrequency(out.instrument, 44100, 2000), 1000.0);
}

TEST(VoiceTone, SampleAndHoldDrivesTheFilterOfSixteenFootSH) {
  VoiceRig rig;
  rig.enableOnly(kSampleHold16);
  rig.preset(kSampleHold16, kPresetCutoff, 0.2);
  rig.preset(kSampleHold16, kPresetEnvToFilter, 0.5);
  rig.state.sampleHoldLfo.held = 0.6;
  rig.play(60);
  rig.run(1);
  const ChannelFilter& filter = rig.voice->channel(kSampleHold16).channelFilter;
  EXPECT_EQ(filter.envValue, 0.6);
  const double g = filter.g;
  rig.state.sampleHoldLfo.held = -0.6;
  rig.run(1);
  EXPECT_EQ(filter.envValue, -0.6);
  EXPECT_LT(filter.g, g);
  // Disabled, the S/H no longer reaches it.
  rig.enable(kSampleHold16, false);
  rig.state.sampleHoldLfo.held = 0.9;
  rig.run(1);
  EXPECT_EQ(filter.envValue, -0.6);
}

TEST(VoiceTone, PwmWidthFollowsTheLfo) {
  VoiceRig rig;
  rig.enableOnly(kPwm16);
  rig.state.pwmLfo.unipolar = 1.0;
  rig.play(33);
  rig.run(1);
  EXPECT_DOUBLE_EQ(rig.voice->pwmWidth(), 0.34);
  EXPECT_NEAR(test::dutyCycle(rig.run(1000).synthe, 0), 0.17, 0.012);
  rig.state.pwmLfo.unipolar = 0.0;
  rig.run(1);
  EXPECT_EQ(rig.voice->pwmWidth(), 1.0);
}

TEST(VoiceTone, FollowingFiltersTrackTheirEnvelope) {
  VoiceRig rig;
  rig.enableOnly(kTrumpet8);
  rig.preset(kTrumpet8, kPresetCutoff, 0.1);
  rig.preset(kTrumpet8, kPresetEnvToFilter, 0.5);
  rig.preset(kTrumpet8, kPresetAttack, 1.0);
  rig.play(60);
  rig.run(100);
  rig.voice->controlTick();
  const ChannelFilter& filter = rig.voice->channel(kTrumpet8).channelFilter;
  const Envelope& envelope = rig.voice->channel(kTrumpet8).envelope;
  ASSERT_GT(envelope.value, 0.0);
  EXPECT_EQ(filter.envValue, envelope.value);
  ChannelFilter expected;
  expected.cutoff = 0.1;
  expected.envAmount = 0.5;
  expected.envValue = filter.envValue;
  expected.computeCoefficients(rig.state.tables->cutoff.data());
  EXPECT_EQ(filter.g, expected.g);
}

TEST(VoiceTone, HeldFilterTakesANewResonanceAndTable) {
  VoiceRig rig;
  rig.enableOnly(kSaw8);
  rig.preset(kSaw8, kPresetCutoff, 0.4);
  rig.play(60);
  rig.run(50);
  const ChannelFilter& filter = rig.voice->channel(kSaw8).channelFilter;
  // The table entry stays the same from here on; the coefficients must still follow.
  rig.preset(kSaw8, kPresetFilter2, 0.7);
  rig.voice->controlTick();
  ChannelFilter expected = filter;
  expected.computeCoefficients(rig.state.tables->cutoff.data());
  EXPECT_EQ(filter.k, expected.k);
  EXPECT_EQ(filter.G0, expected.G0);
  rig.state.tables = EngineTables::forRate(48000);
  rig.voice->controlTick();
  expected.computeCoefficients(rig.state.tables->cutoff.data());
  EXPECT_EQ(filter.g, expected.g);
  EXPECT_EQ(filter.beta2, expected.beta2);
}

// Once a held note's envelopes stand still, the control tick leaves their channels alone: every
// later setting must still reach the filter and the envelope.
TEST(VoiceTone, SettledNoteTakesNewCutoffEnvAmountAndSustain) {
  VoiceRig rig;
  rig.enableOnly(kTrumpet8);
  rig.preset(kTrumpet8, kPresetCutoff, 0.3);
  rig.preset(kTrumpet8, kPresetEnvToFilter, 0.2);
  rig.play(60);
  rig.run(50);
  const ChannelFilter& filter = rig.voice->channel(kTrumpet8).channelFilter;
  const Envelope& envelope = rig.voice->channel(kTrumpet8).envelope;
  ASSERT_EQ(envelope.value, 1.0);
  auto expectFreshCoefficients = [&](const char* what) {
    ChannelFilter expected = filter;
    expected.computeCoefficients(rig.state.tables->cutoff.data());
    EXPECT_EQ(filter.g, expected.g) << what;
    EXPECT_EQ(filter.G0, expected.G0) << what;
  };
  rig.preset(kTrumpet8, kPresetCutoff, 0.6);
  rig.run(1);
  expectFreshCoefficients("cutoff");
  rig.voice->setParameter(kTrumpetCutoff, -0.2);
  rig.run(1);
  expectFreshCoefficients("tone offset");
  rig.preset(kTrumpet8, kPresetEnvToFilter, 0.0);
  rig.run(1);
  expectFreshCoefficients("env amount");
  rig.preset(kTrumpet8, kPresetSustain, 0.5);
  const double before = test::rms(rig.run(1).instrument);
  EXPECT_LT(envelope.value, 1.0);
  EXPECT_LT(test::rms(rig.run(20).instrument), before);
}

}  // namespace
}  // namespace sorvel
