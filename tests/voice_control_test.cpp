// A voice's life cycle and control tick: sample-rate setup, note start, glide, quarter tone,
// legato and retrigger, delayed vibrato, key hold and the parameters that reach it.
#include <gtest/gtest.h>

#include "tests/voice_rig.h"

namespace sorvel {
namespace {

using test::VoiceRig;

TEST(VoiceLifecycle, BlockLengthFollowsTheRate) {
  for (auto [rate, length] : {std::pair{44100.0, 44}, {48000.0, 48}, {96000.0, 96}, {22050.0, 22}}) {
    VoiceRig rig(rate);
    EXPECT_EQ(rig.voice->blockLength(), length) << rate;
  }
}

TEST(VoiceLifecycle, SetupResetsTheNoteButTheSameRateChangesNothing) {
  VoiceRig rig;
  EXPECT_FALSE(rig.voice->active);
  EXPECT_EQ(rig.voice->currentPitch(), 6144);
  EXPECT_EQ(rig.voice->lastNote, 48);
  rig.voice->setParameter(kPortamento, 1);
  rig.enableOnly(kSaw8);
  rig.play(60);
  rig.play(72);
  rig.run(10);
  const double pitch = rig.voice->currentPitch();
  const double envelope = rig.voice->channel(kSaw8).envelope.value;
  rig.voice->setSampleRate(44100);
  EXPECT_TRUE(rig.voice->active);
  EXPECT_EQ(rig.voice->currentPitch(), pitch);
  EXPECT_EQ(rig.voice->channel(kSaw8).envelope.value, envelope);
  rig.run(1);
  EXPECT_GT(rig.voice->currentPitch(), pitch);

  rig.voice->setSampleRate(48000);
  EXPECT_FALSE(rig.voice->active);
  EXPECT_EQ(rig.voice->currentPitch(), 6144);
  EXPECT_EQ(rig.voice->targetPitch(), 6144);
  EXPECT_EQ(rig.voice->lastNote, 48);
  EXPECT_EQ(rig.voice->serial, 0);
  EXPECT_EQ(rig.voice->channel(kSaw8).envelope.sampleRate, 48000);
  // The next note attacks from silence instead of continuing the old envelopes.
  EXPECT_EQ(rig.voice->channel(kSaw8).envelope.state, Envelope::kIdle);
  rig.play(60);
  EXPECT_EQ(rig.voice->channel(kSaw8).envelope.state, Envelope::kAttack);
  EXPECT_EQ(rig.voice->channel(kSaw8).envelope.value, 0.0);
}

TEST(VoiceLifecycle, StartRecordsTheNote) {
  VoiceRig rig;
  rig.voice->start(64, 100, 7, 64 * 128);
  EXPECT_TRUE(rig.voice->active);
  EXPECT_EQ(rig.voice->lastNote, 64);
  EXPECT_EQ(rig.voice->velocity, 100);
  EXPECT_EQ(rig.voice->serial, 7);
  EXPECT_EQ(rig.voice->currentPitch(), 64 * 128);
  for (int ch = 0; ch < kChannelCount; ++ch) EXPECT_EQ(rig.voice->channel(ch).envelope.state, Envelope::kAttack);
}

TEST(VoiceLifecycle, InactiveAtTheFirstTickAfterEveryEnvelopeIsIdle) {
  VoiceRig rig;
  rig.enableOnly(kSaw8);
  rig.play(60);
  rig.run(50);
  rig.voice->releaseAll();
  int ticks = 0;
  while (rig.voice->active && ticks < 1000) {
    rig.run(1);
    ++ticks;
  }
  ASSERT_FALSE(rig.voice->active);
  for (int ch = 0; ch < kChannelCount; ++ch) EXPECT_EQ(rig.voice->channel(ch).envelope.state, Envelope::kIdle);
  // Release 0.01: about 0.92 x 0.011 s, some ten ticks.
  EXPECT_GE(ticks, 9);
  EXPECT_LE(ticks, 12);
  EXPECT_EQ(test::rms(rig.run(5).synthe), 0.0);
}

TEST(VoiceGlide, LandsExactlyOnTheTargetAfterNTicks) {
  VoiceRig rig;
  rig.voice->setParameter(kPortamento, 1);
  rig.voice->setParameter(kPortamentoTime, 0.037);  // 37 ticks
  rig.play(60);
  EXPECT_EQ(rig.voice->currentPitch(), 6144);  // the first note glides from note 48
  rig.run(40);
  EXPECT_EQ(rig.voice->currentPitch(), 60 * 128);
  rig.play(67);
  const double step = (67 * 128 - 60 * 128) / 37.0;
  for (int k = 1; k <= 37; ++k) {
    rig.run(1);
    if (k < 37) {
      ASSERT_NEAR(rig.voice->currentPitch(), 60 * 128 + k * step, 1e-9) << k;
    }
  }
  EXPECT_EQ(rig.voice->currentPitch(), 67 * 128);
  rig.run(3);
  EXPECT_EQ(rig.voice->currentPitch(), 67 * 128);
}

TEST(VoiceGlide, ShortTimesAndPortamentoOffJump) {
  VoiceRig rig;
  rig.voice->setParameter(kPortamento, 1);
  rig.voice->setParameter(kPortamentoTime, 0.0009);  // trunc(0.9) = 0 ticks
  rig.play(60);
  EXPECT_EQ(rig.voice->currentPitch(), 60 * 128);
  rig.voice->setParameter(kPortamentoTime, 1.0);
  rig.voice->setParameter(kPortamento, 0);
  rig.play(70);
  EXPECT_EQ(rig.voice->currentPitch(), 70 * 128);
}

TEST(VoiceQuarterTone, HalfTheIntervalWhileTheKeyIsDown) {
  VoiceRig rig;
  rig.voice->setParameter(kQuarterTone, 1);
  rig.play(60);
  rig.voice->keyDown = true;
  rig.play(62);
  EXPECT_EQ(rig.voice->targetPitch(), 60 * 128 + 128);
  EXPECT_EQ(rig.voice->currentPitch(), 60 * 128 + 128);
  rig.voice->keyDown = false;
  rig.play(62);
  EXPECT_EQ(rig.voice->currentPitch(), 62 * 128);
}

TEST(VoiceTrigger, LegatoUnlessMultipleTrigger) {
  VoiceRig rig;
  rig.enableOnly(kSaw8);
  rig.preset(kSaw8, kPresetSustain, 0.5);
  rig.play(60);
  rig.run(200);
  ASSERT_EQ(rig.voice->channel(kSaw8).envelope.state, Envelope::kDecaySustain);
  rig.play(64);
  EXPECT_EQ(rig.voice->channel(kSaw8).envelope.state, Envelope::kDecaySustain);
  rig.voice->setParameter(kMultipleTrigger, 1);
  rig.play(67);
  EXPECT_EQ(rig.voice->channel(kSaw8).envelope.state, Envelope::kAttack);
  for (int ch = 0; ch < kChannelCount; ++ch) EXPECT_TRUE(rig.voice->channel(ch).envelope.multipleTrigger);
}

TEST(VoiceVibrato, FadeInOverTheDelayThenFull) {
  VoiceRig rig;
  rig.voice->setParameter(kDelayedVibrato, 1);
  rig.voice->setParameter(kLfoDelay, 5.0);  // five ticks
  rig.state.vibratoLfo.value = 1.0;
  rig.enableOnly(kTrumpet8);
  rig.play(60);
  EXPECT_EQ(rig.voice->vibratoFade(), 0.0);
  for (int k = 1; k <= 5; ++k) {
    rig.run(1);
    EXPECT_NEAR(rig.voice->vibratoFade(), k * 0.2, 1e-12) << k;
  }
  rig.run(1);
  EXPECT_EQ(rig.voice->vibratoFade(), 1.0);
  // Full depth 128 pitch units on the instrument oscillator only.
  const auto& tables = *rig.state.tables;
  EXPECT_EQ(rig.voice->instrumentOscillator().increment, tables.pitchIncrement[60 * 128 + 128 - 1536]);
  EXPECT_EQ(rig.voice->syntheOscillator().increment, tables.pitchIncrement[60 * 128 - 1536]);
}

TEST(VoiceVibrato, ADelayBelowOneTickIsFullAtTheFirstTick) {
  VoiceRig rig;
  rig.voice->setParameter(kDelayedVibrato, 1);
  rig.voice->setParameter(kLfoDelay, 0.6);
  rig.play(60);
  rig.run(1);
  EXPECT_EQ(rig.voice->vibratoFade(), 1.0);
}

TEST(VoiceVibrato, OffMeansNoVibratoTerm) {
  VoiceRig rig;
  rig.state.vibratoLfo.value = 1.0;
  rig.play(60);
  rig.run(3000);
  EXPECT_EQ(rig.voice->instrumentOscillator().increment, rig.state.tables->pitchIncrement[60 * 128 - 1536]);
}

TEST(VoiceKeyHold, SwitchingOffReleasesOnlyAVoiceWhoseKeyIsUp) {
  VoiceRig rig;
  rig.play(60);
  rig.voice->keyDown = true;
  rig.voice->setParameter(kKeyHold, 1);
  EXPECT_TRUE(rig.voice->keyHold);
  rig.voice->setParameter(kKeyHold, 0);
  EXPECT_FALSE(rig.voice->keyHold);
  EXPECT_EQ(rig.voice->channel(kNoise).envelope.state, Envelope::kAttack);
  rig.voice->keyDown = false;
  rig.voice->setParameter(kKeyHold, 1);
  rig.voice->setParameter(kKeyHold, 0);
  for (int ch = 0; ch < kChannelCount; ++ch) EXPECT_EQ(rig.voice->channel(ch).envelope.state, Envelope::kRelease);
}

TEST(VoiceParameters, LowPassModulationReachesOnlyTheSyntheFilters) {
  VoiceRig rig;
  rig.state.lowPassModulation = 0.4;
  rig.play(60, 127);
  rig.run(1);
  for (int ch = 0; ch < 8; ++ch) EXPECT_EQ(rig.voice->channel(ch).channelFilter.modulation, 0.4) << ch;
  for (int ch = 8; ch < 19; ++ch) EXPECT_EQ(rig.voice->channel(ch).channelFilter.modulation, 0.0) << ch;
  rig.voice->setParameter(kLowPassSource, 127);  // "LPF Src" = "Velocity"
  rig.run(1);
  EXPECT_DOUBLE_EQ(rig.voice->channel(kNoise).channelFilter.modulation, 0.4 * (1.0 - 0.5));
  rig.voice->setParameter(kLowPassSource, 126);
  rig.run(1);
  EXPECT_EQ(rig.voice->channel(kNoise).channelFilter.modulation, 0.4);
}

TEST(VoiceParameters, PresetBlockMapsToChannelAndKind) {
  VoiceRig rig;
  rig.voice->setParameter(presetParameter(kNoise, kPresetGain), 1.7);
  EXPECT_EQ(rig.voice->channel(kNoise).level, 1.7);
  rig.voice->setParameter(presetParameter(kHammeredPerc4, kPresetRelease), 3.5);
  EXPECT_EQ(rig.voice->channel(kHammeredPerc4).envelope.release, 3.5);
  rig.voice->setParameter(presetParameter(kSaw8, kPresetFilter2), 0.6);  // resonance
  EXPECT_EQ(rig.voice->channel(kSaw8).channelFilter.resonance, 0.6);
  rig.voice->setParameter(presetParameter(kSaw8, kPresetEnvToFilter), 0.3);
  EXPECT_EQ(rig.voice->channel(kSaw8).channelFilter.envAmount, 0.3);
  rig.voice->setParameter(presetParameter(kString8, kPresetSustain), -0.5);  // held at 0
  EXPECT_EQ(rig.voice->channel(kString8).envelope.sustain, 0.0);
  // Unknown ids change nothing.
  rig.voice->setParameter(kParameterCount, 1);
  rig.voice->setParameter(-1, 1);
  rig.voice->setChannelParameter(19, 0, 5);
  rig.voice->setChannelParameter(3, 8, 5);
  EXPECT_EQ(rig.voice->channel(kPwm16).level, 1.0);
}

TEST(VoiceParameters, OffsetsCombineWithPresetTimesAndHoldAtZero) {
  VoiceRig rig;
  rig.preset(kNoise, kPresetAttack, 1.0);
  rig.preset(kNoise, kPresetRelease, 1.5);
  rig.voice->setParameter(kNoiseAR, -1.5);
  EXPECT_EQ(rig.voice->channel(kNoise).envelope.attack, 0.0);
  EXPECT_EQ(rig.voice->channel(kNoise).envelope.release, 0.0);
  rig.voice->setParameter(kNoiseAR, 0.5);
  EXPECT_EQ(rig.voice->channel(kNoise).envelope.attack, 1.5);
  EXPECT_EQ(rig.voice->channel(kNoise).envelope.release, 2.0);
  rig.preset(kNoise, kPresetAttack, 2.0);  // a later preset change keeps the offset
  EXPECT_EQ(rig.voice->channel(kNoise).envelope.attack, 2.5);

  rig.voice->setParameter(kPulse8Decay, 0.75);  // "8'PlsDcy": decay and release of 8' PULSE
  EXPECT_EQ(rig.voice->channel(kPulse8).envelope.decay, 2.75);
  EXPECT_EQ(rig.voice->channel(kPulse8).envelope.release, 0.76);
  EXPECT_EQ(rig.voice->channel(kPulse8).envelope.attack, 0.0);
  rig.voice->setParameter(kStringAttack, 1.0);
  EXPECT_EQ(rig.voice->channel(kString8).envelope.attack, 1.0);
  EXPECT_EQ(rig.voice->channel(kString8).envelope.release, 0.01);
  rig.voice->setParameter(kHammeredPercDecay, -3.0);
  EXPECT_EQ(rig.voice->channel(kHammeredPerc4).envelope.decay, 0.0);
}

TEST(VoiceParameters, AttackOffsetChangesARunningAttackAtOnce) {
  VoiceRig rig;
  rig.preset(kSaw32, kPresetAttack, 3.0);
  rig.play(60);
  rig.run(2);
  const double slow = rig.voice->channel(kSaw32).envelope.coefficient;
  rig.voice->setParameter(kSaw32AR, -3.0);
  EXPECT_GT(rig.voice->channel(kSaw32).envelope.coefficient, 100 * slow);
}

TEST(VoiceParameters, ToneCutoffOffsetsMoveTheirFilters) {
  VoiceRig rig;
  rig.preset(kElectricBass32, kPresetCutoff, 0.4);
  rig.voice->setParameter(kElectricBassCutoff, -0.25);
  EXPECT_EQ(rig.voice->channel(kElectricBass32).channelFilter.cutoff, 0.4 - 0.25);
  rig.preset(kElectricBass32, kPresetCutoff, 0.6);
  EXPECT_EQ(rig.voice->channel(kElectricBass32).channelFilter.cutoff, 0.6 - 0.25);
  rig.voice->setParameter(kTubaCutoff, 0.1);
  EXPECT_EQ(rig.voice->channel(kTuba32).channelFilter.cutoff, 1.0 + 0.1);
  rig.voice->setParameter(kHornCutoff, 0.2);
  rig.voice->setParameter(kTrumpetCutoff, 0.3);
  EXPECT_EQ(rig.voice->channel(kHorn16).channelFilter.cutoff, 1.2);
  EXPECT_EQ(rig.voice->channel(kTrumpet8).channelFilter.cutoff, 1.3);
}

TEST(VoiceParameters, ToneOffsetsMoveTheDualFilterMix) {
  VoiceRig rig;
  rig.preset(kFuzzGuitar16, kPresetEnvToFilter, 0.5);
  EXPECT_EQ(rig.voice->channel(kFuzzGuitar16).dualFilter.bandWeight, 0.5);
  rig.voice->setParameter(kFuzzTone, 0.25);
  EXPECT_EQ(rig.voice->channel(kFuzzGuitar16).dualFilter.bandWeight, 0.75);
  EXPECT_EQ(rig.voice->channel(kFuzzGuitar16).dualFilter.lowWeight, 0.25);
  rig.preset(kFuzzGuitar16, kPresetEnvToFilter, 0.9);  // 1.15: pure band-pass
  EXPECT_EQ(rig.voice->channel(kFuzzGuitar16).dualFilter.bandWeight, 1.0);
  rig.voice->setParameter(kClarinetTone, -0.5);
  rig.voice->setParameter(kDoubleReedTone, 0.5);
  rig.voice->setParameter(kFluteTone, 0.125);
  EXPECT_EQ(rig.voice->channel(kClarinet8).dualFilter.lowWeight, 1.0);
  EXPECT_EQ(rig.voice->channel(kDoubleReed8).dualFilter.bandWeight, 0.5);
  EXPECT_EQ(rig.voice->channel(kFlute4).dualFilter.bandWeight, 0.125);
}

}  // namespace
}  // namespace sorvel
