// One connection to the X server, of one editor window: its own, so that it never shares a queue
// with the host's toolkit, and an error on it (the host destroying our parent first) is just an
// event that nobody has to handle.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>

#include "editor/IGraphicsTypes.h"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace sorvel {

class XcbDisplay {
 public:
  XcbDisplay() = default;
  ~XcbDisplay();
  XcbDisplay(const XcbDisplay&) = delete;
  XcbDisplay& operator=(const XcbDisplay&) = delete;

  // Connects to $DISPLAY; false when there is no server or its screen is not a 24-bit TrueColor
  // one we can hand pixels to as they are.
  bool connect();

  xcb_connection_t* connection() const { return connection_; }
  xcb_screen_t* screen() const { return screen_; }
  int fileDescriptor() const;
  // The server wants pixels in big-endian order: swap each one on upload.
  bool swapBytes() const { return swapBytes_; }
  // Largest request in bytes.
  std::size_t maximumRequestBytes() const { return maximumRequestBytes_; }
  bool hasSharedMemory() const { return hasSharedMemory_; }

  xcb_cursor_t cursor(CursorShape shape);

  // Reads the keyboard's layout as it is now (the user may have switched it since the last time).
  void loadKeyboard();
  // The keysym and the text (UTF-8, possibly empty) of a key press, with its modifiers.
  struct Key {
    std::uint32_t keysym = 0;
    std::string text;
  };
  Key translateKey(xcb_keycode_t code, std::uint16_t modifierState);

 private:

  xcb_connection_t* connection_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
  bool swapBytes_ = false;
  bool hasSharedMemory_ = false;
  std::size_t maximumRequestBytes_ = 0;
  xcb_font_t cursorFont_ = 0;
  xcb_cursor_t cursors_[3] = {0, 0, 0};
  bool hasKeyboardExtension_ = false;
  xkb_context* xkbContext_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* keyState_ = nullptr;
};

}  // namespace sorvel
