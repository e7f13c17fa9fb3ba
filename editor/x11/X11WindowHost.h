// The editor's window on Linux: a child of the host's X11 window, on a connection of its own.
//
// Threads: events, the idle work and drawing run on whoever pumps, under pumpMutex_. Hosts on
// Linux pump through effEditIdle on their user-interface thread; from the first such call on, only
// they do. For a host that has not called it 250 ms after the window opened, a watcher thread of
// the window (waiting on the connection's descriptor) pumps instead, so the panel still draws and
// answers. The host's thread never waits for the watcher: it skips a tick when the watcher is busy.
// Neither ever holds the plug-in lock while drawing.
#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "editor/IEditorWindowHost.h"

namespace sorvel {

class XcbDisplay;
class XcbSurface;
class X11TextEntry;

class X11WindowHost final : public IEditorWindowHost {
 public:
  explicit X11WindowHost(IEditorView& view);
  ~X11WindowHost() override;
  X11WindowHost(const X11WindowHost&) = delete;
  X11WindowHost& operator=(const X11WindowHost&) = delete;

  bool open(void* parentWindow) override;
  void close() override;
  bool isOpen() const override { return window_ != 0; }
  bool idle() override;
  void invalidate() override {}
  int showPopupMenu(const IPopupMenu& menu, int x, int y, const IPopupMenu*& chosenMenu) override;
  void promptTextEntry(const IRECT& where, const std::string& initialUtf8, int maxLength) override;
  bool openWebPage(const std::string& url) override;
  void setCursor(CursorShape shape) override;

 private:
  void watch();
  void pump();
  void handle(const xcb_generic_event_t* event);
  void handleButtonPress(const xcb_button_press_event_t& event);
  void handleButtonRelease(const xcb_button_release_event_t& event);
  void handleMotion(const xcb_motion_notify_event_t& event);
  bool routeToTextEntry(const xcb_generic_event_t* event);
  void finishTextEntry(bool accepted);
  void expose(const IRECT& area) { exposed_ = exposed_.unionWith(area); }
  void redraw();
  void releasePointer();

  IEditorView& view_;
  std::unique_ptr<XcbDisplay> display_;
  std::unique_ptr<XcbSurface> surface_;
  std::unique_ptr<X11TextEntry> textEntry_;
  xcb_window_t window_ = 0;
  bool windowGone_ = false;  // the host destroyed our parent before closing us
  IRECT exposed_;

  // Pointer state of the panel.
  unsigned buttonsDown_ = 0;
  bool pointerGrabbed_ = false;
  int lastX_ = 0;
  int lastY_ = 0;
  std::uint32_t lastPressTime_ = 0;
  int lastPressButton_ = 0;
  int lastPressX_ = 0;
  int lastPressY_ = 0;
  CursorShape cursor_ = CursorShape::Arrow;

  // Recursive: a host may tick again from inside a call we make to it; pumping_ turns that away.
  std::recursive_mutex pumpMutex_;
  bool pumping_ = false;
  std::thread watcher_;
  int wakeFd_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<bool> hostIdles_{false};
  std::vector<xcb_generic_event_t*> events_;
};

}  // namespace sorvel
