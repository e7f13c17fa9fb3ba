// The factory bank compiled into the library: its image field by field, the programs it must
// hold, and how an instance starts from it.
#include <array>
#include <cmath>

#include "dsp/ParameterTable.h"
#include "instrument/Sorvel.h"
#include "platform/Resources.h"
#include "tests/file_test_support.h"

using namespace sorvel;
using namespace filetest;

namespace {

const std::array<const char*, 64> kNames = {
    "Fat Sorvel", "Solo Performer", "Poly Strings", "Classic Ring FX", "PRESET Noise", "PRESET 32' Saw",
    "PRESET 16' S/H", "PRESET 16' PWM", "PRESET 8' Saw", "PRESET 8' Pulse", "PRESET 8' Rectangle",
    "PRESET 4' Saw", "PRESET 32' Elec. Bass", "PRESET 32' Tuba", "PRESET 16' Clavi", "PRESET 16' Fuzz Git.",
    "PRESET 16' Horn", "PRESET 8' Trumpet", "PRESET 8' Clarinet", "PRESET 8' Dbl. Reed", "PRESET 8' String",
    "PRESET 4' Flute", "PRESET 4' Hamm. Perc.", "BAS Dub", "BAS Hammered Perc", "BAS Vornish",
    "BAS Plug and Switch", "BAS Plug Bass", "BAS Plug Trance", "BAS Trance", "BAS Trance Dual Tone",
    "FX Elektrostrom", "FX Robot SH", "FX Sound Up + Down", "FX Spachfetzen (C4Hold)", "LED Jamming Chorus",
    "LED Accordion", "LED Arp 1", "LED Arp 2", "LED Banjo", "LED Choir", "LED Crazy Synth Driftin",
    "LED Distorted Horn", "LED FM Arp", "LED QV Arp 1", "LED QV Arp 2", "LED QV Arp 3", "LED QV Metro",
    "LED QV Organ", "LED Vornish", "LED Nice Lead", "LED Old Jamming Synth", "LED Pulsing Lead",
    "LED Resonance Lead", "LED Resonanz", "LED Resonanz 2", "LED Scattering Synth", "LED Singing Voice (C4)",
    "PAD Choir", "PAD High", "PAD Reso Pad", "STR Resonance", "STR String Dark", "Init"};

// The built-in preset defaults, normalised, slots Gain .. EnvR, presets P1 .. P19.
const double kPresetDefaults[19][8] = {
    {0.500, 0.500, 0.675, 0.265, 0.500, 0.000, 1.000, 0.505}, {0.500, 0.500, 0.770, 0.140, 0.500, 0.000, 1.000, 0.500},
    {0.500, 0.635, 0.955, 0.380, 0.000, 0.000, 1.000, 0.010}, {0.500, 0.500, 0.500, 0.140, 0.500, 0.000, 1.000, 0.510},
    {0.355, 0.500, 1.000, 0.195, 0.500, 0.000, 1.000, 0.515}, {0.500, 0.500, 0.585, 0.275, 0.000, 0.565, 0.000, 0.200},
    {0.310, 0.500, 0.980, 0.300, 0.500, 0.000, 1.000, 0.510}, {0.500, 0.500, 0.500, 0.230, 0.000, 0.540, 0.000, 0.170},
    {0.500, 0.500, 0.450, 0.240, 0.000, 1.000, 0.000, 0.010}, {0.500, 0.500, 0.475, 0.245, 0.035, 0.000, 1.000, 0.010},
    {0.500, 0.455, 0.235, 0.245, 0.000, 1.000, 0.000, 0.010}, {0.610, 0.360, 0.845, 0.370, 0.000, 1.000, 0.000, 0.010},
    {0.500, 0.500, 0.445, 0.210, 0.045, 0.500, 1.000, 0.010}, {0.500, 0.500, 0.505, 0.275, 0.025, 0.000, 1.000, 0.010},
    {0.500, 0.350, 0.800, 0.430, 0.010, 0.500, 1.000, 0.010}, {0.845, 0.405, 0.610, 0.360, 0.013, 0.500, 1.000, 0.010},
    {0.560, 0.480, 0.835, 0.505, 0.100, 0.000, 1.000, 0.010}, {0.750, 0.385, 0.840, 0.060, 0.020, 0.000, 1.000, 0.010},
    {0.720, 0.350, 0.830, 0.000, 0.000, 0.285, 0.000, 0.245}};


struct FactoryProgram {
  std::string name;
  int flag = 0;
  std::vector<double> values;
};

Bytes factoryImage() {
  const ResourceBytes resource = findResource("PROGDATA", "PROGINIT");
  if (!resource.found()) return {};
  return Bytes(resource.data, resource.data + resource.size);
}

// Walks the program list; the position after it ends up in end.
std::vector<FactoryProgram> programsOf(const Bytes& image, std::size_t& end) {
  std::vector<FactoryProgram> programs;
  std::size_t at = 168;
  for (int p = 0; p < 64 && at + 4 <= image.size(); ++p) {
    FactoryProgram program;
    const auto length = static_cast<std::size_t>(littleEndianAt(image, at));
    at += 4;
    if (at + length + 1 + 235 * 8 > image.size()) break;
    program.name = textAt(image, at, length);
    at += length;
    program.flag = image[at++];
    for (int i = 0; i < 235; ++i, at += 8) program.values.push_back(littleEndianDoubleAt(image, at));
    programs.push_back(program);
  }
  end = at;
  return programs;
}

int switchedOn(const FactoryProgram& program) {
  int count = 0;
  for (int n = 0; n < kPresetCount; ++n) count += program.values[static_cast<std::size_t>(presetSwitch(n))] >= 0.5;
  return count;
}

}  // namespace

TEST(FactoryBank, ImageFollowsTheBankLayout) {
  const Bytes image = factoryImage();
  ASSERT_EQ(image.size(), 121731u);
  EXPECT_EQ(textAt(image, 0, 4), "CcnK");
  EXPECT_EQ(bigEndianAt(image, 4), 121731);
  EXPECT_EQ(textAt(image, 8, 4), "FBCh");
  EXPECT_EQ(bigEndianAt(image, 12), 2);
  EXPECT_EQ(textAt(image, 16, 4), "qm71");
  EXPECT_EQ(bigEndianAt(image, 20), 10300);
  EXPECT_EQ(bigEndianAt(image, 24), 64);
  EXPECT_EQ(bigEndianAt(image, 28), 0);
  EXPECT_EQ(textAt(image, 32, 124), std::string(124, '\0'));
  EXPECT_EQ(bigEndianAt(image, 156), 121571);
  EXPECT_EQ(littleEndianAt(image, 160), 0x70666674);
  EXPECT_EQ(littleEndianAt(image, 164), 0x00010000);

  std::size_t end = 0;
  const auto programs = programsOf(image, end);
  ASSERT_EQ(programs.size(), 64u);
  EXPECT_EQ(end, image.size());
  const auto& table = parameterTable();
  for (std::size_t p = 0; p < 64; ++p) {
    EXPECT_EQ(programs[p].name, kNames[p]) << p;
    EXPECT_EQ(programs[p].flag, 1) << p;
    EXPECT_EQ(programs[p].values[0], 1300.0) << p;
    for (std::size_t i = 1; i < 235; ++i) {
      EXPECT_GE(programs[p].values[i], table[i].minimum) << p << " " << table[i].name;
      EXPECT_LE(programs[p].values[i], table[i].maximum) << p << " " << table[i].name;
    }
  }
}

TEST(FactoryBank, ResourcesAreFoundOnlyByTheirKeys) {
  EXPECT_TRUE(findResource("PROGDATA", "PROGINIT").found());
  EXPECT_FALSE(findResource("PROGDATA", "PROGINI").found());
  EXPECT_FALSE(findResource("PNG", "PROGINIT").found());
  EXPECT_FALSE(findResource(-1).found());
  EXPECT_FALSE(findResource(99999, "resources/img/none.png").found());
}

TEST(Resources, NumberedAndTypedEntriesAreFoundByTheirOwnKeys) {
  static const std::uint8_t back[] = {1, 2, 3}, knob[] = {4}, bank[] = {5, 6};
  const EmbeddedResource table[] = {{"", 101, "resources/img/back.png", back, sizeof back},
                                    {"", 133, "resources/img/knob.png", knob, sizeof knob},
                                    {"PROGDATA", -1, "PROGINIT", bank, sizeof bank}};
  EXPECT_EQ(findResourceIn(table, 101, "resources/img/back.png").data, back);
  EXPECT_EQ(findResourceIn(table, 133).data, knob);
  EXPECT_EQ(findResourceIn(table, 133).size, 1u);
  EXPECT_FALSE(findResourceIn(table, 133, "resources/img/back.png").found());
  EXPECT_FALSE(findResourceIn(table, -1, "PROGINIT").found());  // a typed entry has no number
  EXPECT_EQ(findResourceIn(table, "PROGDATA", "PROGINIT").data, bank);
  EXPECT_FALSE(findResourceIn(table, "", "resources/img/back.png").found());  // a numbered entry has no type
}

TEST(FactoryBank, PresetProgramsEachPlayTheirOnePreset) {
  std::size_t end = 0;
  const auto programs = programsOf(factoryImage(), end);
  ASSERT_EQ(programs.size(), 64u);
  const auto& table = parameterTable();
  for (int n = 1; n <= 19; ++n) {
    const FactoryProgram& program = programs[static_cast<std::size_t>(3 + n)];
    SCOPED_TRACE(program.name);
    EXPECT_EQ(switchedOn(program), 1);
    EXPECT_EQ(program.values[static_cast<std::size_t>(presetSwitch(n - 1))], 1.0);
    EXPECT_EQ(program.values[kVoices], 0.0);  // "1"
    EXPECT_EQ(program.values[kVolume], 0.9);
    EXPECT_EQ(program.values[kChorus], 0.0);
    for (int slot = 0; slot < kPresetSlotCount; ++slot) {
      const std::size_t index = static_cast<std::size_t>(presetParameter(n - 1, static_cast<PresetSlot>(slot)));
      EXPECT_NEAR(program.values[index], kPresetDefaults[n - 1][slot] * table[index].maximum, 1e-9) << table[index].name;
    }
  }
}

TEST(FactoryBank, InitHoldsTheDefaultsAndTheFirstFourCombinePresetsWithChorus) {
  std::size_t end = 0;
  const auto programs = programsOf(factoryImage(), end);
  ASSERT_EQ(programs.size(), 64u);
  const auto& table = parameterTable();
  for (std::size_t i = 1; i < 235; ++i) EXPECT_EQ(programs[63].values[i], table[i].defaultValue) << table[i].name;
  EXPECT_EQ(switchedOn(programs[63]), 0);
  for (std::size_t p = 0; p < 4; ++p) {
    EXPECT_GE(switchedOn(programs[p]), 2) << programs[p].name;
    EXPECT_EQ(programs[p].values[kChorus], 1.0) << programs[p].name;
  }
  for (std::size_t p = 23; p < 63; ++p) EXPECT_GE(switchedOn(programs[p]), 1) << programs[p].name;
}

TEST(FactoryBank, AFreshInstanceStartsWithIt) {
  Sorvel plug(nullptr);
  for (int p = 0; p < 64; ++p) {
    EXPECT_EQ(plug.programName(p), kNames[static_cast<std::size_t>(p)]);
    EXPECT_TRUE(plug.program(p)->initialized);
  }
  EXPECT_EQ(plug.currentProgram(), 0);
  std::size_t end = 0;
  const auto programs = programsOf(factoryImage(), end);
  ASSERT_EQ(programs.size(), 64u);
  EXPECT_EQ(plug.parameter(kVersion)->value(), 1302.0);
  for (int i = 1; i < 235; ++i) EXPECT_EQ(plug.parameter(i)->value(), programs[0].values[static_cast<std::size_t>(i)]) << i;
}

TEST(FactoryBank, SavedBankHoldsEveryProgramInTheTaggedLayout) {
  ScratchFolder folder;
  Sorvel plug(nullptr);
  ASSERT_TRUE(plug.saveBankFile(folder.file("factory.fxb")));
  const Bytes file = readBytes(folder.file("factory.fxb"));
  std::size_t at = 168;
  for (int p = 0; p < 64; ++p) {
    SCOPED_TRACE(kNames[static_cast<std::size_t>(p)]);
    const auto length = static_cast<std::size_t>(littleEndianAt(file, at));
    EXPECT_EQ(textAt(file, at + 4, length), kNames[static_cast<std::size_t>(p)]);
    at += 4 + length;
    EXPECT_EQ(file.at(at), 1);
    at += 1;
    ASSERT_EQ(textAt(file, at, 12), "Sorvel_1.3.1");
    const auto nameLength = static_cast<std::size_t>(littleEndianAt(file, at + 16));
    at += 20 + nameLength;
    EXPECT_EQ(littleEndianDoubleAt(file, at), 1302.0);
    at += 235 * 8;
  }
  EXPECT_EQ(at, file.size());
}

namespace {

class StartupSorvel : public Sorvel {
 public:
  StartupSorvel() : Sorvel(nullptr) {}
  void setStartupBank(const std::string& path) { selectStartupBank(path); }
  const std::string& startupBank() const { return startupBankPath(); }
};

}  // namespace

TEST(FactoryBank, AStartupBankThatLoadsReplacesIt) {
  ScratchFolder folder;
  Sorvel source(nullptr);
  source.ModifyCurrentPreset("My Startup Sound");
  ASSERT_TRUE(source.saveBankFile(folder.file("startup.fxb")));

  StartupSorvel plug;
  plug.setStartupBank(folder.file("startup.fxb"));
  EXPECT_TRUE(plug.loadFactoryBank());
  EXPECT_EQ(plug.programName(0), "My Startup Sound");
  EXPECT_EQ(plug.startupBank(), folder.file("startup.fxb"));

  plug.setStartupBank(folder.file("missing.fxb"));
  EXPECT_TRUE(plug.loadFactoryBank());
  EXPECT_EQ(plug.programName(0), "Fat Sorvel");
  EXPECT_EQ(plug.startupBank(), "");
}
