// The user's preset defaults: the section written on a fresh file, Init Program and the two
// commands that load and save them, down to the stored texts.
#include <algorithm>
#include <cmath>

#include "dsp/ParameterTable.h"
#include "instrument/PresetDefaults.h"
#include "tests/config_test_support.h"

using namespace sorvel;
using namespace configtest;

namespace {

struct PresetRow {
  const char* word;
  std::array<const char*, 8> texts;
};

const PresetRow kRows[19] = {
    {"NOISE", {"0.500", "0.500", "0.675", "0.265", "0.500", "0.000", "1.000", "0.505"}},
    {"32' SAW", {"0.500", "0.500", "0.770", "0.140", "0.500", "0.000", "1.000", "0.500"}},
    {"16' S/H", {"0.500", "0.635", "0.955", "0.380", "0.000", "0.000", "1.000", "0.010"}},
    {"16' PWM", {"0.500", "0.500", "0.500", "0.140", "0.500", "0.000", "1.000", "0.510"}},
    {"8' SAW", {"0.355", "0.500", "1.000", "0.195", "0.500", "0.000", "1.000", "0.515"}},
    {"8' PULSE", {"0.500", "0.500", "0.585", "0.275", "0.000", "0.565", "0.000", "0.200"}},
    {"8' RECTANGLE", {"0.310", "0.500", "0.980", "0.300", "0.500", "0.000", "1.000", "0.510"}},
    {"4' SAW", {"0.500", "0.500", "0.500", "0.230", "0.000", "0.540", "0.000", "0.170"}},
    {"32' ELECTRIC BASS", {"0.500", "0.500", "0.450", "0.240", "0.000", "1.000", "0.000", "0.010"}},
    {"32' TUBA", {"0.500", "0.500", "0.475", "0.245", "0.035", "0.000", "1.000", "0.010"}},
    {"16' CLAVI", {"0.500", "0.455", "0.235", "0.245", "0.000", "1.000", "0.000", "0.010"}},
    {"16' FUZZ GUITAR", {"0.610", "0.360", "0.845", "0.370", "0.000", "1.000", "0.000", "0.010"}},
    {"16' HORN", {"0.500", "0.500", "0.445", "0.210", "0.045", "0.500", "1.000", "0.010"}},
    {"8' TRUMPET", {"0.500", "0.500", "0.505", "0.275", "0.025", "0.000", "1.000", "0.010"}},
    {"8' CLARINET", {"0.500", "0.350", "0.800", "0.430", "0.010", "0.500", "1.000", "0.010"}},
    {"8' DOUBLE REED", {"0.845", "0.405", "0.610", "0.360", "0.013", "0.500", "1.000", "0.010"}},
    {"8' STRING", {"0.560", "0.480", "0.835", "0.505", "0.100", "0.000", "1.000", "0.010"}},
    {"4' FLUTE", {"0.750", "0.385", "0.840", "0.060", "0.020", "0.000", "1.000", "0.010"}},
    {"4' HAMMERED PERC", {"0.720", "0.350", "0.830", "0.000", "0.000", "0.285", "0.000", "0.245"}},
};

const char* const kSlots[8] = {"Gain", "Flt1", "Flt2", "E>F", "EnvA", "EnvD", "EnvS", "EnvR"};

ProfileEntries expectedSection() {
  ProfileEntries entries;
  for (int p = 0; p < 19; ++p) {
    for (int s = 0; s < 8; ++s) {
      entries.emplace_back(std::string(kRows[p].word) + " P" + std::to_string(p + 1) + " " + kSlots[s], kRows[p].texts[static_cast<std::size_t>(s)]);
    }
  }
  return entries;
}

std::vector<double> valuesOf(Synth& plug) {
  std::vector<double> values;
  for (int i = 0; i < plug.parameterCount(); ++i) values.push_back(plug.parameter(i)->value());
  return values;
}

constexpr int kP1Gain = presetParameter(kNoise, kPresetGain);
constexpr int kP1EnvS = presetParameter(kNoise, kPresetSustain);
constexpr int kP5Gain = presetParameter(kSaw8, kPresetGain);
constexpr int kP19EnvR = presetParameter(kHammeredPerc4, kPresetRelease);

class PresetDefaultsTest : public UserFoldersTest {
 protected:
  ProfileEntries section() const { return ProfileDocument::parse(ini()).entries("Preset Defaults"); }
};

}  // namespace

TEST_F(PresetDefaultsTest, AFreshFileGetsTheBuiltInSectionInTableOrder) {
  auto plug = makeSorvel();
  EXPECT_EQ(section(), expectedSection());
  for (int i = kFirstPresetParameter; i <= kP19EnvR; ++i) {
    const int preset = (i - kFirstPresetParameter) / kPresetSlotCount;
    EXPECT_EQ(presetDefaultKey(i), std::string(kRows[preset].word) + " " + plug->parameter(i)->name());
  }
  EXPECT_EQ(presetDefaultKey(kFirstPresetParameter - 1), "");
  EXPECT_EQ(presetDefaultKey(kParameterCount), "");
}

TEST_F(PresetDefaultsTest, InitProgramAppliesThemOverTheParameterDefaults) {
  auto plug = makeSorvel();
  plug->initialiseProgram();
  EXPECT_NEAR(plug->parameter(kP5Gain)->value(), 0.71, 1e-6);
  EXPECT_NE(plug->parameter(kP5Gain)->value(), plug->parameter(kP5Gain)->defaultValue());
  EXPECT_EQ(plug->parameter(kP1EnvS)->value(), 1.0);
  EXPECT_NEAR(plug->parameter(kP19EnvR)->value(), 0.98, 1e-6);
  const auto& table = parameterTable();
  for (int i = 1; i < kFirstPresetParameter; ++i) {
    // Through the normalised value and back: exact up to the rounding of the shape's power.
    const double expected = table[static_cast<std::size_t>(i)].defaultValue;
    EXPECT_NEAR(plug->parameter(i)->value(), expected, 1e-12 * std::max(1.0, std::abs(expected)))
        << table[static_cast<std::size_t>(i)].name;
  }
  for (int i = kFirstPresetParameter; i <= kP19EnvR; ++i) {
    const int offset = i - kFirstPresetParameter;
    const double stored = std::stod(kRows[offset / kPresetSlotCount].texts[static_cast<std::size_t>(offset % kPresetSlotCount)]);
    EXPECT_NEAR(plug->parameter(i)->normalised(), stored, 1e-6) << plug->parameter(i)->name();
  }
  EXPECT_EQ(plug->programName(plug->currentProgram()), "Init");
}

TEST_F(PresetDefaultsTest, AOneKeySectionIsLeftAloneAndLoadsOneParameter) {
  writeIni("[Preset Defaults]\nNOISE P1 Gain=0.250\n");
  auto plug = makeSorvel();
  EXPECT_EQ(ini(), "[Preset Defaults]\nNOISE P1 Gain=0.250\n");
  const std::vector<double> before = valuesOf(*plug);
  plug->loadPresetDefaults();
  const std::vector<double> after = valuesOf(*plug);
  EXPECT_EQ(after[kP1Gain], 0.5);
  for (int i = 0; i < plug->parameterCount(); ++i) {
    if (i != kP1Gain) {
      EXPECT_EQ(after[static_cast<std::size_t>(i)], before[static_cast<std::size_t>(i)]) << i;
    }
  }
}

TEST_F(PresetDefaultsTest, AnEmptySectionIsFilledAtStart) {
  writeIni("[Global]\nPath to Program Files=/p\n[Preset Defaults]\n; nothing yet\n");
  auto plug = makeSorvel();
  EXPECT_EQ(section(), expectedSection());
  EXPECT_EQ(ProfileDocument::parse(ini()).value("Global", "Path to Program Files"), std::optional<std::string>("/p"));
}

TEST_F(PresetDefaultsTest, StoredTextsAsTheyAreRead) {
  auto plug = makeSorvel();
  writeIni("[Preset Defaults]\nNOISE P1 Gain=-1\nNOISE P1 Flt1=abc\nNOISE P1 Flt2=2.5\nNOISE P1 E>F=-0.95\n"
           "NOISE P1 EnvA=0.5junk\nNOISE P1 EnvS=1.000\n4' HAMMERED PERC P19 EnvR=0.245\nNOISE P1 EnvD=nan\n");
  plug->parameter(presetParameter(kNoise, kPresetGain))->setClamped(1.5);
  plug->parameter(presetParameter(kNoise, kPresetCutoff))->setClamped(0.7);
  plug->parameter(presetParameter(kNoise, kPresetFilter2))->setClamped(0.7);
  plug->parameter(presetParameter(kNoise, kPresetEnvToFilter))->setClamped(0.3);
  plug->parameter(presetParameter(kNoise, kPresetDecay))->setClamped(1.0);
  plug->loadPresetDefaults();
  EXPECT_EQ(plug->parameter(presetParameter(kNoise, kPresetGain))->value(), 1.5);  // "-1": unchanged
  EXPECT_EQ(plug->parameter(presetParameter(kNoise, kPresetCutoff))->value(), plug->parameter(presetParameter(kNoise, kPresetCutoff))->minimum());  // no number: 0
  EXPECT_EQ(plug->parameter(presetParameter(kNoise, kPresetFilter2))->value(), plug->parameter(presetParameter(kNoise, kPresetFilter2))->maximum());  // held at the maximum
  EXPECT_EQ(plug->parameter(presetParameter(kNoise, kPresetEnvToFilter))->value(), 0.3);  // below -0.9: unchanged
  EXPECT_EQ(plug->parameter(presetParameter(kNoise, kPresetAttack))->value(), plug->parameter(presetParameter(kNoise, kPresetAttack))->maximum() * 0.5);
  EXPECT_EQ(plug->parameter(kP1EnvS)->value(), 1.0);
  EXPECT_EQ(plug->parameter(presetParameter(kNoise, kPresetDecay))->value(), 1.0);  // "nan": unchanged
  EXPECT_NEAR(plug->parameter(kP19EnvR)->value(), 0.98, 1e-6);
  EXPECT_TRUE(script->messages().empty());
}

TEST_F(PresetDefaultsTest, SavingRightAfterLoadingReproducesTheTexts) {
  auto plug = makeSorvel();
  plug->loadPresetDefaults();
  writeIni("; before\n[Preset Defaults]\nstale key=1\n[Global]\nPath to Program Files=/p\n");
  plug->savePresetDefaults();
  EXPECT_EQ(section(), expectedSection());
  EXPECT_EQ(ProfileDocument::parse(ini()).value("Global", "Path to Program Files"), std::optional<std::string>("/p"));
  EXPECT_EQ(ini().rfind("; before\n", 0), 0u);
}

TEST_F(PresetDefaultsTest, SavedValuesAreNormalisedWithThreeDecimals) {
  auto plug = makeSorvel();
  plug->parameter(kP5Gain)->setClamped(1.0);
  plug->parameter(kP19EnvR)->setClamped(10.0);
  plug->parameter(kP1Gain)->setClamped(0.0);
  plug->savePresetDefaults();
  const ProfileDocument d = ProfileDocument::parse(ini());
  EXPECT_EQ(d.value("Preset Defaults", "8' SAW P5 Gain"), std::optional<std::string>("0.500"));
  EXPECT_EQ(d.value("Preset Defaults", "4' HAMMERED PERC P19 EnvR"), std::optional<std::string>("1.000"));
  EXPECT_EQ(d.value("Preset Defaults", "NOISE P1 Gain"), std::optional<std::string>("0.000"));
}
