// The instrument's state chunk: tagged layout, older untagged layout, truncation.
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "SorvelVersion.h"
#include "instrument/Sorvel.h"

using namespace sorvel;

namespace {

ByteChunk taggedHeader(int nameLength, const char* name) {
  ByteChunk chunk;
  chunk.putBytes("Sorvel_1.3.1", 12);
  chunk.put(std::int32_t{3});
  chunk.put(std::int32_t{nameLength});
  chunk.putBytes(name, static_cast<int>(std::strlen(name)));
  return chunk;
}

}  // namespace

TEST(StateChunk, RoundTripReproducesEveryValue) {
  Sorvel a(nullptr);
  for (int i = 1; i < a.parameterCount(); ++i) a.parameter(i)->setNormalised((i * 7 % 100) / 100.0);
  ByteChunk chunk;
  ASSERT_TRUE(a.serializeState(chunk));
  EXPECT_EQ(chunk.size(), 12 + 4 + 4 + static_cast<int>(a.programName(0).size()) + 235 * 8);
  Sorvel b(nullptr);
  EXPECT_EQ(b.unserializeState(chunk, 0), chunk.size());
  for (int i = 0; i < a.parameterCount(); ++i) EXPECT_EQ(a.parameter(i)->value(), b.parameter(i)->value()) << i;
}

TEST(StateChunk, UntaggedLayoutIsTheValuesAlone) {
  Sorvel plug(nullptr);
  ByteChunk chunk;
  for (int i = 0; i < 235; ++i) chunk.put(i == 2 ? 0.75 : plug.parameter(i)->value());
  EXPECT_EQ(plug.unserializeState(chunk, 0), kParameterCount * 8);
  EXPECT_EQ(plug.parameter(kVolume)->value(), 0.75);
}

TEST(StateChunk, VersionAlwaysReadsBackAs1302) {
  Sorvel plug(nullptr);
  ByteChunk chunk;
  chunk.put(1300.0);
  for (int i = 1; i < 235; ++i) chunk.put(plug.parameter(i)->value());
  plug.unserializeState(chunk, 0);
  EXPECT_EQ(plug.parameter(kVersion)->value(), static_cast<double>(kVersionNumber));
}

TEST(StateChunk, NameLengthBeyondTheEndSetsNothing) {
  Sorvel plug(nullptr);
  plug.parameter(kVolume)->setClamped(0.9);
  ByteChunk chunk = taggedHeader(100000, "abc");
  for (int i = 0; i < 235; ++i) chunk.put(0.1);
  EXPECT_EQ(plug.unserializeState(chunk, 0), -1);
  EXPECT_EQ(plug.parameter(kVolume)->value(), 0.9);
}

TEST(StateChunk, TruncatedValuesSetWhatIsThere) {
  Sorvel plug(nullptr);
  plug.parameter(presetParameter(kElectricBass32, kPresetEnvToFilter))->setClamped(0.7);
  plug.parameter(presetParameter(kSampleHold16, kPresetCutoff))->setClamped(0.7);
  ByteChunk chunk = taggedHeader(2, "ab");
  for (int i = 0; i < 100; ++i) chunk.put(i == 2 ? 0.2 : plug.parameter(i)->value());
  EXPECT_EQ(plug.unserializeState(chunk, 0), -1);
  EXPECT_EQ(plug.parameter(kVolume)->value(), 0.2);
  EXPECT_EQ(plug.parameter(presetParameter(kSampleHold16, kPresetCutoff))->value(), 0.0);  // the one where the data ended: clamped zero
  EXPECT_EQ(plug.parameter(presetParameter(kElectricBass32, kPresetEnvToFilter))->value(), 0.7);  // later ones keep their values
}

TEST(StateChunk, StoredNotANumberBecomesTheMinimum) {
  Sorvel plug(nullptr);
  ByteChunk chunk;
  for (int i = 0; i < 235; ++i) chunk.put(i == 7 ? std::nan("") : plug.parameter(i)->value());
  plug.unserializeState(chunk, 0);
  EXPECT_EQ(plug.parameter(kMasterTune)->value(), -256.0);
}

TEST(Programs, RecallOfAnUninitialisedProgramNamesItAfterTheUserPresets) {
  Sorvel plug(nullptr);
  plug.program(5)->initialized = false;
  plug.program(0)->setName("my user preset");
  plug.program(1)->setName("user preset 2");
  ASSERT_TRUE(plug.recallProgram(5));
  EXPECT_EQ(plug.programName(5), "user preset 3");
  EXPECT_TRUE(plug.program(5)->initialized);
  EXPECT_EQ(plug.currentProgram(), 5);
  EXPECT_FALSE(plug.recallProgram(64));
  EXPECT_EQ(plug.currentProgram(), 5);
}

TEST(Programs, PresetsSerializeAndUnserializeThemselves) {
  Sorvel a(nullptr);
  a.fillEmptyPrograms(64);
  a.parameter(kVolume)->setClamped(0.33);
  a.ModifyCurrentPreset("First");
  ByteChunk bank;
  ASSERT_TRUE(a.SerializePresets(bank));
  Sorvel b(nullptr);
  EXPECT_EQ(b.UnserializePresets(bank, 0), bank.size());
  EXPECT_EQ(b.programName(0), "First");
  EXPECT_EQ(b.programName(1), a.programName(1));
  EXPECT_EQ(b.parameter(kVolume)->value(), 0.33);
}

// A new instance's first bank reaches the engine once, after the last program; the engine must
// still end up with the values the parameters hold when the current program was never stored.
TEST(Programs, BankWithoutTheCurrentProgramLeavesTheEngineWithTheParameters) {
  struct FirstBank : Sorvel {
    using Sorvel::Sorvel;
    int read(const ByteChunk& bank) {
      firstBankQuiet_ = true;
      const int position = UnserializePresets(bank, 0);
      firstBankQuiet_ = false;
      return position;
    }
  };
  Sorvel a(nullptr);
  ASSERT_TRUE(a.recallProgram(63));
  a.parameter(kMasterTune)->setClamped(37.0);
  a.ModifyCurrentPreset();
  a.program(0)->initialized = false;
  ByteChunk bank;
  ASSERT_TRUE(a.SerializePresets(bank));
  FirstBank b(nullptr);
  const double before = b.engine().settings().masterTune;
  EXPECT_EQ(b.read(bank), bank.size());
  EXPECT_EQ(b.currentProgram(), 0);
  EXPECT_NE(b.parameter(kMasterTune)->value(), before);
  EXPECT_EQ(b.engine().settings().masterTune, b.parameter(kMasterTune)->value());
}
