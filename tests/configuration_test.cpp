// The user's configuration file: where it lives, the first run, what each setting reads as, what a
// write leaves behind, the startup bank, and that neither bad files nor the host's locale matter.
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <random>

#include "dsp/ParameterIds.h"
#include "instrument/Configuration.h"
#include "instrument/ConfigurationValues.h"
#include "tests/config_test_support.h"

using namespace sorvel;
using namespace configtest;

namespace {

class ConfigurationTest : public UserFoldersTest {
 protected:
  static void expectMapHoldsOnly(Synth& plug, int controller, int parameter) {
    for (int n = 0; n < kControllerCount; ++n) {
      EXPECT_EQ(plug.controllerMap()[static_cast<std::size_t>(n)], n == controller ? parameter : -1) << "CC" << n;
    }
  }
};

// Sets the process locale for one test and puts the previous one back.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    ok_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};

}  // namespace

TEST_F(ConfigurationTest, FirstRunCreatesTheFileAndKeepsEverySetting) {
  auto plug = makeSorvel();
  EXPECT_EQ(plug->configurationPath(), iniPath());
  ASSERT_TRUE(std::filesystem::exists(iniPath()));
  // Construction adds the preset defaults and nothing else.
  const ProfileDocument document = ProfileDocument::parse(ini());
  EXPECT_EQ(document.entries("Preset Defaults").size(), 152u);
  EXPECT_EQ(ini().find('['), ini().rfind('['));
  EXPECT_FALSE(plug->configuration().midiThru);
  EXPECT_FALSE(plug->configuration().ignoreProgramChange);
  expectMapHoldsOnly(*plug, -1, -1);
  EXPECT_EQ(plug->startupBankPath(), "");
  EXPECT_EQ(plug->documentsFolder(), home());
  EXPECT_EQ(plug->programFilesFolder(), home());
  EXPECT_EQ(plug->programName(0), "Fat Sorvel");

  // The file itself starts empty: set up again in a fresh settings folder.
  ::setenv("XDG_CONFIG_HOME", file("second").c_str(), 1);
  plug->setUpConfiguration(file("no plug-in here"));
  EXPECT_EQ(plug->configurationPath(), file("second/TarnwickMusic/sorvel.ini"));
  ASSERT_TRUE(std::filesystem::exists(plug->configurationPath()));
  EXPECT_EQ(std::filesystem::file_size(plug->configurationPath()), 0u);
}

TEST_F(ConfigurationTest, TheDocumentsFolderComesFromTheUserDirectories) {
  std::filesystem::create_directories(home() + "/Documents");
  EXPECT_EQ(makeSorvel()->programFilesFolder(), home() + "/Documents");
  std::filesystem::create_directories(home() + "/Dokumente");
  writeText(config() + "/user-dirs.dirs", "# written by the desktop\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(makeSorvel()->documentsFolder(), home() + "/Dokumente");
  // A named folder that is not there falls back.
  writeText(config() + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/no/such/folder\"\n");
  EXPECT_EQ(makeSorvel()->documentsFolder(), home() + "/Documents");
  // Without XDG_CONFIG_HOME the settings live in ~/.config.
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(makeSorvel()->configurationPath(), home() + "/.config/TarnwickMusic/sorvel.ini");
}

TEST_F(ConfigurationTest, AnOlderInstallationsFileIsCopiedOnTheFirstRunOnly) {
  const std::string older = "[MIDI Global]\nMIDI Thru=true\n[MIDI Control]\nCC7=12\n[Startup Bank]\nFile=/banks/a.fxb\n";
  writeText(file("plugins/sorvel.ini"), older);
  auto plug = makeSorvel();
  ::setenv("XDG_CONFIG_HOME", file("fresh").c_str(), 1);
  plug->setUpConfiguration(file("plugins/"));
  EXPECT_EQ(readText(file("fresh/TarnwickMusic/sorvel.ini")), older);
  EXPECT_TRUE(plug->configuration().midiThru);
  expectMapHoldsOnly(*plug, 7, 12);
  EXPECT_EQ(plug->startupBankPath(), "/banks/a.fxb");

  // Once the user has a file, the older one is left where it is.
  writeText(file("fresh/TarnwickMusic/sorvel.ini"), "[MIDI Global]\nMIDI Thru=false\n");
  plug->setUpConfiguration(file("plugins"));
  EXPECT_FALSE(plug->configuration().midiThru);
  EXPECT_EQ(readText(file("fresh/TarnwickMusic/sorvel.ini")), "[MIDI Global]\nMIDI Thru=false\n");
}

TEST_F(ConfigurationTest, OnlyCC7PresentReplacesTheWholeMap) {
  auto plug = makeSorvel();
  plug->controllerMap().fill(100);
  writeIni("[MIDI Control]\nCC7=12\n");
  EXPECT_EQ(plug->readConfiguration(), Synth::ConfigurationStatus::Read);
  expectMapHoldsOnly(*plug, 7, 12);
}

TEST_F(ConfigurationTest, ControllerValuesAsTheyAreWritten) {
  auto plug = makeSorvel();
  const std::vector<std::pair<std::string, int>> cases = {
      {"0", 0},     {"letters", -1}, {"12abc", 12}, {"  42", 42}, {"+17", 17}, {"007", 7},
      {" 0", 0},    {"", -1},        {"-1", -1},    {"-7", -1},   {"234", 234}, {"235", -1},
      {"500", -1},  {"00", 0},       {"-0", -1},    {"99999999999999999999", -1},   {"-99999999999999999999", -1}};
  for (const auto& [text, expected] : cases) {
    writeIni("[MIDI Control]\nCC7=" + text + "\n");
    plug->readConfiguration();
    EXPECT_EQ(plug->controllerMap()[7], expected) << '"' << text << '"';
  }
  writeIni("[MIDI Control]\nCC7\n");
  plug->readConfiguration();
  EXPECT_EQ(plug->controllerMap()[7], -1);
}

TEST_F(ConfigurationTest, MidiOptionsAreTrueInAnyCaseAndUnchangedWhenAbsent) {
  auto plug = makeSorvel();
  writeIni("[MIDI Global]\nMIDI Thru=TRUE\nIgnore Program Change=True\n");
  plug->readConfiguration();
  EXPECT_TRUE(plug->configuration().midiThru);
  EXPECT_TRUE(plug->configuration().ignoreProgramChange);
  writeIni("[MIDI Global]\nMIDI Thru=yes\n");
  plug->readConfiguration();
  EXPECT_FALSE(plug->configuration().midiThru);
  EXPECT_TRUE(plug->configuration().ignoreProgramChange);  // absent
  writeIni("[MIDI Global]\nMIDI Thru=\nIgnore Program Change=1\n");
  plug->configuration().midiThru = true;
  plug->readConfiguration();
  EXPECT_TRUE(plug->configuration().midiThru);  // empty text
  EXPECT_FALSE(plug->configuration().ignoreProgramChange);
}

TEST_F(ConfigurationTest, FoldersAndStartupBankAreRead) {
  auto plug = makeSorvel();
  writeIni("[Startup Bank]\nFile=/banks/my bank.fxb\n[Global]\nPath to Program Files=/music/programs\n");
  plug->readConfiguration();
  EXPECT_EQ(plug->startupBankPath(), "/banks/my bank.fxb");
  EXPECT_EQ(plug->programFilesFolder(), "/music/programs");
  // A missing folder key keeps the folder; a missing bank key clears the bank.
  writeIni("[Global]\nPath to Program Files=\n");
  plug->readConfiguration();
  EXPECT_EQ(plug->startupBankPath(), "");
  EXPECT_EQ(plug->programFilesFolder(), "/music/programs");
}

TEST_F(ConfigurationTest, AMissingFileReadsAsEmptyAndSaysSo) {
  auto plug = makeSorvel();
  plug->configuration().midiThru = true;
  plug->controllerMap()[3] = kBalance;
  std::filesystem::remove(iniPath());
  EXPECT_EQ(plug->readConfiguration(), Synth::ConfigurationStatus::FileMissing);
  EXPECT_TRUE(plug->configuration().midiThru);
  expectMapHoldsOnly(*plug, -1, -1);
}

TEST_F(ConfigurationTest, WritingAllOfItAndParts) {
  auto plug = makeSorvel();
  writeIni("; mine\n[Global]\nPath to Program Files=/p\n[MIDI Control]\nCC1=5\n");
  plug->readConfiguration();
  plug->controllerMap().fill(-1);
  plug->writeConfiguration(Synth::ConfigurationWrite::All);
  EXPECT_EQ(ini(),
            "; mine\n[Global]\nPath to Program Files=/p\n[MIDI Control]\n\n[Startup Bank]\nFile=\n\n"
            "[MIDI Global]\nMIDI Thru=false\nIgnore Program Change=false\n");

  plug->controllerMap()[7] = kVibratoDepth;
  plug->controllerMap()[119] = kVersion;
  plug->configuration().midiThru = true;
  plug->configuration().ignoreProgramChange = true;
  plug->selectStartupBank("/b/start.fxb");
  plug->writeConfiguration(Synth::ConfigurationWrite::MidiThruOnly);
  ProfileDocument d = ProfileDocument::parse(ini());
  EXPECT_EQ(d.value("MIDI Global", "MIDI Thru"), std::optional<std::string>("true"));
  EXPECT_EQ(d.value("MIDI Global", "Ignore Program Change"), std::optional<std::string>("false"));
  EXPECT_TRUE(d.entries("MIDI Control").empty());
  EXPECT_EQ(d.entries("Startup Bank"), (ProfileEntries{{"File", "/b/start.fxb"}}));

  plug->writeConfiguration(Synth::ConfigurationWrite::All);
  d = ProfileDocument::parse(ini());
  EXPECT_EQ(d.entries("MIDI Control"), (ProfileEntries{{"CC7", "12"}, {"CC119", "0"}}));
  EXPECT_EQ(d.value("MIDI Global", "Ignore Program Change"), std::optional<std::string>("true"));

  auto other = makeSorvel();
  EXPECT_TRUE(other->configuration().midiThru);
  EXPECT_TRUE(other->configuration().ignoreProgramChange);
  EXPECT_EQ(other->controllerMap()[7], 12);
  EXPECT_EQ(other->controllerMap()[119], 0);
  EXPECT_EQ(other->programFilesFolder(), "/p");

  plug->clearStartupBank();
  d = ProfileDocument::parse(ini());
  EXPECT_TRUE(d.hasSection("Startup Bank"));
  EXPECT_TRUE(d.entries("Startup Bank").empty());
}

TEST_F(ConfigurationTest, TheConfiguredStartupBankIsLoadedAtStart) {
  {
    auto source = makeSorvel();
    source->ModifyCurrentPreset("My Startup Sound");
    ASSERT_TRUE(source->saveBankFile(file("start.fxb")));
  }
  writeIni("[Startup Bank]\nFile=" + file("start.fxb") + "\n");
  auto plug = makeSorvel();
  EXPECT_EQ(plug->programName(0), "My Startup Sound");
  EXPECT_EQ(plug->startupBankPath(), file("start.fxb"));
}

TEST_F(ConfigurationTest, AMissingStartupBankFallsBackToTheFactoryBankAndStaysInTheFile) {
  writeIni("[Startup Bank]\nFile=" + file("gone.fxb") + "\n");
  auto plug = makeSorvel();
  EXPECT_EQ(plug->programName(0), "Fat Sorvel");
  EXPECT_EQ(plug->programName(63), "Init");
  EXPECT_EQ(plug->startupBankPath(), "");
  EXPECT_EQ(ProfileDocument::parse(ini()).value("Startup Bank", "File"), std::optional<std::string>(file("gone.fxb")));
}

TEST_F(ConfigurationTest, BadFilesNeverMapAControllerOutsideTheParameters) {
  std::mt19937 random(3);
  for (int round = 0; round < 30; ++round) {
    std::string text = "[MIDI Control]\n";
    for (int n = 0; n < 120; ++n) {
      text += "CC" + std::to_string(n) + "=";
      switch (random() % 6) {
        case 0: text += std::to_string(static_cast<int>(random())); break;
        case 1: text += "-" + std::to_string(random() % 1000); break;
        case 2: text += std::to_string(random() % 300); break;
        case 3: text += std::string(random() % 5000, static_cast<char>('0' + random() % 10)); break;
        case 4: for (int i = 0; i < 40; ++i) text += static_cast<char>(random() & 0xFF); break;
        default: break;
      }
      text += "\n";
    }
    if (round % 3 == 0) text += std::string(1 << 20, 'x');  // a huge line with no end
    writeIni(text);
    auto plug = makeSorvel();
    for (int n = 0; n < kControllerCount; ++n) {
      const int entry = plug->controllerMap()[static_cast<std::size_t>(n)];
      ASSERT_TRUE(entry == -1 || (entry >= 0 && entry < kParameterCount)) << entry;
    }
  }
}

TEST_F(ConfigurationTest, ValueTextsAreReadLikeTheCLibraryWithAPoint) {
  EXPECT_EQ(leadingNumber("0.355"), 0.355);
  EXPECT_EQ(leadingNumber("  -1"), -1.0);
  EXPECT_EQ(leadingNumber("1.5e1xyz"), 15.0);
  EXPECT_EQ(leadingNumber("abc"), 0.0);
  EXPECT_EQ(leadingNumber("0,5"), 0.0);
  EXPECT_EQ(leadingInteger(" -12x"), -12);
  EXPECT_EQ(leadingInteger("x12"), 0);
  EXPECT_TRUE(isTrueText("tRuE"));
  EXPECT_FALSE(isTrueText("true "));
  EXPECT_FALSE(isTrueText("yes"));
}

TEST_F(ConfigurationTest, TheHostsLocaleDoesNotMatter) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.ok()) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed (scripts/setup.sh generates it)";
  char probe[16];
  std::snprintf(probe, sizeof(probe), "%.1f", 0.5);
  ASSERT_STREQ(probe, "0,5") << "the test needs a locale with a decimal comma";

  auto plug = makeSorvel();
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "de_DE.UTF-8") << "construction changed the host's locale";
  ProfileDocument d = ProfileDocument::parse(ini());
  EXPECT_EQ(d.value("Preset Defaults", "8' SAW P5 Gain"), std::optional<std::string>("0.355"));

  plug->initialiseProgram();
  EXPECT_NEAR(plug->parameter(presetParameter(kSaw8, kPresetGain))->value(), 0.71, 1e-6);
  EXPECT_NEAR(plug->parameter(presetParameter(kHammeredPerc4, kPresetRelease))->value(), 0.98, 1e-6);
  plug->savePresetDefaults();
  d = ProfileDocument::parse(ini());
  EXPECT_EQ(d.value("Preset Defaults", "8' SAW P5 Gain"), std::optional<std::string>("0.355"));
  EXPECT_EQ(d.value("Preset Defaults", "4' HAMMERED PERC P19 EnvR"), std::optional<std::string>("0.245"));
  plug->loadPresetDefaults();
  EXPECT_NEAR(plug->parameter(presetParameter(kSaw8, kPresetGain))->value(), 0.71, 1e-6);
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "de_DE.UTF-8");
}

// The configuration as a part of its own, without a plug-in: what one instance writes, the next reads;
// a map entry past the last parameter the reader knows reads as none.
TEST_F(ConfigurationTest, StandsAloneAndKeepsWhatItWritesForTheNextReader) {
  RecursiveLock lock;
  Configuration first(lock, kParameterCount);
  first.setUp(home());
  first.midiThru = true;
  first.controllerMap[20] = 115;
  first.controllerMap[21] = kParameterCount - 1;
  ASSERT_TRUE(first.write(Configuration::Write::All));

  Configuration second(lock, 116);
  second.setUp(home());
  EXPECT_EQ(second.read(), Configuration::Status::Read);
  EXPECT_TRUE(second.midiThru);
  EXPECT_EQ(second.controllerMap[20], 115);
  EXPECT_EQ(second.controllerMap[21], -1);
}
