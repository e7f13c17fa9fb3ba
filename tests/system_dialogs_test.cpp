// The dialogs a desktop user gets: a dialog program found on PATH receives every text as one
// argument, untouched by any shell, and its answer comes back; with no display or no program the
// answer is always No or cancel.
#include <sys/stat.h>

#include <filesystem>

#include "platform/ChildProcess.h"
#include "tests/config_test_support.h"

using namespace sorvel;
using namespace configtest;

namespace {

class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : name_(name) {
    const char* value = ::getenv(name);
    had_ = value != nullptr;
    if (had_) value_ = value;
  }
  ~SavedVariable() {
    if (had_) {
      ::setenv(name_, value_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string value_;
};

class SystemDialogsTest : public UserFoldersTest {
 protected:
  void SetUp() override {
    UserFoldersTest::SetUp();
    std::filesystem::create_directories(file("bin"));
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
  }

  // A stand-in dialog program that logs its arguments, prints the reply and exits with the code.
  void installFake(const std::string& program, const std::string& reply, int exitCode) {
    const std::string path = file("bin/" + program);
    writeText(path, "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + file("args") + "'\nprintf '%s\\n' '" + reply + "'\nexit " +
                        std::to_string(exitCode) + "\n");
    ::chmod(path.c_str(), 0755);
    ::setenv("PATH", file("bin").c_str(), 1);
    ::setenv("DISPLAY", ":99", 1);
  }

  std::vector<std::string> loggedArguments() const {
    const std::string text = readText(file("args"));
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < text.size()) {
      const auto end = text.find('\0', start);
      arguments.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return arguments;
  }

  SavedVariable path_{"PATH"}, display_{"DISPLAY"}, wayland_{"WAYLAND_DISPLAY"};
};

const std::string kAwkwardText = "The Startup Bank is:\n/x/'it's' \"$(touch /tmp/pwned)\" `id` ; *\n\nReally?";

}  // namespace

TEST_F(SystemDialogsTest, WithoutADisplayEveryQuestionIsAnsweredNo) {
  auto dialogs = makeSystemDialogs();
  testing::internal::CaptureStderr();
  EXPECT_EQ(dialogs->showMessage("Do you really want to overwrite it?", "Save Configuration", MessageButtons::YesNo),
            MessageAnswer::No);
  EXPECT_EQ(dialogs->showMessage("Cannot load file!", "Error", MessageButtons::Ok), MessageAnswer::Ok);
  const std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_NE(printed.find("Save Configuration: Do you really want to overwrite it?"), std::string::npos);
  EXPECT_NE(printed.find("Error: Cannot load file!"), std::string::npos);
  std::string chosen = "stale";
  EXPECT_FALSE(dialogs->chooseFileToOpen(home(), "fxb", chosen));
  EXPECT_EQ(chosen, "");
  EXPECT_FALSE(dialogs->chooseFileToSave(home(), "Sorvel", "fxb", chosen));
  EXPECT_EQ(chosen, "");
}

TEST_F(SystemDialogsTest, ADisplayWithoutADialogProgramIsHeadless) {
  ::setenv("DISPLAY", ":99", 1);
  ::setenv("PATH", file("bin").c_str(), 1);
  auto dialogs = makeSystemDialogs();
  testing::internal::CaptureStderr();
  EXPECT_EQ(dialogs->showMessage("Sure?", "Paste Program", MessageButtons::YesNo), MessageAnswer::No);
  testing::internal::GetCapturedStderr();
}

TEST_F(SystemDialogsTest, ZenityGetsEachTextAsOneArgument) {
  installFake("zenity", "", 0);
  auto dialogs = makeSystemDialogs();
  EXPECT_EQ(dialogs->showMessage(kAwkwardText, "Load Startup Bank", MessageButtons::YesNo), MessageAnswer::Yes);
  EXPECT_EQ(loggedArguments(), (std::vector<std::string>{"--question", "--no-markup", "--title=Load Startup Bank",
                                                         "--text=" + kAwkwardText}));
  EXPECT_FALSE(std::filesystem::exists("/tmp/pwned"));

  installFake("zenity", "", 1);
  EXPECT_EQ(dialogs->showMessage("Sure?", "Paste Program", MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(dialogs->showMessage("Cannot save file!", "Error", MessageButtons::Ok), MessageAnswer::Ok);
  EXPECT_EQ(loggedArguments()[0], "--info");
}

TEST_F(SystemDialogsTest, ZenityChoosesFilesInTheStartFolder) {
  installFake("zenity", "/music/banks/my bank.fxb", 0);
  auto dialogs = makeSystemDialogs();
  std::string chosen;
  ASSERT_TRUE(dialogs->chooseFileToOpen("/music/banks", "fxb", chosen));
  EXPECT_EQ(chosen, "/music/banks/my bank.fxb");
  EXPECT_EQ(loggedArguments(), (std::vector<std::string>{"--file-selection", "--title=Open File",
                                                         "--filename=/music/banks/", "--file-filter=*.fxb"}));

  ASSERT_TRUE(dialogs->chooseFileToSave("/music", "Lead_ A_B", "fxp", chosen));
  EXPECT_EQ(loggedArguments(),
            (std::vector<std::string>{"--file-selection", "--save", "--confirm-overwrite", "--title=Save File",
                                      "--filename=/music/Lead_ A_B.fxp", "--file-filter=*.fxp"}));

  // A blank extension filters nothing and adds nothing to the name.
  ASSERT_TRUE(dialogs->chooseFileToSave("", "[file name is ignored]", " ", chosen));
  EXPECT_EQ(loggedArguments(), (std::vector<std::string>{"--file-selection", "--save", "--confirm-overwrite",
                                                         "--title=Save File", "--filename=[file name is ignored]"}));

  installFake("zenity", "", 1);
  EXPECT_FALSE(dialogs->chooseFileToOpen("/music", "fxp", chosen));
  EXPECT_EQ(chosen, "");
}

TEST_F(SystemDialogsTest, KDialogWhenThereIsNoZenity) {
  installFake("kdialog", "/b/x.fxp", 0);
  auto dialogs = makeSystemDialogs();
  EXPECT_EQ(dialogs->showMessage(kAwkwardText, "Reload Configuration", MessageButtons::YesNo), MessageAnswer::Yes);
  EXPECT_EQ(loggedArguments(),
            (std::vector<std::string>{"--title", "Reload Configuration", "--yesno", kAwkwardText}));
  std::string chosen;
  ASSERT_TRUE(dialogs->chooseFileToSave("/b", "Sorvel", "fxb", chosen));
  EXPECT_EQ(chosen, "/b/x.fxp");
  EXPECT_EQ(loggedArguments(),
            (std::vector<std::string>{"--title", "Save File", "--getsavefilename", "/b/Sorvel.fxb", "*.fxb"}));
}

TEST_F(SystemDialogsTest, ChildProcessesKeepToTheirArguments) {
  EXPECT_EQ(findOnPath("no-such-program-here"), "");
  EXPECT_EQ(findOnPath("../sh"), "");
  const ChildResult missing = runChild({file("bin/none")});
  EXPECT_FALSE(missing.started);
  const ChildResult echo = runChild({"/bin/echo", "a b", "$HOME"});
  EXPECT_TRUE(echo.started);
  EXPECT_EQ(echo.exitCode, 0);
  EXPECT_EQ(echo.output, "a b $HOME\n");
  const ChildResult large = runChild({"/bin/sh", "-c", "head -c 200000 /dev/zero; exit 3"});
  EXPECT_EQ(large.exitCode, 3);
  EXPECT_EQ(large.output.size(), kMaxChildOutput);
}

TEST_F(SystemDialogsTest, MessagesShowTheirIcon) {
  installFake("zenity", "", 0);
  auto dialogs = makeSystemDialogs();
  EXPECT_EQ(dialogs->showMessageWithIcon("No answer.", "Check Online for Update", MessageButtons::Ok,
                                         MessageIcon::Error),
            MessageAnswer::Ok);
  EXPECT_EQ(loggedArguments(), (std::vector<std::string>{"--error", "--no-markup", "--title=Check Online for Update",
                                                         "--text=No answer."}));
  dialogs->showMessageWithIcon("Up to date.", "Check Online for Update", MessageButtons::Ok, MessageIcon::Information);
  EXPECT_EQ(loggedArguments()[0], "--info");

  std::filesystem::remove(file("bin/zenity"));
  installFake("kdialog", "", 0);
  dialogs->showMessageWithIcon("No answer.", "Check Online for Update", MessageButtons::Ok, MessageIcon::Error);
  EXPECT_EQ(loggedArguments(),
            (std::vector<std::string>{"--title", "Check Online for Update", "--error", "No answer."}));
  dialogs->showMessageWithIcon("Up to date.", "Check Online for Update", MessageButtons::Ok, MessageIcon::Information);
  EXPECT_EQ(loggedArguments()[2], "--msgbox");
}
