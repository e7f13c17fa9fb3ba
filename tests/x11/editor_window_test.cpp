// The editor in a real X window, opened by a small host through effEditOpen and played with
// synthetic input, on an X server of the test's own.
#include <sys/stat.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "tests/host/PluginHost.h"
#include "tests/x11/XServerRig.h"

// fontconfig keeps a little of the configuration it parses for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

using namespace testhost;
using namespace testx11;

constexpr int kWidth = 1104;
constexpr int kHeight = 488;
// Panel places of the controls the tests use (their top-left corner plus half their size).
constexpr int kFootageP1X = 408 + 32 + 16, kFootageP1Y = 136 + 36;
constexpr int kVolumeX = 52 + 16, kVolumeY = 288 + 16;
constexpr int kOptionsX = 780, kOptionsY = 304;
constexpr int kNameX = 600, kNameY = 304;

// Dialog programs of the test's own: they answer yes and write down what they were asked.
class FakeDesktop {
 public:
  FakeDesktop() {
    char pattern[] = "/tmp/sorvel-desktop-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    log_ = folder_ + "/asked.log";
    write("zenity");
    oldPath_ = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", folder_.c_str(), 1);
  }
  ~FakeDesktop() {
    ::setenv("PATH", oldPath_.c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  void write(const std::string& program) {
    const std::string path = folder_ + "/" + program;
    std::ofstream(path) << "#!/bin/sh\necho " << program << " \"$@\" >> '" << log_ << "'\n";
    ::chmod(path.c_str(), 0755);
  }
  std::string asked() const {
    std::ifstream in(log_);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

 private:
  std::string folder_;
  std::string log_;
  std::string oldPath_;
};

// One plug-in instance with its editor open in a top-level window of the test's host.
class OpenEditor {
 public:
  OpenEditor(TestDisplay& display, int x, int y, bool hostIdles = true) : display_(display) {
    host.start(44100.0f, 64);
    window = display_.makeTopWindow(x, y, kWidth, kHeight);
    ERect* rect = nullptr;
    host.dispatch(effEditGetRect, 0, 0, &rect);
    opened = rect != nullptr && rect->right - rect->left == kWidth && rect->bottom - rect->top == kHeight &&
             host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(window))) == 1;
    if (hostIdles) pumpFor(10);
  }
  ~OpenEditor() {
    if (opened) host.dispatch(effEditClose);
    xcb_destroy_window(display_.connection(), window);
    display_.sync();
  }

  // The host's user-interface thread: effEditIdle about every 10 ms until the condition holds.
  bool pumpUntil(const std::function<bool()>& done) {
    for (int tick = 0; tick < 1000; ++tick) {
      host.dispatch(effEditIdle);
      if (done()) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  void pumpFor(int ticks) {
    for (int tick = 0; tick < ticks; ++tick) {
      host.dispatch(effEditIdle);
      std::this_thread::sleep_for(10ms);
    }
  }
  std::string programName() { return host.text(effGetProgramName, 0, 256); }

  PluginHost host;
  xcb_window_t window = 0;
  bool opened = false;

 private:
  TestDisplay& display_;
};

class EditorWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server_.running()) GTEST_SKIP() << "No X server for the editor window tests: " << server_.problem();
    ASSERT_TRUE(display_.ok());
  }

  // Runs the input on a thread of its own while the host pumps: a menu is modal inside effEditIdle.
  void whilePumping(OpenEditor& editor, const std::function<void()>& input, const std::function<bool()>& done) {
    std::thread user(input);
    EXPECT_TRUE(editor.pumpUntil(done));
    user.join();
  }
  bool waitForPopups(int count) {
    for (int i = 0; i < 500; ++i) {
      if (display_.popupCount() == count) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  XvfbServer server_;
  TestDisplay display_;
};

TEST_F(EditorWindow, ClickingAFootageSwitchTurnsItOnAndTellsTheHost) {
  OpenEditor editor(display_, 0, 0);
  ASSERT_TRUE(editor.opened);
  const int footage = 37;  // the first footage switch
  ASSERT_EQ(editor.host.getParameter(footage), 0.0f);
  display_.click(kFootageP1X, kFootageP1Y);
  EXPECT_TRUE(editor.pumpUntil([&] { return editor.host.getParameter(footage) == 1.0f; }));
  const auto& automations = editor.host.automations;
  EXPECT_TRUE(std::any_of(automations.begin(), automations.end(),
                          [&](const AutomateCall& call) { return call.index == footage && call.value == 1.0f; }));

  editor.pumpFor(5);
  const std::string picture = std::string(SORVEL_BUILD_DIR) + "/editor-in-x11-window.png";
  EXPECT_TRUE(display_.writePng(editor.window, kWidth, kHeight, picture));
}

TEST_F(EditorWindow, DraggingAKnobMovesItByTheGearing) {
  OpenEditor editor(display_, 0, 0);
  ASSERT_TRUE(editor.opened);
  const int volume = editor.host.findParameter("Volume");
  editor.host.setParameter(volume, 0.1f);
  editor.pumpFor(2);
  display_.moveTo(kVolumeX, kVolumeY);
  display_.button(1, true);
  for (int step = 1; step <= 10; ++step) display_.moveTo(kVolumeX + step, kVolumeY - 10 * step);
  display_.button(1, false);
  // 100 pixels up on a knob 32 pixels high with a gearing of 4.
  const float expected = 0.1f + 100.0f / (4.0f * 32.0f);
  EXPECT_TRUE(editor.pumpUntil([&] { return std::abs(editor.host.getParameter(volume) - expected) < 0.006f; }))
      << editor.host.getParameter(volume);
}

TEST_F(EditorWindow, TheOptionsMenuRunsInitProgramFromTheKeyboard) {
  FakeDesktop desktop;
  OpenEditor editor(display_, 0, 0);
  ASSERT_TRUE(editor.opened);
  ASSERT_NE(editor.programName(), "Init");
  whilePumping(
      editor,
      [&] {
        display_.click(kOptionsX, kOptionsY);
        ASSERT_TRUE(waitForPopups(1));
        // "Copy Program", then past the disabled "Paste Program" to "Init Program".
        display_.key(XKB_KEY_Down);
        display_.key(XKB_KEY_Down);
        display_.key(XKB_KEY_Return);
      },
      [&] { return editor.programName() == "Init"; });
  EXPECT_NE(desktop.asked().find("initialize the current program"), std::string::npos);
  EXPECT_EQ(display_.popupCount(), 0);
}

TEST_F(EditorWindow, AudioGoesOnWhileAMenuIsOpen) {
  OpenEditor editor(display_, 0, 0);
  ASSERT_TRUE(editor.opened);
  std::future<void> block;
  std::atomic<bool> rendered{false};
  std::atomic<bool> escaped{false};
  whilePumping(
      editor,
      [&] {
        display_.click(kOptionsX, kOptionsY);
        if (waitForPopups(1)) {
          // The menu runs inside the host's idle tick; a block of audio must not wait for it.
          block = std::async(std::launch::async, [&] {
            std::vector<float> left, right;
            editor.host.renderFloat(left, right, 64);
          });
          rendered = block.wait_for(10s) == std::future_status::ready;
        }
        display_.key(XKB_KEY_Escape);
        escaped = true;
      },
      [&] { return escaped && display_.popupCount() == 0; });
  EXPECT_TRUE(rendered);
}

TEST_F(EditorWindow, VisitingTheMakersPageNeedsXdgOpenAndSaysSoWithoutIt) {
  FakeDesktop desktop;
  OpenEditor editor(display_, 0, 0);
  ASSERT_TRUE(editor.opened);
  const auto visit = [&] {
    display_.click(kOptionsX, kOptionsY);
    ASSERT_TRUE(waitForPopups(1));
    // The last item opens the online submenu; its second item is the visit.
    display_.key(XKB_KEY_Up);
    display_.key(XKB_KEY_Right);
    ASSERT_TRUE(waitForPopups(2));
    display_.key(XKB_KEY_Down);
    display_.key(XKB_KEY_Return);
  };
  whilePumping(editor, visit, [&] { return desktop.asked().find("xdg-open is missing") != std::string::npos; });
  desktop.write("xdg-open");
  whilePumping(editor, visit, [&] { return desktop.asked().find("xdg-open http") != std::string::npos; });
}

TEST_F(EditorWindow, TheProgramNameIsRenamedByTypingInPlace) {
  ASSERT_TRUE(display_.addKey(XKB_KEY_eacute));
  OpenEditor editor(display_, 0, 0);
  ASSERT_TRUE(editor.opened);
  const std::string before = editor.programName();

  display_.click(kNameX, kNameY);
  editor.pumpUntil([&] { return display_.children(display_.children(editor.window).front()).size() == 1; });
  display_.type("xyz");
  display_.key(XKB_KEY_Escape);
  editor.pumpFor(10);
  EXPECT_EQ(editor.programName(), before);

  display_.click(kNameX, kNameY);
  editor.pumpUntil([&] { return display_.children(display_.children(editor.window).front()).size() == 1; });
  for (std::size_t i = 0; i < before.size(); ++i) display_.key(XKB_KEY_BackSpace);
  display_.type("Bright Brass ");
  display_.key(XKB_KEY_eacute);
  display_.key(XKB_KEY_Return);
  EXPECT_TRUE(editor.pumpUntil([&] { return editor.programName() == "Bright Brass \xC3\xA9"; }))
      << editor.programName();
}

TEST_F(EditorWindow, HostAutomationShowsOnTheKnobAfterOneIdleTick) {
  OpenEditor editor(display_, 0, 0);
  ASSERT_TRUE(editor.opened);
  const int volume = editor.host.findParameter("Volume");
  const xcb_window_t panel = display_.children(editor.window).front();
  const auto knob = [&] { return display_.pixels(panel, kVolumeX - 16, kVolumeY - 16, 32, 32); };
  editor.host.setParameter(volume, 0.0f);
  editor.pumpFor(3);
  const auto low = knob();
  editor.host.setParameter(volume, 1.0f);
  editor.host.dispatch(effEditIdle);
  // No more ticks: the server only has to catch up with what that one tick sent.
  bool changed = false;
  for (int i = 0; i < 200 && !changed; ++i) {
    changed = knob() != low;
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(changed);
}

TEST_F(EditorWindow, TwoInstancesEachDrawAndAnswerInTheirOwnWindow) {
  OpenEditor left(display_, 0, 0);
  OpenEditor right(display_, 0, 500);
  ASSERT_TRUE(left.opened);
  ASSERT_TRUE(right.opened);
  const int footage = 37;
  display_.click(kFootageP1X, kFootageP1Y + 500);
  EXPECT_TRUE(right.pumpUntil([&] { return right.host.getParameter(footage) == 1.0f; }));
  left.pumpFor(5);
  EXPECT_EQ(left.host.getParameter(footage), 0.0f);
  const auto switchPixels = [&](OpenEditor& editor) {
    return display_.pixels(display_.children(editor.window).front(), kFootageP1X - 16, kFootageP1Y - 36, 32, 72);
  };
  EXPECT_NE(switchPixels(left), switchPixels(right));
}

TEST_F(EditorWindow, AHostThatNeverIdlesStillGetsAWindowThatDrawsAndAnswers) {
  OpenEditor editor(display_, 0, 0, false);
  ASSERT_TRUE(editor.opened);
  const int footage = 37;
  const xcb_window_t panel = display_.children(editor.window).front();
  const auto switchPixels = [&] { return display_.pixels(panel, kFootageP1X - 16, kFootageP1Y - 36, 32, 72); };
  std::this_thread::sleep_for(500ms);
  const auto off = switchPixels();
  display_.click(kFootageP1X, kFootageP1Y);
  bool shown = false;
  for (int i = 0; i < 500 && !shown; ++i) {
    std::this_thread::sleep_for(10ms);
    shown = editor.host.getParameter(footage) == 1.0f && switchPixels() != off;
  }
  EXPECT_TRUE(shown);
}

// A server that cannot share memory with us (one on another machine) gets the panel as plain
// image requests, cut to its request size: the picture is the same.
TEST(EditorWindowWithoutSharedMemory, ShowsThePanelAsWithIt) {
  std::vector<std::uint32_t> pictures[2];
  for (int shared = 0; shared < 2; ++shared) {
    XvfbServer server(shared != 0 ? std::vector<std::string>{} : std::vector<std::string>{"-extension", "MIT-SHM"});
    if (!server.running()) GTEST_SKIP() << "No X server for the editor window tests: " << server.problem();
    TestDisplay display;
    OpenEditor editor(display, 0, 0);
    ASSERT_TRUE(editor.opened);
    editor.pumpFor(10);
    pictures[shared] = display.pixels(editor.window, 0, 0, kWidth, kHeight);
  }
  ASSERT_EQ(pictures[0].size(), static_cast<std::size_t>(kWidth * kHeight));
  EXPECT_TRUE(pictures[0] == pictures[1]);
}

TEST_F(EditorWindow, OpensAndClosesTwoHundredTimesLeavingNoWindowBehind) {
  OpenEditor editor(display_, 0, 0);
  ASSERT_TRUE(editor.opened);
  for (int i = 0; i < 200; ++i) {
    editor.host.dispatch(effEditClose);
    ASSERT_TRUE(display_.children(editor.window).empty());
    ASSERT_EQ(editor.host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(editor.window))), 1);
    editor.host.dispatch(effEditIdle);
  }
  EXPECT_EQ(display_.children(editor.window).size(), 1u);
}

}  // namespace
