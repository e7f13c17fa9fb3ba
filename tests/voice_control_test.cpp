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
  rig.voice->setParameter(21, 1);  // "Porta"
  rig.enableOnly(4);
  rig.play(60);
  rig.play(72);
  rig.run(10);
  const double pitch = rig.voice->currentPitch();
  const double envelope = rig.voice->channel(4).envelope.value;
  rig.voice->setSampleRate(44100);
  EXPECT_TRUE(rig.voice->active);
  EXPECT_EQ(rig.voice->currentPitch(), pitch);
  EXPECT_EQ(rig.voice->channel(4).envelope.value, envelope);
  rig.run(1);
  EXPECT_GT(rig.voice->currentPitch(), pitch);

  rig.voice->setSampleRate(48000);
  EXPECT_FALSE(rig.voice->active);
  EXPECT_EQ(rig.voice->currentPitch(), 6144);
  EXPECT_EQ(rig.voice->targetPitch(), 6144);
  EXPECT_EQ(rig.voice->lastNote, 48);
  EXPECT_EQ(rig.voice->serial, 0);
  EXPECT_EQ(rig.voice->channel(4).envelope.sampleRate, 48000);
  // The next note attacks from silence instead of continuing the old envelopes.
  EXPECT_EQ(rig.voice->channel(4).envelope.state, Envelope::kIdle);
  rig.play(60);
  EXPECT_EQ(rig.voice->channel(4).envelope.state, Envelope::kAttack);
  EXPECT_EQ(rig.voice->channel(4).envelope.value, 0.0);
}

TEST(VoiceLifecycle, StartRecordsTheNote) {
  VoiceRig rig;
  rig.voice->start(64, 100, 7, 64 * 128);
  EXPECT_TRUE(rig.voice->active);
  EXPECT_EQ(rig.voice->lastNote, 64);
  EXPECT_EQ(rig.voice->velocity, 100);
  EXPECT_EQ(rig.voice->serial, 7);
  EXPECT_EQ(rig.voice->currentPitch(), 64 * 128);
  for (int ch = 0; ch < 19; ++ch) EXPECT_EQ(rig.voice->channel(ch).envelope.state, Envelope::kAttack);
}

TEST(VoiceLifecycle, InactiveAtTheFirstTickAfterEveryEnvelopeIsIdle) {
  VoiceRig rig;
  rig.enableOnly(4);
  rig.play(60);
  rig.run(50);
  rig.voice->releaseAll();
  int ticks = 0;
  while (rig.voice->active && ticks < 1000) {
    rig.run(1);
    ++ticks;
  }
  ASSERT_FALSE(rig.voice->active);
  for (int ch = 0; ch < 19; ++ch) EXPECT_EQ(rig.voice->channel(ch).envelope.state, Envelope::kIdle);
  // Release 0.01: about 0.92 x 0.011 s, some ten ticks.
  EXPECT_GE(ticks, 9);
  EXPECT_LE(ticks, 12);
  EXPECT_EQ(test::rms(rig.run(5).synthe), 0.0);
}

TEST(VoiceGlide, LandsExactlyOnTheTargetAfterNTicks) {
  VoiceRig rig;
  rig.voice->setParameter(21, 1);      // "Porta"
  rig.voice->setParameter(29, 0.037);  // 37 ticks
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
  rig.voice->setParameter(21, 1);
  rig.voice->setParameter(29, 0.0009);  // trunc(0.9) = 0 ticks
  rig.play(60);
  EXPECT_EQ(rig.voice->currentPitch(), 60 * 128);
  rig.voice->setParameter(29, 1.0);
  rig.voice->setParameter(21, 0);
  rig.play(70);
  EXPECT_EQ(rig.voice->currentPitch(), 70 * 128);
}

TEST(VoiceQuarterTone, HalfTheIntervalWhileTheKeyIsDown) {
  VoiceRig rig;
  rig.voice->setParameter(26, 1);  // "Q.Tone"
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
  rig.enableOnly(4);
  rig.preset(4, 6, 0.5);
  rig.play(60);
  rig.run(200);
  ASSERT_EQ(rig.voice->channel(4).envelope.state, Envelope::kDecaySustain);
  rig.play(64);
  EXPECT_EQ(rig.voice->channel(4).envelope.state, Envelope::kDecaySustain);
  rig.voice->setParameter(27, 1);  // "Mult.Trg"
  rig.play(67);
  EXPECT_EQ(rig.voice->channel(4).envelope.state, Envelope::kAttack);
  for (int ch = 0; ch < 19; ++ch) EXPECT_TRUE(rig.voice->channel(ch).envelope.multipleTrigger);
}

TEST(VoiceVibrato, FadeInOverTheDelayThenFull) {
  VoiceRig rig;
  rig.voice->setParameter(25, 1);    // "Del Vib."
  rig.voice->setParameter(35, 5.0);  // five ticks
  rig.state.vibratoLfo.value = 1.0;
  rig.enableOnly(13);
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
  rig.voice->setParameter(25, 1);
  rig.voice->setParameter(35, 0.6);
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
  rig.voice->setParameter(28, 1);
  EXPECT_TRUE(rig.voice->keyHold);
  rig.voice->setParameter(28, 0);
  EXPECT_FALSE(rig.voice->keyHold);
  EXPECT_EQ(rig.voice->channel(0).envelope.state, Envelope::kAttack);
  rig.voice->keyDown = false;
  rig.voice->setParameter(28, 1);
  rig.voice->setParameter(28, 0);
  for (int ch = 0; ch < 19; ++ch) EXPECT_EQ(rig.voice->channel(ch).envelope.state, Envelope::kRelease);
}

TEST(VoiceParameters, LowPassModulationReachesOnlyTheSyntheFilters) {
  VoiceRig rig;
  rig.state.lowPassModulation = 0.4;
  rig.play(60, 127);
  rig.run(1);
  for (int ch = 0; ch < 8; ++ch) EXPECT_EQ(rig.voice->channel(ch).channelFilter.modulation, 0.4) << ch;
  for (int ch = 8; ch < 19; ++ch) EXPECT_EQ(rig.voice->channel(ch).channelFilter.modulation, 0.0) << ch;
  rig.voice->setParameter(15, 127);  // "LPF Src" = "Velocity"
  rig.run(1);
  EXPECT_DOUBLE_EQ(rig.voice->channel(0).channelFilter.modulation, 0.4 * (1.0 - 0.5));
  rig.voice->setParameter(15, 126);
  rig.run(1);
  EXPECT_EQ(rig.voice->channel(0).channelFilter.modulation, 0.4);
}

TEST(VoiceParameters, PresetBlockMapsToChannelAndKind) {
  VoiceRig rig;
  rig.voice->setParameter(83, 1.7);  // "P1 Gain"
  EXPECT_EQ(rig.voice->channel(0).level, 1.7);
  rig.voice->setParameter(234, 3.5);  // "P19 EnvR"
  EXPECT_EQ(rig.voice->channel(18).envelope.release, 3.5);
  rig.voice->setParameter(83 + 8 * 4 + 2, 0.6);  // "P5 Flt2": resonance
  EXPECT_EQ(rig.voice->channel(4).channelFilter.resonance, 0.6);
  rig.voice->setParameter(83 + 8 * 4 + 3, 0.3);  // "P5 E>F"
  EXPECT_EQ(rig.voice->channel(4).channelFilter.envAmount, 0.3);
  rig.voice->setParameter(83 + 8 * 16 + 6, -0.5);  // "P17 EnvS" held at 0
  EXPECT_EQ(rig.voice->channel(16).envelope.sustain, 0.0);
  // Unknown ids change nothing.
  rig.voice->setParameter(235, 1);
  rig.voice->setParameter(-1, 1);
  rig.voice->setChannelParameter(19, 0, 5);
  rig.voice->setChannelParameter(3, 8, 5);
  EXPECT_EQ(rig.voice->channel(3).level, 1.0);
}

TEST(VoiceParameters, OffsetsCombineWithPresetTimesAndHoldAtZero) {
  VoiceRig rig;
  rig.preset(0, 4, 1.0);
  rig.preset(0, 7, 1.5);
  rig.voice->setParameter(57, -1.5);  // "Noise AR"
  EXPECT_EQ(rig.voice->channel(0).envelope.attack, 0.0);
  EXPECT_EQ(rig.voice->channel(0).envelope.release, 0.0);
  rig.voice->setParameter(57, 0.5);
  EXPECT_EQ(rig.voice->channel(0).envelope.attack, 1.5);
  EXPECT_EQ(rig.voice->channel(0).envelope.release, 2.0);
  rig.preset(0, 4, 2.0);  // a later preset change keeps the offset
  EXPECT_EQ(rig.voice->channel(0).envelope.attack, 2.5);

  rig.voice->setParameter(62, 0.75);  // "8'PlsDcy": decay and release of 8' PULSE
  EXPECT_EQ(rig.voice->channel(5).envelope.decay, 2.75);
  EXPECT_EQ(rig.voice->channel(5).envelope.release, 0.76);
  EXPECT_EQ(rig.voice->channel(5).envelope.attack, 0.0);
  rig.voice->setParameter(73, 1.0);  // "8'StrAtk"
  EXPECT_EQ(rig.voice->channel(16).envelope.attack, 1.0);
  EXPECT_EQ(rig.voice->channel(16).envelope.release, 0.01);
  rig.voice->setParameter(75, -3.0);  // "4'HPcDly"
  EXPECT_EQ(rig.voice->channel(18).envelope.decay, 0.0);
}

TEST(VoiceParameters, AttackOffsetChangesARunningAttackAtOnce) {
  VoiceRig rig;
  rig.preset(1, 4, 3.0);
  rig.play(60);
  rig.run(2);
  const double slow = rig.voice->channel(1).envelope.coefficient;
  rig.voice->setParameter(58, -3.0);  // "32'SawAR"
  EXPECT_GT(rig.voice->channel(1).envelope.coefficient, 100 * slow);
}

TEST(VoiceParameters, ToneCutoffOffsetsMoveTheirFilters) {
  VoiceRig rig;
  rig.preset(8, 1, 0.4);
  rig.voice->setParameter(65, -0.25);  // "32'EB FC"
  EXPECT_EQ(rig.voice->channel(8).channelFilter.cutoff, 0.4 - 0.25);
  rig.preset(8, 1, 0.6);
  EXPECT_EQ(rig.voice->channel(8).channelFilter.cutoff, 0.6 - 0.25);
  rig.voice->setParameter(66, 0.1);
  EXPECT_EQ(rig.voice->channel(9).channelFilter.cutoff, 1.0 + 0.1);
  rig.voice->setParameter(69, 0.2);
  rig.voice->setParameter(70, 0.3);
  EXPECT_EQ(rig.voice->channel(12).channelFilter.cutoff, 1.2);
  EXPECT_EQ(rig.voice->channel(13).channelFilter.cutoff, 1.3);
}

TEST(VoiceParameters, ToneOffsetsMoveTheDualFilterMix) {
  VoiceRig rig;
  rig.preset(11, 3, 0.5);
  EXPECT_EQ(rig.voice->channel(11).dualFilter.bandWeight, 0.5);
  rig.voice->setParameter(68, 0.25);  // "16'FGTon"
  EXPECT_EQ(rig.voice->channel(11).dualFilter.bandWeight, 0.75);
  EXPECT_EQ(rig.voice->channel(11).dualFilter.lowWeight, 0.25);
  rig.preset(11, 3, 0.9);  // 1.15: pure band-pass
  EXPECT_EQ(rig.voice->channel(11).dualFilter.bandWeight, 1.0);
  rig.voice->setParameter(71, -0.5);
  rig.voice->setParameter(72, 0.5);
  rig.voice->setParameter(74, 0.125);
  EXPECT_EQ(rig.voice->channel(14).dualFilter.lowWeight, 1.0);
  EXPECT_EQ(rig.voice->channel(15).dualFilter.bandWeight, 0.5);
  EXPECT_EQ(rig.voice->channel(17).dualFilter.bandWeight, 0.125);
}

}  // namespace
}  // namespace sorvel
