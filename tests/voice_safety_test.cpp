// A voice under hostile conditions: the vibrato delay moved mid-fade, values that are not numbers
// in the engine state or the parameters, long tails, allocation-free processing, rate changes.
#include <gtest/gtest.h>

#include "tests/alloc_counter.h"
#include "tests/voice_rig.h"

namespace sorvel {
namespace {

using test::Sections;
using test::VoiceRig;

TEST(VoiceSafety, VibratoDelayMovedToZeroDuringAFadeStaysFiniteAndInTune) {
  VoiceRig rig;
  rig.voice->setParameter(kDelayedVibrato, 1);
  rig.voice->setParameter(kLfoDelay, 5000.0);  // a five-second fade
  rig.state.vibratoLfo.value = 0.0;     // LFO at its centre: the note's own pitch
  rig.enableOnly(kTrumpet8);
  rig.play(69);
  rig.run(100);
  EXPECT_NEAR(rig.voice->vibratoFade(), 100 / 5000.0, 1e-12);
  rig.voice->setParameter(kLfoDelay, 0.0);  // "LFO Dly" to 0: the fade step becomes 1/0
  const Sections out = rig.run(900);
  EXPECT_TRUE(test::allFinite(out.instrument));
  EXPECT_EQ(rig.voice->vibratoFade(), 1.0);
  EXPECT_NEAR(test::strongestFrequency(out.instrument, 44100, 1000), 880.0, 0.88);
  // With the LFO at its crest the full depth of 128 units is one semitone, not an overshoot.
  rig.state.vibratoLfo.value = 1.0;
  rig.run(1);
  EXPECT_EQ(rig.voice->instrumentOscillator().increment,
            rig.state.tables->pitchIncrement[69 * 128 + 128 - 1536]);
}

TEST(VoiceSafety, VibratoDelayShortenedDuringAFadeNeverGoesPastFullDepth) {
  VoiceRig rig;
  rig.voice->setParameter(kDelayedVibrato, 1);
  rig.voice->setParameter(kLfoDelay, 5000.0);
  rig.play(60);
  rig.run(10);
  rig.voice->setParameter(kLfoDelay, 20.0);  // a faster step with 4990 ticks still to count down
  for (int i = 0; i < 200; ++i) {
    rig.run(1);
    ASSERT_LE(rig.voice->vibratoFade(), 1.0);
  }
  EXPECT_EQ(rig.voice->vibratoFade(), 1.0);
}

TEST(VoiceSafety, NonNumbersInTheEngineStateMapToSafeEntries) {
  VoiceRig rig;
  for (int ch = 0; ch < kChannelCount; ++ch) rig.enable(ch);
  rig.voice->setParameter(kDelayedVibrato, 1);
  rig.play(60);
  rig.run(20);
  rig.state.synthePitchModulation = NAN;
  rig.state.instrumentPitchModulation = INFINITY;
  rig.state.lowPassModulation = NAN;
  rig.state.sampleHoldLfo.held = -INFINITY;
  rig.state.pwmLfo.unipolar = NAN;
  Sections out = rig.run(100);
  EXPECT_TRUE(test::allFinite(out.synthe));
  EXPECT_TRUE(test::allFinite(out.instrument));
  const auto& tables = *rig.state.tables;
  EXPECT_EQ(rig.voice->syntheOscillator().increment, tables.pitchIncrement[0]);
  EXPECT_EQ(rig.voice->instrumentOscillator().increment, tables.pitchIncrement[17280]);
  rig.state.vibratoLfo.value = NAN;  // infinity plus not-a-number: the lowest entry
  out = rig.run(100);
  EXPECT_TRUE(test::allFinite(out.instrument));
  EXPECT_EQ(rig.voice->instrumentOscillator().increment, tables.pitchIncrement[0]);
  // Good values again: back in tune.
  rig.state.synthePitchModulation = 0;
  rig.state.instrumentPitchModulation = 0;
  rig.state.lowPassModulation = 0;
  rig.state.sampleHoldLfo.held = 0;
  rig.state.vibratoLfo.value = 0;
  rig.state.pwmLfo.unipolar = 0;
  rig.run(1);
  EXPECT_EQ(rig.voice->syntheOscillator().increment, tables.pitchIncrement[60 * 128 - 1536]);
  EXPECT_TRUE(test::allFinite(rig.run(100).synthe));
}

TEST(VoiceSafety, NonFiniteParameterValuesAreIgnored) {
  VoiceRig rig;
  rig.voice->setParameter(kPortamentoTime, NAN);
  rig.voice->setParameter(kLfoDelay, INFINITY);
  rig.voice->setParameter(kSynthTune, -INFINITY);
  rig.voice->setParameter(presetParameter(kNoise, kPresetGain), NAN);
  rig.voice->setParameter(presetParameter(kNoise, kPresetAttack), NAN);
  rig.voice->setChannelParameter(kSaw8, kPresetCutoff, NAN);
  EXPECT_EQ(rig.voice->channel(kNoise).level, 1.0);
  EXPECT_EQ(rig.voice->channel(kSaw8).channelFilter.cutoff, 1.0);
  EXPECT_EQ(rig.voice->syntheOscillator().pitchOffset2, 0);
  rig.voice->setParameter(kPortamento, 1);
  rig.voice->setParameter(kDelayedVibrato, 1);
  rig.enableOnly(kSaw8);
  rig.play(60);
  EXPECT_TRUE(test::allFinite(rig.run(200).synthe));
}

TEST(VoiceSafety, LongResonantReleaseTailStaysFiniteAndEnds) {
  VoiceRig rig;
  for (int ch = 0; ch < kChannelCount; ++ch) {
    rig.enable(ch);
    rig.preset(ch, kPresetFilter2, 1.0);  // full resonance / band-pass cutoff
    rig.preset(ch, kPresetEnvToFilter, 1.0);
    rig.preset(ch, kPresetRelease, 4.0);  // longest release
  }
  rig.play(100);
  rig.run(200);
  rig.voice->releaseAll();
  const Sections tail = rig.run(5000);
  EXPECT_TRUE(test::allFinite(tail.synthe));
  EXPECT_TRUE(test::allFinite(tail.instrument));
  EXPECT_FALSE(rig.voice->active);
  const std::size_t n = tail.instrument.size();
  EXPECT_LT(test::rms(tail.instrument, n - 44100, n - 100), 0.05 * test::rms(tail.instrument, 0, 44100));
}

TEST(VoiceSafety, RenderAndControlTickAllocateNothing) {
  VoiceRig rig(48000);
  for (int ch = 0; ch < kChannelCount; ++ch) rig.enable(ch);
  rig.voice->setParameter(kRingMod, 1);
  rig.voice->setParameter(kDelayedVibrato, 1);
  rig.play(60);
  std::vector<double> a(48), b(48);
  test::AllocationScope scope;
  for (int p = 0; p < 200; ++p) {
    rig.voice->controlTick();
    // Sub-blocks of varying length, as the engine cuts host blocks at control ticks.
    const int first = 1 + p % 47;
    rig.voice->render(a.data(), b.data(), first);
    rig.voice->render(a.data(), b.data(), 48 - first);
  }
  rig.voice->setSampleRate(48000);
  EXPECT_EQ(scope.count(), 0);
}

TEST(VoiceSafety, DualFilterTonesKeepSoundingAfterARateChange) {
  VoiceRig rig(44100);
  rig.enableOnly(kString8);
  rig.preset(kString8, kPresetCutoff, 0.5);
  rig.preset(kString8, kPresetFilter2, 0.3);
  rig.preset(kString8, kPresetEnvToFilter, 0.25);
  const double lowHz = rig.voice->channel(kString8).dualFilter.lowPass.cutoff * 44100;
  rig.voice->setSampleRate(96000);
  const DualFilter& dual = rig.voice->channel(kString8).dualFilter;
  EXPECT_EQ(dual.lowWeight, 0.75);
  EXPECT_EQ(dual.bandWeight, 0.25);
  EXPECT_NEAR(dual.lowPass.cutoff * 96000, lowHz, 1e-6);
  EXPECT_EQ(dual.scratchLength(), 96);
  rig.voice->start(60, 127, 1, 60 * 128);
  std::vector<double> a(96), b(96);
  double energy = 0;
  for (int p = 0; p < 50; ++p) {
    std::fill(b.begin(), b.end(), 0.0);
    rig.voice->controlTick();
    rig.voice->render(a.data(), b.data(), 96);
    for (double x : b) energy += x * x;
  }
  EXPECT_GT(energy, 1.0);
}

TEST(VoiceSafety, OversizedRenderIsCutIntoBlocks) {
  VoiceRig rig;
  rig.enableOnly(kSaw8);
  rig.play(60);
  rig.voice->controlTick();
  std::vector<double> a(1000, 0.0), b(1000, 0.0);
  rig.voice->render(a.data(), b.data(), 1000);
  EXPECT_TRUE(test::allFinite(a));
  EXPECT_GT(test::rms(a, 900, 1000), 0.0);
}

TEST(VoiceSafety, InvalidRateKeepsThePresentSetup) {
  VoiceRig rig;
  for (double rate : {0.0, -44100.0, double(NAN), double(INFINITY)}) {
    rig.voice->setSampleRate(rate);
    EXPECT_EQ(rig.voice->sampleRate(), 44100);
    EXPECT_EQ(rig.voice->blockLength(), 44);
  }
}

}  // namespace
}  // namespace sorvel
