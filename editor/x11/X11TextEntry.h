// The one-line text entry over a rectangle of the panel: a child window of the editor's window
// that holds the keyboard (and the pointer, to see a click elsewhere) until it is finished.
#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <string>

#include "editor/IGraphicsTypes.h"
#include "editor/LICE_Bitmap.h"
#include "editor/x11/LineEdit.h"

namespace sorvel {

class XcbDisplay;
class XcbSurface;

class X11TextEntry {
 public:
  enum class Outcome { Editing, Accepted, Cancelled };

  X11TextEntry(XcbDisplay& display, xcb_window_t panel, const IRECT& where, const std::string& text, int maxBytes);
  ~X11TextEntry();
  X11TextEntry(const X11TextEntry&) = delete;
  X11TextEntry& operator=(const X11TextEntry&) = delete;

  xcb_window_t window() const { return window_; }
  bool contains(int rootX, int rootY) const { return onScreen_.contains(rootX, rootY); }
  const std::string& text() const { return edit_.text(); }

  Outcome onKey(const xcb_key_press_event_t& event);
  void redraw();

 private:
  XcbDisplay& display_;
  xcb_window_t window_ = 0;
  IRECT onScreen_;
  LineEdit edit_;
  LICE_MemBitmap pixels_;
  std::unique_ptr<XcbSurface> surface_;
};

}  // namespace sorvel
