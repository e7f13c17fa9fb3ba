// What a voice sounds like: footage pitch, waveforms, pulse widths, table levels, the 19 channels.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "dsp/Random.h"
#include "tests/voice_rig.h"

namespace sorvel {
namespace {

using test::Sections;
using test::VoiceRig;

struct FootageCase {
  int channel;
  double multiple;  // of the note's own frequency
};

// With no octave shift and no section modulation 16' sounds at the note, 32' an octave below,
// 8' one above and 4' two above.
TEST(VoiceSoundPitch, FootagesSoundAtTheirOctaves) {
  const FootageCase cases[] = {
      {1, 0.5}, {2, 1.0}, {4, 2.0}, {7, 4.0},    // synthe saws
      {3, 1.0}, {5, 2.0}, {6, 2.0},              // synthe pulses
      {9, 0.5}, {12, 1.0}, {13, 2.0}, {17, 4.0},  // instrument saws
      {8, 0.5}, {14, 2.0},                       // instrument pulses
  };
  for (double rate : {44100.0, 48000.0}) {
    for (const auto& c : cases) {
      VoiceRig rig(rate);
      rig.enableOnly(c.channel);
      rig.play(69);
      const Sections out = rig.run(900);
      const auto& signal = c.channel < 8 ? out.synthe : out.instrument;
      const double hz = test::strongestFrequency(signal, rate, 2000);
      EXPECT_NEAR(hz, 440.0 * c.multiple, 440.0 * c.multiple * 0.001) << "channel " << c.channel << " at " << rate;
    }
  }
}

TEST(VoiceSoundPitch, Note69On8FootSawIs880Hz) {
  for (double rate : {44100.0, 48000.0}) {
    VoiceRig rig(rate);
    rig.enableOnly(kSaw8);
    rig.play(69);
    const double hz = test::strongestFrequency(rig.run(900).synthe, rate, 1000);
    EXPECT_NEAR(hz, 880.0, 0.88) << rate;
  }
}

TEST(VoiceSoundPitch, SectionModulationMovesEachOscillator) {
  VoiceRig rig;
  rig.enable(kSaw8);
  rig.enable(kTrumpet8);
  rig.state.synthePitchModulation = 1536;      // one octave up
  rig.state.instrumentPitchModulation = -1536; // one octave down
  rig.play(57);
  const Sections out = rig.run(900);
  EXPECT_NEAR(test::strongestFrequency(out.synthe, 44100, 1000), 880.0, 0.88);
  EXPECT_NEAR(test::strongestFrequency(out.instrument, 44100, 1000), 220.0, 0.22);
}

TEST(VoiceSoundPitch, RingModPitchDetunesTheSyntheOscillatorOnlyWithRingModulationOn) {
  VoiceRig rig;
  rig.voice->setParameter(kSynthePitch, 1536.7);  // "Syn.Ptch" as handed on, whole units taken
  EXPECT_EQ(rig.voice->syntheOscillator().pitchOffset1, 0);
  rig.voice->setParameter(kRingMod, 1);
  EXPECT_EQ(rig.voice->syntheOscillator().pitchOffset1, 1536);
  rig.voice->setParameter(kSynthTune, -896.4);
  EXPECT_EQ(rig.voice->syntheOscillator().pitchOffset2, -896);
  rig.voice->setParameter(kRingMod, 0);
  EXPECT_EQ(rig.voice->syntheOscillator().pitchOffset1, 0);
}

TEST(VoiceSoundTable, LevelKeepsTheTopHarmonicBelowNyquist) {
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    auto tables = EngineTables::forRate(rate);
    for (int p = 0; p <= 17280; p += 7) {
      VoiceOscillator osc;
      osc.updatePitch(p, *tables);
      for (int shift = 0; shift <= 3; ++shift) {
        const int table = std::min(osc.tableLevel + shift, 10);
        const double fundamental = osc.increment * std::ldexp(1.0, shift) * rate / 268435456.0;
        const double top = fundamental * (1 << (10 - table));
        if (table < 10) {
          ASSERT_LT(top, rate / 2) << p << " " << shift;
        }
        // A table with twice the harmonics would have crossed Nyquist, unless already the fullest.
        if (table > 0 && osc.tableLevel > 0) {
          ASSERT_GE(2 * top, rate / 2 * 0.999) << p << " " << shift;
        }
      }
    }
  }
}

TEST(VoiceSoundTable, OutOfRangeAndNonFinitePitchesUseTheEndEntries) {
  auto tables = EngineTables::forRate(44100);
  VoiceOscillator osc;
  osc.updatePitch(-5000, *tables);
  EXPECT_EQ(osc.increment, tables->pitchIncrement[0]);
  osc.updatePitch(1e12, *tables);
  EXPECT_EQ(osc.increment, tables->pitchIncrement[17280]);
  osc.updatePitch(NAN, *tables);
  EXPECT_EQ(osc.increment, tables->pitchIncrement[0]);
  osc.updatePitch(INFINITY, *tables);
  EXPECT_EQ(osc.increment, tables->pitchIncrement[17280]);
  osc.updatePitch(-INFINITY, *tables);
  EXPECT_EQ(osc.increment, tables->pitchIncrement[0]);
  osc.updatePitch(8832.9, *tables);
  EXPECT_EQ(osc.increment, tables->pitchIncrement[8832]);
  EXPECT_EQ(osc.cachedPitchIndex, 8832);
}

TEST(VoiceSoundWave, FourAtATimeEqualsSampleBySample) {
  auto tables = EngineTables::forRate(44100);
  VoiceOscillator osc;
  osc.updatePitch(9000, *tables);
  osc.phase = 0x0FFFFF00;  // about to wrap
  for (int count : {1, 3, 4, 7, 44}) {
    for (int shift = 0; shift <= 3; ++shift) {
      std::vector<double> saw(count), pulse(count);
      osc.sawtooth(*tables, shift, saw.data(), count);
      osc.pulse(*tables, shift, 0.37, pulse.data(), count);
      const double* table = tables->wave[std::min(osc.tableLevel + shift, 10)].data();
      std::uint32_t p = osc.phase;
      std::uint32_t q =
          static_cast<std::uint32_t>(static_cast<std::int64_t>(p - (4096 << (15 - shift)) * 0.37)) & 0x0FFFFFFF;
      for (int i = 0; i < count; ++i) {
        ASSERT_EQ(saw[i], table[((p << shift) >> 16) & 0xFFF]) << count << " " << shift << " " << i;
        ASSERT_EQ(pulse[i], table[((p << shift) >> 16) & 0xFFF] - table[((q << shift) >> 16) & 0xFFF]);
        p = (p + osc.increment) & 0x0FFFFFFF;
        q = (q + osc.increment) & 0x0FFFFFFF;
      }
    }
  }
}

TEST(VoiceSoundWave, NoiseFourAtATimeEqualsTheGeneratorOneByOne) {
  for (int count : {1, 4, 5, 44, 47}) {
    noiseRandom().setState(12345 + count);
    RandomGenerator reference;
    reference.setState(12345 + count);
    std::vector<double> out(count);
    whiteNoise(out.data(), count);
    for (int i = 0; i < count; ++i) ASSERT_EQ(out[i], reference.next()) << count << " " << i;
    EXPECT_EQ(noiseRandom().state(), reference.state());
  }
}

TEST(VoiceSoundPulse, WidthSetsTheDutyCycle) {
  auto tables = EngineTables::forRate(44100);
  VoiceOscillator osc;
  osc.updatePitch(45 * 128 - 1536, *tables);  // 55 Hz at shift 0
  for (double width : {1.0, 0.5, 0.4, 0.1}) {
    std::vector<double> out(44 * 1000);
    for (int i = 0; i < 44 * 1000; i += 44) {
      osc.pulse(*tables, 1, width, out.data() + i, 44);
      osc.advance(44);
    }
    EXPECT_NEAR(test::dutyCycle(out, 0), width / 2, 0.01) << width;
  }
}

TEST(VoiceSoundPulse, WidthOutsideZeroToOneOrZeroIsSilence) {
  auto tables = EngineTables::forRate(44100);
  VoiceOscillator osc;
  osc.updatePitch(60 * 128, *tables);
  osc.phase = 123456;
  for (double width : {-0.01, 1.01, 0.0, 5.0, double(NAN)}) {
    std::vector<double> out(45, 1.0);
    osc.pulse(*tables, 2, width, out.data(), 45);
    for (double x : out) ASSERT_EQ(x, 0.0) << width;
  }
}

TEST(VoiceSoundChannels, EachChannelSoundsAlone) {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    VoiceRig rig;
    if (ch == 3) rig.state.pwmLfo.unipolar = 0.5;
    rig.enableOnly(ch);
    rig.play(60);
    const Sections out = rig.run(300);
    const auto& mine = ch < 8 ? out.synthe : out.instrument;
    const auto& other = ch < 8 ? out.instrument : out.synthe;
    EXPECT_TRUE(test::allFinite(mine)) << ch;
    EXPECT_GT(test::rms(mine, 2000), 0.01) << ch;
    EXPECT_EQ(test::rms(other), 0.0) << ch;
  }
}

TEST(VoiceSoundChannels, NeverStartedVoiceIsSilent) {
  VoiceRig rig;
  for (int ch = 0; ch < kChannelCount; ++ch) rig.enable(ch);
  const Sections out = rig.run(20);
  EXPECT_EQ(test::rms(out.synthe), 0.0);
  EXPECT_EQ(test::rms(out.instrument), 0.0);
  EXPECT_FALSE(rig.voice->active);
}

TEST(VoiceSoundChannels, FinishedVoiceIsSilentAndItsPhasesRunOn) {
  VoiceRig rig;
  rig.enableOnly(kSaw8);
  rig.enable(kTrumpet8);
  rig.play(60);
  rig.run(50);
  rig.voice->releaseAll();
  rig.run(50);
  ASSERT_FALSE(rig.voice->active);
  const auto& syn = rig.voice->syntheOscillator();
  const auto& ins = rig.voice->instrumentOscillator();
  ASSERT_GT(syn.increment, 0);
  const std::uint32_t synBefore = syn.phase, insBefore = ins.phase;
  const Sections out = rig.run(20);
  EXPECT_EQ(test::rms(out.synthe), 0.0);
  EXPECT_EQ(test::rms(out.instrument), 0.0);
  EXPECT_EQ(syn.phase, (synBefore + 20u * 44u * static_cast<std::uint32_t>(syn.increment)) & 0x0FFFFFFF);
  EXPECT_EQ(ins.phase, (insBefore + 20u * 44u * static_cast<std::uint32_t>(ins.increment)) & 0x0FFFFFFF);
}

TEST(VoiceSoundChannels, RingModulationMultipliesTheSyntheByTheInstrument) {
  VoiceRig rig;
  rig.enable(kSaw8);
  rig.voice->setParameter(kRingMod, 1);
  rig.play(60);
  Sections out = rig.run(100);
  EXPECT_EQ(test::rms(out.synthe), 0.0);  // no instrument tone: silent synthe
  rig.enable(kTrumpet8);
  out = rig.run(100);
  EXPECT_GT(test::rms(out.synthe, 1000), 0.01);
}

TEST(VoiceSoundChannels, VelocityGainFollowsSensitivity) {
  VoiceRig rig;
  rig.voice->setParameter(kVelocity, 1.0);
  rig.enableOnly(kSaw8);
  rig.play(60, 64);
  EXPECT_DOUBLE_EQ(rig.voice->velocityGain(), 64.0 / 127.0);
  const double soft = test::rms(rig.run(200).synthe, 4000);
  VoiceRig loud;
  loud.voice->setParameter(kVelocity, 1.0);
  loud.enableOnly(kSaw8);
  loud.play(60, 127);
  EXPECT_EQ(loud.voice->velocityGain(), 1.0);
  EXPECT_NEAR(soft / test::rms(loud.run(200).synthe, 4000), 64.0 / 127.0, 0.01);
}

TEST(VoiceSoundChannels, DisabledChannelsEnvelopeKeepsRunning) {
  VoiceRig rig;
  rig.enableOnly(kTrumpet8);
  rig.preset(kSaw8, kPresetAttack, 0.5);  // 8' SAW: slow attack, not enabled yet
  rig.play(60);
  rig.run(100);
  const double level = rig.voice->channel(kSaw8).envelope.value;
  EXPECT_GT(level, 0.2);
  EXPECT_LT(level, 1.0);
  // Enabled mid-note it starts at the envelope's present level, not from 0.
  rig.enable(kSaw8);
  const Sections out = rig.run(1);
  EXPECT_GT(test::rms(out.synthe), 0.05);
}

TEST(VoiceSoundChannels, EnvelopeStepsOncePerSampleWhateverTheSubBlocks) {
  VoiceRig whole, split;
  for (VoiceRig* rig : {&whole, &split}) {
    rig->enableOnly(kSaw8);
    rig->preset(kSaw8, kPresetAttack, 0.3);
    rig->preset(kPulse8, kPresetAttack, 0.3);  // disabled
    rig->play(60);
  }
  std::vector<double> a(44), b(44);
  for (int p = 0; p < 50; ++p) {
    whole.voice->controlTick();
    whole.voice->render(a.data(), b.data(), 44);
    split.voice->controlTick();
    split.voice->render(a.data(), b.data(), 44);
  }
  EXPECT_EQ(whole.voice->channel(kSaw8).envelope.value, split.voice->channel(kSaw8).envelope.value);
  EXPECT_EQ(whole.voice->channel(kPulse8).envelope.value, whole.voice->channel(kSaw8).envelope.value);
}

// A reference for one channel's block: waveform, filter and envelope from copies of the voice's
// own state, stepped sample by sample.
void referenceChannel(const Voice& voice, const EngineTables& tables, int ch, double width, double* out, int count) {
  const ChannelKind& kind = kChannelTable[ch];
  const VoiceOscillator& osc = kind.synthe ? voice.syntheOscillator() : voice.instrumentOscillator();
  std::vector<double> wave(count);
  if (kind.waveform == Waveform::kSawtooth) {
    osc.sawtooth(tables, kind.shift, wave.data(), count);
  } else {
    osc.pulse(tables, kind.shift, width, wave.data(), count);
  }
  const VoiceChannel& channel = voice.channel(ch);
  if (kind.dualFilter) {
    LowPass low = channel.dualFilter.lowPass;
    BandPass band = channel.dualFilter.bandPass;
    std::vector<double> lows = wave;
    low.process(lows.data(), count);
    band.process(wave.data(), count);
    for (int j = 0; j < count; ++j) {
      wave[j] = lows[j] * channel.dualFilter.lowWeight + channel.dualFilter.bandWeight * wave[j];
    }
  } else {
    ChannelFilter filter = channel.channelFilter;
    filter.process(wave.data(), count);
  }
  Envelope envelope = channel.envelope;
  for (int j = 0; j < count; ++j) {
    if (j > 0) envelope.step();
    out[j] += wave[j] * channel.level * envelope.value;
  }
}

TEST(VoiceSoundChannels, PipelineIsWaveformThenFilterThenPerSampleEnvelope) {
  VoiceRig rig;
  const int channels[] = {1, 4, 5, 7, 8, 13, 16};
  for (int ch : channels) {
    rig.enable(ch);
    rig.preset(ch, kPresetCutoff, 0.3 + 0.05 * ch);
    rig.preset(ch, kPresetFilter2, 0.7);
    rig.preset(ch, kPresetEnvToFilter, 0.3);
    rig.preset(ch, kPresetGain, 0.8);
    rig.preset(ch, kPresetAttack, 0.002 * ch);
    rig.preset(ch, kPresetDecay, 0.003);
    rig.preset(ch, kPresetSustain, 0.5);
    rig.preset(ch, kPresetRelease, 0.004);
  }
  rig.play(57, 90);
  rig.voice->setParameter(kVelocity, 0.5);  // velocity sensitivity after the start: gain stays 1
  std::vector<double> synthe(44), instrument(44), outS(44), outI(44);
  for (int p = 0; p < 300; ++p) {
    if (p == 150) rig.voice->releaseAll();
    rig.voice->controlTick();
    std::fill(synthe.begin(), synthe.end(), 0.0);
    std::fill(instrument.begin(), instrument.end(), 0.0);
    for (int ch : channels) {
      const double width = ch == 5 ? 0.5 : 0.4;
      referenceChannel(*rig.voice, *rig.state.tables, ch, width, ch < 8 ? synthe.data() : instrument.data(), 44);
    }
    std::fill(outS.begin(), outS.end(), 0.0);
    std::fill(outI.begin(), outI.end(), 0.0);
    rig.voice->render(outS.data(), outI.data(), 44);
    for (int j = 0; j < 44; ++j) {
      ASSERT_EQ(outS[j], synthe[j]) << p << " " << j;
      ASSERT_EQ(outI[j], instrument[j]) << p << " " << j;
    }
  }
}

// The voices' second halves taken together add into the sections exactly as each voice's own, in
// index order: voices that stand still, move, or do not sound, more of them than one batch holds.
TEST(VoiceSoundChannels, VoicesMixedTogetherAddAsEachInTurn) {
  constexpr int kVoices = 20;
  std::vector<double> outputs[2];
  for (int together = 0; together < 2; ++together) {
    std::vector<std::unique_ptr<VoiceRig>> rigs;
    std::vector<std::unique_ptr<Voice>> voices;
    for (int v = 0; v < kVoices; ++v) {
      rigs.push_back(std::make_unique<VoiceRig>());
      rigs.back()->enableOnly(2);
      rigs.back()->enable(12);
      if (v != 18) rigs.back()->play(40 + v);
      voices.push_back(std::move(rigs.back()->voice));
    }
    FilterJobs jobs;
    jobs.reserve(kVoices, kChannelCount);
    const int L = rigs.front()->period();
    constexpr int kPeriods = 80;
    std::vector<double> synthe(static_cast<std::size_t>(kPeriods * L)), instrument(synthe.size());
    for (int p = 0; p < kPeriods; ++p) {
      if (p == 40) {
        voices[3]->start(70, 100, 99, 70 * 128.0);
        voices[17]->releaseAll();
      }
      for (auto& voice : voices) voice->controlTick();
      jobs.clear();
      for (auto& voice : voices) voice->renderFirstHalf(L, jobs);
      jobs.run(L);
      double* s = synthe.data() + p * L;
      double* i = instrument.data() + p * L;
      if (together != 0) {
        Voice::renderSecondHalves(voices.data(), kVoices, s, i, L);
      } else {
        for (auto& voice : voices) voice->renderSecondHalf(s, i, L);
      }
    }
    outputs[together] = synthe;
    outputs[together].insert(outputs[together].end(), instrument.begin(), instrument.end());
  }
  ASSERT_NE(outputs[0], std::vector<double>(outputs[0].size(), 0.0));
  EXPECT_EQ(0, std::memcmp(outputs[0].data(), outputs[1].data(), outputs[0].size() * sizeof(double)));
}

}  // namespace
}  // namespace sorvel
