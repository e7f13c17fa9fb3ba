// An X server of the test's own (Xvfb, started with the test, gone with it), a top-level window a
// host would give the plug-in, and synthetic input through the XTEST extension.
#pragma once

#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace testx11 {

using namespace std::chrono_literals;

// Xvfb on a display number it picks itself; DISPLAY points at it for as long as it runs.
class XvfbServer {
 public:
  explicit XvfbServer(const std::vector<std::string>& extraArguments = {}) {
    const std::string program = findXvfb();
    if (program.empty()) {
      problem_ = "Xvfb is not installed";
      return;
    }
    int fds[2];
    if (::pipe(fds) != 0) return;
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args{program, "-displayfd", fd, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"};
    args.insert(args.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
      ::close(fds[0]);
      pid_ = -1;
      problem_ = "Xvfb could not be started";
      return;
    }
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    char c = 0;
    while (::poll(&ready, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) {
      problem_ = "Xvfb did not start";
      return;
    }
    display_ = ":" + number;
    ::setenv("DISPLAY", display_.c_str(), 1);
  }
  ~XvfbServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool running() const { return !display_.empty(); }
  const std::string& problem() const { return problem_; }

 private:
  static std::string findXvfb() {
    for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
      const std::string path = std::string(folder) + "Xvfb";
      if (::access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
  }

  pid_t pid_ = -1;
  std::string display_;
  std::string problem_;
};

// A connection of the test: top-level windows for plug-ins, input, pictures of the screen.
class TestDisplay {
 public:
  TestDisplay() {
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_) != 0) return;
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  }
  ~TestDisplay() { xcb_disconnect(connection_); }
  TestDisplay(const TestDisplay&) = delete;
  TestDisplay& operator=(const TestDisplay&) = delete;

  bool ok() const { return screen_ != nullptr; }
  xcb_connection_t* connection() const { return connection_; }
  xcb_window_t root() const { return screen_->root; }

  // A host's plug-in window: top level, at (x, y) of the screen.
  xcb_window_t makeTopWindow(int x, int y, int width, int height) {
    const xcb_window_t window = xcb_generate_id(connection_);
    const std::uint32_t background = 0x202020;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen_->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                      XCB_CW_BACK_PIXEL, &background);
    xcb_map_window(connection_, window);
    sync();
    return window;
  }

  void sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

  std::vector<xcb_window_t> children(xcb_window_t window) {
    std::vector<xcb_window_t> result;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr);
    if (tree == nullptr) return result;
    const xcb_window_t* kids = xcb_query_tree_children(tree);
    result.assign(kids, kids + xcb_query_tree_children_length(tree));
    std::free(tree);
    return result;
  }

  // Mapped override-redirect windows on the screen: open pop-up menu levels.
  int popupCount() {
    int count = 0;
    for (xcb_window_t w : children(root())) {
      xcb_get_window_attributes_reply_t* a =
          xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, w), nullptr);
      if (a != nullptr && a->override_redirect && a->map_state == XCB_MAP_STATE_VIEWABLE) ++count;
      std::free(a);
    }
    return count;
  }

  void moveTo(int x, int y) {
    xcb_test_fake_input(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root(), static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
    sync();
  }
  void button(int button, bool down) {
    xcb_test_fake_input(connection_, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, static_cast<std::uint8_t>(button),
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync();
  }
  void click(int x, int y, int which = 1) {
    moveTo(x, y);
    button(which, true);
    button(which, false);
  }

  // Puts a keysym the layout lacks on a spare key.
  bool addKey(std::uint32_t keysym) {
    bool shifted = false;
    return keycodeFor(keysym, shifted) != 0 || spareKeyFor(keysym) != 0;
  }

  // Presses and releases the key that gives keysym, with Shift when it sits on the shifted level.
  void key(std::uint32_t keysym) {
    bool shifted = false;
    const xcb_keycode_t code = keycodeFor(keysym, shifted);
    if (code == 0) return;
    bool unused = false;
    const xcb_keycode_t shift = keycodeFor(0xffe1, unused);  // Shift_L
    if (shifted) fakeKey(shift, true);
    fakeKey(code, true);
    fakeKey(code, false);
    if (shifted) fakeKey(shift, false);
  }
  // ASCII text, key by key.
  void type(const std::string& text) {
    for (char c : text) key(static_cast<unsigned char>(c));
  }

  // The window's pixels, 0x00RRGGBB, row by row.
  std::vector<std::uint32_t> pixels(xcb_window_t window, int x, int y, int width, int height) {
    std::vector<std::uint32_t> result;
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), ~0u),
        nullptr);
    if (image == nullptr) return result;
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
    result.assign(data, data + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (auto& p : result) p &= 0xffffff;
    std::free(image);
    return result;
  }

  bool writePng(xcb_window_t window, int width, int height, const std::string& path) {
    const std::vector<std::uint32_t> picture = pixels(window, 0, 0, width, height);
    if (picture.empty()) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
      png_destroy_write_struct(&png, &info);
      std::fclose(file);
      return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t p = picture[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
        row[static_cast<std::size_t>(x) * 3] = static_cast<png_byte>(p >> 16);
        row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<png_byte>(p >> 8);
        row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<png_byte>(p);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
  }

 private:
  void fakeKey(xcb_keycode_t code, bool down) {
    xcb_test_fake_input(connection_, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync();
  }

  // The server's whole keycode-to-keysym table; the reply is freed with the struct.
  struct KeyboardMap {
    struct Free {
      void operator()(void* p) const { std::free(p); }
    };
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, Free> reply;
    const xcb_keysym_t* syms = nullptr;
    int first = 0, count = 0, perKey = 0;
  };

  KeyboardMap keyboardMap() {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    KeyboardMap keys;
    keys.first = setup->min_keycode;
    keys.count = setup->max_keycode - keys.first + 1;
    keys.reply.reset(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, static_cast<std::uint8_t>(keys.count)),
        nullptr));
    if (keys.reply == nullptr) return keys;
    keys.syms = xcb_get_keyboard_mapping_keysyms(keys.reply.get());
    keys.perKey = keys.reply->keysyms_per_keycode;
    return keys;
  }

  xcb_keycode_t keycodeFor(std::uint32_t keysym, bool& shifted) {
    const KeyboardMap keys = keyboardMap();
    if (keys.reply == nullptr) return 0;
    const int first = keys.first, count = keys.count, per = keys.perKey;
    const xcb_keysym_t* syms = keys.syms;
    xcb_keycode_t found = 0;
    for (int k = 0; k < count && found == 0; ++k) {
      for (int level = 0; level < std::min(per, 2); ++level) {
        if (syms[k * per + level] == keysym) {
          found = static_cast<xcb_keycode_t>(first + k);
          shifted = level == 1;
          break;
        }
      }
    }
    return found;
  }

  // Puts keysym on a key the layout leaves empty.
  xcb_keycode_t spareKeyFor(std::uint32_t keysym) {
    const KeyboardMap keys = keyboardMap();
    if (keys.reply == nullptr) return 0;
    const int first = keys.first, count = keys.count, per = keys.perKey;
    const xcb_keysym_t* syms = keys.syms;
    xcb_keycode_t spare = 0;
    for (int k = count - 1; k > 0 && spare == 0; --k) {
      bool empty = true;
      for (int level = 0; level < per; ++level) empty = empty && syms[k * per + level] == 0;
      if (empty) spare = static_cast<xcb_keycode_t>(first + k);
    }
    std::vector<xcb_keysym_t> entry(static_cast<std::size_t>(per), keysym);
    if (spare == 0) return 0;
    xcb_change_keyboard_mapping(connection_, 1, spare, static_cast<std::uint8_t>(per), entry.data());
    sync();
    return spare;
  }

  xcb_connection_t* connection_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
};

}  // namespace testx11
