// The vector channel mix gives, to the bit, what the scalar one gives: buses, outputs, and every
// envelope as it is left for the next block, with stage changes in the middle of a block. The
// steady mix gives what cleared buses, the mix and the sections give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "voice/ChannelMix.h"

namespace sorvel {
namespace {

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// Every vector set this processor can run.
std::vector<const ChannelMixKernels*> vectorSets() {
  std::vector<const ChannelMixKernels*> sets;
  for (VectorLevel level : {VectorLevel::kAvx2, VectorLevel::kAvx512}) {
    const ChannelMixKernels* set = &channelMixKernels(level);
    if (level <= vectorLevel() && set != &channelMixKernels(VectorLevel::kScalar)) sets.push_back(set);
  }
  return sets;
}

std::vector<double> fields(const Envelope& e) { return {e.value, e.target, e.coefficient, double(e.state)}; }

// Envelopes in every state, several of which change state within the block. Settling: all but
// one reach a fixed value early, and that one ends its release within the block. Calm: no lane
// crosses a bound at every step, so the steps between crossings run as the fast path runs them.
// Harsh: one lane overshoots its target.
std::vector<Envelope> envelopes(bool settling, bool calm, bool harsh) {
  std::vector<Envelope> all(kPresetCount);
  for (int i = 0; i < kPresetCount; ++i) {
    Envelope& e = all[i];
    e.attack = 0.02 * i;
    e.decay = 0.05 * i;
    e.sustain = 0.04 * i;
    e.release = 0.03 * i;
    e.trigger();
    e.value = 0.05 * i;
    if (i % 4 == 1) {
      e.state = Envelope::kDecaySustain;
      e.target = e.sustain;
      e.coefficient = e.coefficientFor(e.decay);
    }
    if (i % 4 == 2) e.startRelease();
  }
  all[0].value = 0.97;   // reaches 1 within the block, then decays
  all[2].value = 0.004;  // released to 0 within the block
  all[3].state = Envelope::kIdle;
  all[3].value = 0.25;  // idle, not at 0
  all[5].value = 1.0;   // held: decay/sustain at 1 with a sustain above it
  all[5].setSustain(1.5);
  all[8].value = 1.0;  // an attack from full level ends at once
  all[9].value = std::numeric_limits<double>::quiet_NaN();
  all[13].value = all[13].sustain;  // fixed from the start
  // A coefficient above 2 (a rate far below any host's) swings ever wider around the target:
  // past the top at odd steps from the 17th, back below it at even ones. Or a plain decay.
  all[10].state = Envelope::kDecaySustain;
  all[10].target = all[10].sustain = 0.95;
  all[10].value = 0.94;
  all[10].coefficient = harsh ? 2.1 : 0.1;
  // Above the top and decaying: past a bound before the first step and inside again later.
  all[6].state = Envelope::kDecaySustain;
  all[6].target = all[6].sustain = 0.5;
  all[6].value = 1.2;
  all[6].coefficient = 0.1;
  if (calm) {
    all[5].state = Envelope::kIdle;  // else a bound is crossed at every step
    all[0].value = all[8].value = 0.5;  // else a bound is crossed in the first steps
  }
  all[17].state = Envelope::kIdle;
  for (int i = 0; settling && i < kPresetCount; ++i) {
    if (i == 2 || all[i].state == Envelope::kIdle) continue;
    all[i].state = Envelope::kDecaySustain;
    all[i].target = all[i].value = std::min(all[i].sustain, 1.0);
  }
  return all;
}

TEST(ChannelMix, VectorMixMatchesScalar) {
  const ChannelMixKernels& scalar = channelMixKernels(VectorLevel::kScalar);
  if (vectorSets().empty()) GTEST_SKIP() << "no vector level on this processor";
  for (const ChannelMixKernels* vector : vectorSets()) {
    for (int count : {1, 44, 150}) {
      for (int variant = 0; variant < 4; ++variant) {
        const bool settling = variant == 1, calm = variant >= 2, harsh = variant != 3;
        std::vector<Envelope> alone = envelopes(settling, calm, harsh);
        std::vector<Envelope> together = envelopes(settling, calm, harsh);
        std::vector<std::vector<double>> rows(kPresetCount, std::vector<double>(count));
        for (int i = 0; i < kPresetCount; ++i) {
          for (int j = 0; j < count; ++j) rows[i][j] = std::sin(0.1 * (i + 1) * j) - 0.3;
        }
        std::vector<double> busesAlone[2], busesTogether[2];
        for (int b = 0; b < 2; ++b) busesAlone[b] = busesTogether[b] = std::vector<double>(count, 0.125 * b);
        ChannelMix mixAlone, mixTogether;
        for (int i = 0; i < kPresetCount; ++i) {
          const bool off = i % 5 == 4;
          mixAlone.samples[i] = mixTogether.samples[i] = off ? nullptr : rows[i].data();
          mixAlone.levels[i] = mixTogether.levels[i] = 0.5 + 0.1 * i;
          mixAlone.envelopes[i] = &alone[i];
          mixTogether.envelopes[i] = &together[i];
          mixAlone.buses[i] = busesAlone[i % 2].data();
          mixTogether.buses[i] = busesTogether[i % 2].data();
        }
        for (int block = 0; block < 2; ++block) {  // the second block starts from the envelopes left
          scalar.mix(mixAlone, count);
          vector->mix(mixTogether, count);
          for (int b = 0; b < 2; ++b) EXPECT_TRUE(sameBits(busesAlone[b], busesTogether[b])) << count << " " << b;
          for (int i = 0; i < kPresetCount; ++i) {
            EXPECT_TRUE(sameBits(fields(alone[i]), fields(together[i]))) << count << " channel " << i;
          }
        }
        if (count > 1) {  // the stage changes did happen
          EXPECT_EQ(alone[2].state, Envelope::kIdle);
          if (variant == 0) {
            EXPECT_EQ(alone[0].state, Envelope::kDecaySustain);
            EXPECT_EQ(alone[8].state, Envelope::kDecaySustain);
          }
        }
      }
    }
  }
}

TEST(ChannelMix, VectorSectionsMatchScalar) {
  const ChannelMixKernels& scalar = channelMixKernels(VectorLevel::kScalar);
  if (vectorSets().empty()) GTEST_SKIP() << "no vector level on this processor";
  constexpr int kCount = 43;  // whole vectors and a tail
  std::vector<double> synthe(kCount), instrument(kCount);
  for (int j = 0; j < kCount; ++j) {
    synthe[j] = std::sin(0.3 * j);
    instrument[j] = std::cos(0.7 * j);
  }
  for (const ChannelMixKernels* vector : vectorSets()) {
    for (bool ring : {false, true}) {
      std::vector<double> outAlone[2] = {std::vector<double>(kCount, 0.1), std::vector<double>(kCount, 0.2)};
      std::vector<double> outTogether[2] = {outAlone[0], outAlone[1]};
      scalar.sections(synthe.data(), instrument.data(), 0.7, ring, outAlone[0].data(), outAlone[1].data(), kCount);
      vector->sections(synthe.data(), instrument.data(), 0.7, ring, outTogether[0].data(), outTogether[1].data(),
                       kCount);
      EXPECT_TRUE(sameBits(outAlone[0], outTogether[0])) << ring;
      EXPECT_TRUE(sameBits(outAlone[1], outTogether[1])) << ring;
    }
  }
}

TEST(ChannelMix, SteadyMixIsTheMixIntoClearedBusesThenTheSections) {
  const ChannelMixKernels& scalar = channelMixKernels(VectorLevel::kScalar);
  std::vector<const ChannelMixKernels*> sets = vectorSets();
  sets.push_back(&scalar);
  constexpr int kCount = 43;  // whole vectors and a tail
  std::vector<Envelope> envelopes(kPresetCount);
  std::vector<std::vector<double>> rows(kPresetCount, std::vector<double>(kCount));
  for (int i = 0; i < kPresetCount; ++i) {
    envelopes[i].state = i % 3 == 0 ? Envelope::kIdle : Envelope::kDecaySustain;
    envelopes[i].value = envelopes[i].target = 0.3 + 0.03 * i;
    for (int j = 0; j < kCount; ++j) rows[i][j] = std::sin(0.2 * (i + 1) * j) - 0.4;
  }
  rows[4][3] = -0.0;  // alone in its section at this sample: the sum's sign of zero shows
  rows[12][5] = std::numeric_limits<double>::quiet_NaN();
  for (const ChannelMixKernels* set : sets) {
    // Playing: 4 alone in the synthe section and every instrument channel; synthe channels only;
    // nothing.
    for (unsigned playing : {0x7FF10u, 0x000B5u, 0u}) {
      for (bool ring : {false, true}) {
        std::vector<double> buses[2] = {std::vector<double>(kCount), std::vector<double>(kCount)};
        ChannelMix mix;
        mix.synthePlaying = mix.playingCount = 0;
        for (int i = 0; i < kPresetCount; ++i) {
          const bool on = (playing >> i) & 1;
          mix.envelopes[i] = &envelopes[i];
          mix.samples[i] = on ? rows[i].data() : nullptr;
          mix.buses[i] = buses[i < 8 ? 0 : 1].data();
          mix.levels[i] = 0.5 + 0.1 * i;
          mix.steadyValues[i] = envelopes[i].value;
          if (on) mix.playing[mix.playingCount++] = i;
          if (i == 7) mix.synthePlaying = mix.playingCount;
        }
        std::vector<double> expected[2] = {std::vector<double>(kCount, -0.0), std::vector<double>(kCount, 0.25)};
        std::vector<double> steady[2] = {expected[0], expected[1]};
        scalar.mix(mix, kCount);
        scalar.sections(buses[0].data(), buses[1].data(), 0.7, ring, expected[0].data(), expected[1].data(), kCount);
        set->mixSteady(mix, 0.7, ring, steady[0].data(), steady[1].data(), kCount);
        EXPECT_TRUE(sameBits(expected[0], steady[0])) << playing << " " << ring;
        EXPECT_TRUE(sameBits(expected[1], steady[1])) << playing << " " << ring;
      }
    }
  }
}

TEST(ChannelMix, SteadyVoicesAddAsOneSteadyMixPerVoiceInTurn) {
  const ChannelMixKernels& scalar = channelMixKernels(VectorLevel::kScalar);
  std::vector<const ChannelMixKernels*> sets = vectorSets();
  sets.push_back(&scalar);
  constexpr int kCount = 61;  // more than one block of vectors, and a tail
  std::vector<Envelope> envelopes(kPresetCount);
  std::vector<std::vector<double>> rows(kPresetCount, std::vector<double>(kCount));
  for (int i = 0; i < kPresetCount; ++i) {
    for (int j = 0; j < kCount; ++j) rows[i][j] = std::sin(0.3 * (i + 1) * j) + 0.1;
  }
  // Three voices: their playing channels, gains and ring modulation differ.
  const unsigned playing[] = {0x7FF10u, 0x000B5u, 0x40003u};
  ChannelMix mixes[3];
  SteadyVoice voices[3];
  for (int v = 0; v < 3; ++v) {
    ChannelMix& mix = mixes[v];
    mix.synthePlaying = mix.playingCount = 0;
    for (int i = 0; i < kPresetCount; ++i) {
      const bool on = (playing[v] >> i) & 1;
      mix.envelopes[i] = &envelopes[i];
      mix.samples[i] = on ? rows[(i + 5 * v) % kPresetCount].data() : nullptr;
      mix.levels[i] = 0.5 + 0.1 * i + 0.01 * v;
      mix.steadyValues[i] = 0.2 + 0.04 * i - 0.03 * v;
      if (on) mix.playing[mix.playingCount++] = i;
      if (i == 7) mix.synthePlaying = mix.playingCount;
    }
    voices[v] = {&mix, 0.6 + 0.1 * v, v == 1};
  }
  for (const ChannelMixKernels* set : sets) {
    std::vector<double> expected[2] = {std::vector<double>(kCount, 0.125), std::vector<double>(kCount, -0.5)};
    std::vector<double> together[2] = {expected[0], expected[1]};
    for (const SteadyVoice& voice : voices) {
      scalar.mixSteady(*voice.mix, voice.gain, voice.ringModulation, expected[0].data(), expected[1].data(), kCount);
    }
    set->mixSteadyVoices(voices, 3, together[0].data(), together[1].data(), kCount);
    EXPECT_TRUE(sameBits(expected[0], together[0]));
    EXPECT_TRUE(sameBits(expected[1], together[1]));
  }
}

}  // namespace
}  // namespace sorvel
