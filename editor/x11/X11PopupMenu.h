// A pop-up menu of our own: one override-redirect window per open level, drawn with the drawing
// library, run modally on the editor window's connection until the user chooses or cancels. It
// holds the pointer and the keyboard meanwhile, so a click anywhere else cancels it.
#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "editor/IPopupMenu.h"
#include "editor/LICE_Bitmap.h"
#include "editor/x11/MenuLayout.h"

namespace sorvel {

class XcbDisplay;
class XcbSurface;

class X11PopupMenu {
 public:
  // Events for other windows (the panel's exposes) go to `others` while the menu runs; `stop`
  // cancels the menu from another thread.
  X11PopupMenu(XcbDisplay& display, const std::atomic<bool>& stop,
               std::function<void(const xcb_generic_event_t*)> others);
  ~X11PopupMenu();
  X11PopupMenu(const X11PopupMenu&) = delete;
  X11PopupMenu& operator=(const X11PopupMenu&) = delete;

  // Shows the menu with its top left corner at a screen position. Returns the chosen item's
  // index in chosenMenu, or -1.
  int run(const IPopupMenu& menu, int rootX, int rootY, const IPopupMenu*& chosenMenu);

 private:
  struct Level {
    const IPopupMenu* menu = nullptr;
    MenuLayout layout;
    IRECT onScreen;
    int highlighted = -1;
    xcb_window_t window = 0;
    LICE_MemBitmap pixels;
    std::unique_ptr<XcbSurface> surface;
  };

  void openLevel(const IPopupMenu& menu, int rootX, int rootY, const IRECT* besideParent);
  void closeLevelsAfter(std::size_t depth);
  void openSubmenu(std::size_t depth, bool highlightFirst);
  void highlight(std::size_t depth, int item);
  void draw(Level& level);
  int levelAt(int rootX, int rootY) const;
  void grabInput();
  bool onKey(const xcb_key_press_event_t& event);
  bool onPointer(int type, int rootX, int rootY, int button, std::uint16_t state);

  XcbDisplay& display_;
  const std::atomic<bool>& stop_;
  std::function<void(const xcb_generic_event_t*)> others_;
  std::vector<std::unique_ptr<Level>> levels_;
  int openedAtX_ = 0;
  int openedAtY_ = 0;
  bool armed_ = false;  // releases choose only after a press in the menu or a drag into it
  const IPopupMenu* chosenMenu_ = nullptr;
  int chosenItem_ = -1;
};

}  // namespace sorvel
