// The options menu's commands through scripted dialogs: every question as the user sees it, No
// changing nothing, the copy buffer, file commands with their proposed names and remembered
// folder, failures, the startup bank, the configuration and the MIDI options.
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "instrument/ProgramCommands.h"
#include "tests/config_test_support.h"
#include "tests/file_test_support.h"

using namespace sorvel;
using namespace configtest;
using testdialogs::DialogCall;

namespace {

constexpr int kP5Gain = presetParameter(kSaw8, kPresetGain);

struct Snapshot {
  filetest::PlugPicture picture;
  std::string ini;
  std::string startupBank;
  std::string programFiles;
  bool midiThru = false;
  bool ignoreProgramChange = false;
  ControllerMap map{};
  std::string remembered;

  bool operator==(const Snapshot&) const = default;
};

class ProgramCommandsTest : public UserFoldersTest {
 protected:
  Snapshot snapshot(Sorvel& plug) const {
    return {filetest::pictureOf(plug),       ini(),
            plug.startupBankPath(),           plug.programFilesFolder(),
            plug.configuration().midiThru,    plug.configuration().ignoreProgramChange,
            plug.controllerMap(),             Synth::rememberedFolder()};
  }

  std::vector<double> values(Sorvel& plug) const {
    std::vector<double> result;
    for (int i = 0; i < plug.parameterCount(); ++i) result.push_back(plug.parameter(i)->value());
    return result;
  }

  void answer(MessageAnswer a) { script->answers.push_back(a); }
  void choose(const std::string& path) { script->files.push_back(path); }

  const DialogCall& lastCall() const { return script->calls.back(); }

  void expectError(const std::string& text) const {
    ASSERT_FALSE(script->calls.empty());
    EXPECT_EQ(lastCall().kind, DialogCall::Message);
    EXPECT_EQ(lastCall().text, text);
    EXPECT_EQ(lastCall().caption, "Error");
    EXPECT_EQ(lastCall().buttons, MessageButtons::Ok);
  }
};

// As a full disk: a file write beyond a few bytes fails, for every user.
class FullDisk {
 public:
  FullDisk() {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved_;
    tiny.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
  }
  ~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  rlimit saved_{};
  void (*previous_)(int) = SIG_DFL;
};

}  // namespace

TEST_F(ProgramCommandsTest, ConfigurationWritesThatFailSaySoAndLeaveTheFileAsItWas) {
  auto plug = makeSorvel();
  const std::string before = ini();
  ASSERT_GT(before.size(), 16u);
  plug->controllerMap()[20] = 115;
  plug->parameter(kP5Gain)->setClamped(2.0);
  {
    FullDisk full;
    for (int number : {command::kSaveConfiguration, command::kSavePresetDefaults, command::kMidiThru,
                       command::kSelectStartupBank, command::kDefaultPathForProgramFiles}) {
      script->calls.clear();
      answer(MessageAnswer::Yes);
      choose(file("start.fxb"));
      plug->runCommand(number);
      expectError("Cannot save file!");
      script->answers.clear();
      script->files.clear();
    }
  }
  EXPECT_EQ(ini(), before);
}

TEST_F(ProgramCommandsTest, EveryConfirmationIsAskedAsWrittenAndNoChangesNothing) {
  {
    auto source = makeSorvel();
    ASSERT_TRUE(source->saveBankFile(file("start.fxb")));
  }
  auto plug = makeSorvel();
  plug->selectStartupBank(file("start.fxb"));
  plug->runCommand(command::kCopyProgram);
  plug->selectProgram(5);
  plug->parameter(kP5Gain)->setClamped(1.7);
  plug->controllerMap()[9] = kSensorIntensity;
  plug->savePresetDefaults();
  plug->parameter(kP5Gain)->setClamped(0.2);
  script->calls.clear();

  const std::string bank = file("start.fxb");
  const std::string configuration = iniPath();
  const struct {
    int number;
    std::string text;
    std::string caption;
  } questions[] = {
      {1, "Do you really want to overwrite the current program?", "Paste Program"},
      {2, "Do you really want to initialize the current program?", "Initialize Program"},
      {10, "The Startup Bank is:\n" + bank + "\n\nDo you really want to reload all programs?", "Load Startup Bank"},
      {11, "The Startup Bank is:\n" + bank + "\n\nDo you really want to unselect it?", "Unselect Startup Bank"},
      {15, "The INI configuration file is:\n" + configuration + "\n\nDo you really want to reload it?",
       "Reload Configuration"},
      {16, "The INI configuration file is:\n" + configuration + "\n\nDo you really want to overwrite it?",
       "Save Configuration"},
      {18, "Do you really want to load the Preset parameter defaults?", "Load Preset Parameter Defaults"},
      {19, "Do you really want to overwrite the Preset parameter defaults?", "Save Preset Parameter Defaults"},
  };
  for (const auto& q : questions) {
    SCOPED_TRACE(q.caption);
    script->calls.clear();
    const Snapshot before = snapshot(*plug);
    answer(MessageAnswer::No);
    plug->runCommand(q.number);
    ASSERT_EQ(script->calls.size(), 1u);
    EXPECT_EQ(lastCall().kind, DialogCall::Message);
    EXPECT_EQ(lastCall().text, q.text);
    EXPECT_EQ(lastCall().caption, q.caption);
    EXPECT_EQ(lastCall().buttons, MessageButtons::YesNo);
    EXPECT_TRUE(snapshot(*plug) == before);
  }
}

TEST_F(ProgramCommandsTest, CopyFromProgramThreePasteIntoProgramTen) {
  auto plug = makeSorvel();
  EXPECT_FALSE(plug->hasCopiedProgram());
  plug->selectProgram(3);
  ASSERT_EQ(plug->programName(3), "Classic Ring FX");
  plug->parameter(kP5Gain)->setClamped(1.25);  // an edit not yet stored in the program
  const std::vector<double> copied = values(*plug);
  plug->runCommand(command::kCopyProgram);
  EXPECT_TRUE(script->calls.empty());
  EXPECT_TRUE(plug->hasCopiedProgram());
  EXPECT_EQ(plug->copyProgramIndex(), 3);

  plug->selectProgram(10);
  ASSERT_NE(values(*plug), copied);
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kPasteProgram);
  EXPECT_EQ(plug->currentProgram(), 10);
  EXPECT_EQ(values(*plug), copied);
  EXPECT_EQ(plug->programName(10), "Classic Ring FX");
  // The program itself holds the pasted state.
  plug->selectProgram(0);
  plug->selectProgram(10);
  EXPECT_EQ(values(*plug), copied);
}

TEST_F(ProgramCommandsTest, PasteTakesTheCopiedProgramsNameAsItIsNow) {
  auto plug = makeSorvel();
  plug->selectProgram(3);
  plug->runCommand(command::kCopyProgram);
  plug->ModifyCurrentPreset("Renamed Later");
  plug->selectProgram(12);
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kPasteProgram);
  EXPECT_EQ(plug->programName(12), "Renamed Later");
}

TEST_F(ProgramCommandsTest, PastingAnEmptyBufferDoesNothing) {
  auto plug = makeSorvel();
  const Snapshot before = snapshot(*plug);
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kPasteProgram);
  EXPECT_EQ(script->calls.size(), 1u);
  Snapshot after = snapshot(*plug);
  EXPECT_EQ(after.remembered, home());  // the first command sets it
  after.remembered = before.remembered;
  EXPECT_TRUE(after == before);
}

TEST_F(ProgramCommandsTest, InitProgramAfterYes) {
  auto plug = makeSorvel();
  plug->selectProgram(7);
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kInitProgram);
  EXPECT_EQ(plug->programName(7), "Init");
  EXPECT_NEAR(plug->parameter(kP5Gain)->value(), 0.71, 1e-6);
}

TEST_F(ProgramCommandsTest, SaveProgramProposesANameFitForAFile) {
  EXPECT_EQ(proposedFileName("Lead: A/B"), "Lead_ A_B");
  EXPECT_EQ(proposedFileName("<>:\"/\\|?*ok"), "_________ok");

  auto plug = makeSorvel();
  plug->ModifyCurrentPreset("Lead: A/B");
  plug->parameter(kP5Gain)->setClamped(1.5);
  choose(file("lead.fxp"));
  plug->runCommand(command::kSaveProgram);
  ASSERT_EQ(script->calls.size(), 1u);
  EXPECT_EQ(script->calls[0].kind, DialogCall::Save);
  EXPECT_EQ(script->calls[0].proposedName, "Lead_ A_B");
  EXPECT_EQ(script->calls[0].extension, "fxp");
  EXPECT_EQ(script->calls[0].startFolder, home());
  ASSERT_TRUE(std::filesystem::exists(file("lead.fxp")));
  EXPECT_EQ(Synth::rememberedFolder(), file("").substr(0, file("").size() - 1));

  // The edit went into the program before saving.
  plug->selectProgram(1);
  plug->selectProgram(0);
  EXPECT_EQ(plug->parameter(kP5Gain)->value(), 1.5);
  auto other = makeSorvel();
  ASSERT_TRUE(other->loadProgramFile(file("lead.fxp")));
  EXPECT_EQ(other->parameter(kP5Gain)->value(), 1.5);
  EXPECT_EQ(other->programName(0), "Lead: A/B");
}

TEST_F(ProgramCommandsTest, SaveBankProposesTheInstrumentsName) {
  auto plug = makeSorvel();
  choose("");
  plug->runCommand(command::kSaveBank);
  ASSERT_EQ(script->calls.size(), 1u);
  EXPECT_EQ(script->calls[0].kind, DialogCall::Save);
  EXPECT_EQ(script->calls[0].proposedName, "Sorvel");
  EXPECT_EQ(script->calls[0].extension, "fxb");
}

TEST_F(ProgramCommandsTest, TheFolderOfALoadedBankIsWhereTheNextDialogStarts) {
  std::filesystem::create_directories(file("Banks"));
  {
    auto source = makeSorvel();
    source->ModifyCurrentPreset("From The Bank");
    ASSERT_TRUE(source->saveBankFile(file("Banks/x.fxb")));
  }
  auto plug = makeSorvel();
  choose(file("Banks/x.fxb"));
  plug->runCommand(command::kLoadBank);
  EXPECT_EQ(script->calls[0].kind, DialogCall::Open);
  EXPECT_EQ(script->calls[0].extension, "fxb");
  EXPECT_EQ(script->calls[0].startFolder, home());
  EXPECT_EQ(plug->programName(0), "From The Bank");

  plug->runCommand(command::kLoadProgram);  // cancelled
  EXPECT_EQ(lastCall().startFolder, file("Banks"));
  EXPECT_EQ(lastCall().extension, "fxp");

  // Every instance in the process starts there.
  auto other = makeSorvel();
  other->runCommand(command::kSaveBank);
  EXPECT_EQ(lastCall().startFolder, file("Banks"));
}

TEST_F(ProgramCommandsTest, TheRememberedFolderIsSetByTheFirstCommandOfAnyInstance) {
  writeIni("[Global]\nPath to Program Files=/first\n");
  auto first = makeSorvel();
  writeIni("[Global]\nPath to Program Files=/second\n");
  auto second = makeSorvel();
  ASSERT_EQ(second->programFilesFolder(), "/second");
  first->runCommand(command::kMidiThru);
  second->runCommand(command::kLoadProgram);
  EXPECT_EQ(lastCall().startFolder, "/first");
  EXPECT_EQ(folderPart("/a/b/c.fxp"), "/a/b");
  EXPECT_EQ(folderPart("C:\\Banks\\x.fxb"), "C:\\Banks");
  EXPECT_EQ(folderPart("/x.fxb"), "");
  EXPECT_EQ(folderPart("x.fxb"), "");
}

TEST_F(ProgramCommandsTest, FailedLoadsAndSavesSaySo) {
  auto plug = makeSorvel();
  const Snapshot before = snapshot(*plug);
  choose(file("missing.fxp"));
  plug->runCommand(command::kLoadProgram);
  expectError("Cannot load file!");
  choose(file("missing.fxb"));
  plug->runCommand(command::kLoadBank);
  expectError("Cannot load file!");
  writeText(file("junk.fxb"), "not a bank at all");
  choose(file("junk.fxb"));
  plug->runCommand(command::kLoadBank);
  expectError("Cannot load file!");
  Snapshot after = snapshot(*plug);
  EXPECT_EQ(after.remembered, home());
  after.remembered = before.remembered;
  EXPECT_TRUE(after == before);

  choose(file("no/such/folder/p.fxp"));
  plug->runCommand(command::kSaveProgram);
  expectError("Cannot save file!");
  choose(file("no/such/folder/b.fxb"));
  plug->runCommand(command::kSaveBank);
  expectError("Cannot save file!");
  EXPECT_EQ(Synth::rememberedFolder(), home());
}

TEST_F(ProgramCommandsTest, LoadStartupBank) {
  {
    auto source = makeSorvel();
    source->ModifyCurrentPreset("Startup Sound");
    ASSERT_TRUE(source->saveBankFile(file("start.fxb")));
  }
  auto plug = makeSorvel();
  plug->selectStartupBank(file("start.fxb"));
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kLoadStartupBank);
  EXPECT_EQ(plug->programName(0), "Startup Sound");
  EXPECT_EQ(script->calls.size(), 1u);
  EXPECT_EQ(Synth::rememberedFolder(), home());

  plug->selectStartupBank(file("gone.fxb"));
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kLoadStartupBank);
  expectError("Cannot load file!");
}

TEST_F(ProgramCommandsTest, SelectStartupBankWritesItAndACancelKeepsTheOldOne) {
  auto plug = makeSorvel();
  choose(file("mine.fxb"));
  plug->runCommand(command::kSelectStartupBank);
  EXPECT_EQ(lastCall().kind, DialogCall::Open);
  EXPECT_EQ(lastCall().extension, "fxb");
  EXPECT_EQ(lastCall().startFolder, home());
  EXPECT_EQ(plug->startupBankPath(), file("mine.fxb"));
  EXPECT_EQ(ProfileDocument::parse(ini()).entries("Startup Bank"), (ProfileEntries{{"File", file("mine.fxb")}}));
  EXPECT_EQ(Synth::rememberedFolder(), home());  // not changed by this command

  const Snapshot before = snapshot(*plug);
  plug->runCommand(command::kSelectStartupBank);  // cancelled
  EXPECT_TRUE(snapshot(*plug) == before);
}

TEST_F(ProgramCommandsTest, UnselectStartupBankRemovesTheKey) {
  auto plug = makeSorvel();
  plug->selectStartupBank("/banks/a.fxb");
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kUnselectStartupBank);
  EXPECT_EQ(plug->startupBankPath(), "");
  const ProfileDocument d = ProfileDocument::parse(ini());
  EXPECT_TRUE(d.hasSection("Startup Bank"));
  EXPECT_TRUE(d.entries("Startup Bank").empty());
}

TEST_F(ProgramCommandsTest, DefaultPathForProgramFiles) {
  auto plug = makeSorvel();
  choose("/music/programs/[file name is ignored]");
  plug->runCommand(command::kDefaultPathForProgramFiles);
  ASSERT_EQ(script->calls.size(), 1u);
  EXPECT_EQ(lastCall().kind, DialogCall::Save);
  EXPECT_EQ(lastCall().proposedName, "[file name is ignored]");
  EXPECT_EQ(lastCall().extension, " ");
  EXPECT_EQ(lastCall().startFolder, home());
  EXPECT_EQ(plug->programFilesFolder(), "/music/programs");
  EXPECT_EQ(Synth::rememberedFolder(), "/music/programs");
  EXPECT_EQ(ProfileDocument::parse(ini()).value("Global", "Path to Program Files"),
            std::optional<std::string>("/music/programs"));
  EXPECT_EQ(makeSorvel()->programFilesFolder(), "/music/programs");

  const Snapshot before = snapshot(*plug);
  plug->runCommand(command::kDefaultPathForProgramFiles);  // cancelled
  EXPECT_TRUE(snapshot(*plug) == before);
}

TEST_F(ProgramCommandsTest, ReloadConfiguration) {
  auto plug = makeSorvel();
  writeIni("[MIDI Control]\nCC7=12\n");
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kReloadConfiguration);
  EXPECT_EQ(plug->controllerMap()[7], 12);
  EXPECT_EQ(script->calls.size(), 1u);

  std::filesystem::remove(iniPath());
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kReloadConfiguration);
  EXPECT_EQ(lastCall().text, "The INI file does not exist.");
  EXPECT_EQ(lastCall().caption, "Problem with INI File");
  EXPECT_EQ(lastCall().buttons, MessageButtons::Ok);
  EXPECT_EQ(plug->controllerMap()[7], -1);
}

TEST_F(ProgramCommandsTest, SaveConfigurationAndPresetDefaults) {
  auto plug = makeSorvel();
  plug->controllerMap()[20] = kP5Gain;
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kSaveConfiguration);
  EXPECT_EQ(ProfileDocument::parse(ini()).entries("MIDI Control"), (ProfileEntries{{"CC20", "115"}}));

  plug->parameter(kP5Gain)->setClamped(2.0);
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kSavePresetDefaults);
  EXPECT_EQ(ProfileDocument::parse(ini()).value("Preset Defaults", "8' SAW P5 Gain"), std::optional<std::string>("1.000"));
  plug->parameter(kP5Gain)->setClamped(0.0);
  answer(MessageAnswer::Yes);
  plug->runCommand(command::kLoadPresetDefaults);
  EXPECT_EQ(plug->parameter(kP5Gain)->value(), 2.0);
}

TEST_F(ProgramCommandsTest, MidiOptionsToggleAndWriteOnlyTheirKey) {
  auto plug = makeSorvel();
  plug->controllerMap()[5] = kSensorDestination;
  plug->runCommand(command::kMidiThru);
  EXPECT_TRUE(plug->configuration().midiThru);
  ProfileDocument d = ProfileDocument::parse(ini());
  EXPECT_EQ(d.value("MIDI Global", "MIDI Thru"), std::optional<std::string>("true"));
  EXPECT_EQ(d.value("MIDI Global", "Ignore Program Change"), std::nullopt);
  EXPECT_FALSE(d.hasSection("MIDI Control"));

  plug->runCommand(command::kIgnoreProgramChange);
  plug->runCommand(command::kMidiThru);
  d = ProfileDocument::parse(ini());
  EXPECT_FALSE(plug->configuration().midiThru);
  EXPECT_TRUE(plug->configuration().ignoreProgramChange);
  EXPECT_EQ(d.value("MIDI Global", "MIDI Thru"), std::optional<std::string>("false"));
  EXPECT_EQ(d.value("MIDI Global", "Ignore Program Change"), std::optional<std::string>("true"));
  EXPECT_TRUE(script->calls.empty());
}

TEST_F(ProgramCommandsTest, OtherNumbersDoNothing) {
  auto plug = makeSorvel();
  plug->runCommand(command::kMidiThru);  // sets the remembered folder
  const Snapshot before = snapshot(*plug);
  for (int number : {3, 8, 12, 14, 17, 20, 21, 25, 26, -1, 1000}) plug->runCommand(number);
  EXPECT_TRUE(script->calls.empty());
  EXPECT_TRUE(snapshot(*plug) == before);
}

TEST_F(ProgramCommandsTest, SelectProgramKeepsTheEditsOfTheProgramLeft) {
  auto plug = makeSorvel();
  plug->parameter(kP5Gain)->setClamped(1.9);
  plug->selectProgram(5);
  EXPECT_EQ(plug->currentProgram(), 5);
  EXPECT_EQ(plug->programName(0), "Fat Sorvel");
  plug->selectProgram(0);
  EXPECT_EQ(plug->parameter(kP5Gain)->value(), 1.9);
  plug->selectProgram(64);
  EXPECT_EQ(plug->currentProgram(), 0);
}

TEST_F(ProgramCommandsTest, ALongPathIsCutToTheConfirmationsLength) {
  auto plug = makeSorvel();
  plug->selectStartupBank("/" + std::string(2000, 'b') + ".fxb");
  plug->runCommand(command::kUnselectStartupBank);
  ASSERT_EQ(script->calls.size(), 1u);
  EXPECT_EQ(lastCall().text.size(), kMaxConfirmationText);
  EXPECT_EQ(lastCall().text.rfind("The Startup Bank is:\n/bbb", 0), 0u);
}

// A dialog waits for the user; the audio thread must not wait with it.
TEST_F(ProgramCommandsTest, NoDialogOpensWhileThePlugInLockIsHeld) {
  auto plug = makeSorvel();
  plug->runCommand(command::kCopyProgram);
  int openedUnderLock = 0;
  script->onOpen = [&] {
    std::thread audio([&] {
      if (!plug->lock().try_lock()) {
        ++openedUnderLock;
        return;
      }
      plug->lock().unlock();
    });
    audio.join();
  };
  for (int number = command::kCopyProgram; number < command::kCheckOnlineForUpdate; ++number) {
    for (int i = 0; i < 4; ++i) answer(MessageAnswer::Yes);
    plug->runCommand(number);
  }
  EXPECT_GT(script->calls.size(), 12u);
  EXPECT_EQ(openedUnderLock, 0);
}
