#include "editor/x11/X11WindowHost.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>

#include "editor/x11/X11PopupMenu.h"
#include "editor/x11/X11TextEntry.h"
#include "editor/x11/XcbDisplay.h"
#include "editor/x11/XcbSurface.h"
#include "platform/UserDialogs.h"

namespace sorvel {

namespace {

constexpr std::uint32_t kDoubleClickMilliseconds = 400;
constexpr int kDoubleClickDistance = 4;
constexpr auto kHostIdleGrace = std::chrono::milliseconds(250);
constexpr int kWatcherTickMilliseconds = 33;  // the idle work about 30 times a second

int eventType(const xcb_generic_event_t* event) { return event->response_type & 0x7f; }

IMouseMod modifiers(std::uint16_t state) {
  IMouseMod mod;
  mod.L = (state & XCB_BUTTON_MASK_1) != 0;
  mod.R = (state & XCB_BUTTON_MASK_3) != 0;
  mod.S = (state & XCB_MOD_MASK_SHIFT) != 0;
  mod.C = (state & XCB_MOD_MASK_CONTROL) != 0;
  mod.A = (state & XCB_MOD_MASK_1) != 0;
  return mod;
}

unsigned buttonBit(int button) { return 1u << button; }

}  // namespace

X11WindowHost::X11WindowHost(IEditorView& view) : view_(view) {}

X11WindowHost::~X11WindowHost() { close(); }

bool X11WindowHost::open(void* parentWindow) {
  if (window_ != 0) return true;
  const auto parent = static_cast<xcb_window_t>(reinterpret_cast<std::uintptr_t>(parentWindow));
  if (parent == 0) return false;
  auto display = std::make_unique<XcbDisplay>();
  if (!display->connect()) return false;
  xcb_connection_t* c = display->connection();

  xcb_generic_error_t* error = nullptr;
  xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, parent), &error);
  std::free(error);
  if (geometry == nullptr) return false;
  std::free(geometry);

  const xcb_screen_t* screen = display->screen();
  const xcb_window_t window = xcb_generate_id(c);
  const std::uint32_t mask = XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP |
                             XCB_CW_CURSOR;
  // No background: the server leaves exposed pixels alone until we put ours, so nothing flickers.
  // Keys are not ours outside a text entry: they go on to the host's window (its shortcuts).
  const std::uint32_t values[] = {
      XCB_BACK_PIXMAP_NONE, 0,
      XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
          XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_LEAVE_WINDOW | XCB_EVENT_MASK_STRUCTURE_NOTIFY,
      screen->default_colormap, display->cursor(CursorShape::Arrow)};
  error = xcb_request_check(
      c, xcb_create_window_checked(c, screen->root_depth, window, parent, 0, 0,
                                   static_cast<std::uint16_t>(view_.width()), static_cast<std::uint16_t>(view_.height()),
                                   0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, values));
  if (error != nullptr) {
    std::free(error);
    return false;
  }
  xcb_map_window(c, window);

  std::lock_guard<std::recursive_mutex> lock(pumpMutex_);
  display_ = std::move(display);
  window_ = window;
  windowGone_ = false;
  cursor_ = CursorShape::Arrow;
  surface_ = std::make_unique<XcbSurface>(*display_, window_, view_.width(), view_.height());
  view_.markAllDirty();
  xcb_flush(c);

  stop_ = false;
  hostIdles_ = false;
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  watcher_ = std::thread(&X11WindowHost::watch, this);
  return true;
}

void X11WindowHost::close() {
  if (watcher_.joinable()) {
    stop_ = true;
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0) (void)!::write(wakeFd_, &one, sizeof(one));
    watcher_.join();
  }
  if (wakeFd_ >= 0) ::close(wakeFd_);
  wakeFd_ = -1;

  std::lock_guard<std::recursive_mutex> lock(pumpMutex_);
  if (window_ == 0) return;
  // An unfinished text entry goes unanswered: the view may be on its way out.
  textEntry_.reset();
  surface_.reset();
  for (xcb_generic_event_t* event : events_) std::free(event);
  events_.clear();
  if (!windowGone_) xcb_destroy_window(display_->connection(), window_);
  xcb_flush(display_->connection());
  display_.reset();
  window_ = 0;
  buttonsDown_ = 0;
  pointerGrabbed_ = false;
  lastPressTime_ = 0;
  lastPressButton_ = 0;
  exposed_ = {};
}

bool X11WindowHost::idle() {
  hostIdles_ = true;
  std::unique_lock<std::recursive_mutex> lock(pumpMutex_, std::try_to_lock);
  if (lock.owns_lock()) pump();
  return true;
}

void X11WindowHost::watch() {
  const auto opened = std::chrono::steady_clock::now();
  const int connection = display_->fileDescriptor();
  while (!stop_ && !hostIdles_) {
    const bool takeOver = std::chrono::steady_clock::now() - opened >= kHostIdleGrace;
    pollfd watched[2] = {{wakeFd_, POLLIN, 0}, {connection, POLLIN, 0}};
    ::poll(watched, takeOver ? 2 : 1, takeOver ? kWatcherTickMilliseconds : 50);
    if (stop_ || hostIdles_ || !takeOver) continue;
    std::lock_guard<std::recursive_mutex> lock(pumpMutex_);
    if (!hostIdles_ && !stop_) pump();
  }
}

void X11WindowHost::pump() {
  if (window_ == 0 || pumping_) return;
  pumping_ = true;
  xcb_connection_t* c = display_->connection();
  while (xcb_generic_event_t* event = xcb_poll_for_event(c)) events_.push_back(event);
  if (xcb_connection_has_error(c) != 0) windowGone_ = true;
  // Handling may open a menu that reads on; what was read before stays in order here.
  std::vector<xcb_generic_event_t*> batch;
  batch.swap(events_);
  for (std::size_t i = 0; i < batch.size(); ++i) {
    // Only the last of a run of motions matters.
    const bool superseded = eventType(batch[i]) == XCB_MOTION_NOTIFY && i + 1 < batch.size() &&
                            eventType(batch[i + 1]) == XCB_MOTION_NOTIFY;
    if (!superseded && window_ != 0) handle(batch[i]);
    std::free(batch[i]);
  }
  if (window_ != 0) {
    view_.onIdle();
    redraw();
  }
  pumping_ = false;
}

void X11WindowHost::redraw() {
  IRECT drawn;
  if (view_.drawDirty(drawn)) expose(drawn);
  if (!exposed_.empty() && !windowGone_) surface_->put(view_.backBuffer(), exposed_);
  exposed_ = {};
}

void X11WindowHost::handle(const xcb_generic_event_t* event) {
  if (textEntry_ != nullptr && routeToTextEntry(event)) return;
  switch (eventType(event)) {
    case XCB_EXPOSE: {
      const auto* e = reinterpret_cast<const xcb_expose_event_t*>(event);
      if (e->window == window_) expose({e->x, e->y, e->x + e->width, e->y + e->height});
      break;
    }
    case XCB_BUTTON_PRESS:
      handleButtonPress(*reinterpret_cast<const xcb_button_press_event_t*>(event));
      break;
    case XCB_BUTTON_RELEASE:
      handleButtonRelease(*reinterpret_cast<const xcb_button_release_event_t*>(event));
      break;
    case XCB_MOTION_NOTIFY:
      handleMotion(*reinterpret_cast<const xcb_motion_notify_event_t*>(event));
      break;
    case XCB_LEAVE_NOTIFY:
      if (buttonsDown_ == 0 && reinterpret_cast<const xcb_leave_notify_event_t*>(event)->event == window_) {
        view_.onMouseOut();
      }
      break;
    case XCB_DESTROY_NOTIFY:
      if (reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == window_) windowGone_ = true;
      break;
    default:
      break;
  }
}

void X11WindowHost::handleButtonPress(const xcb_button_press_event_t& event) {
  if (event.event != window_) return;
  const int x = event.event_x;
  const int y = event.event_y;
  IMouseMod mod = modifiers(event.state);
  if (event.detail == 4 || event.detail == 5) {
    view_.onMouseWheel(x, y, mod, event.detail == 4 ? 1.0f : -1.0f);
    return;
  }
  if (event.detail != 1 && event.detail != 3) return;
  mod.L = event.detail == 1;
  mod.R = event.detail == 3;
  const bool doubleClick = event.detail == lastPressButton_ && event.time - lastPressTime_ <= kDoubleClickMilliseconds &&
                           std::abs(x - lastPressX_) <= kDoubleClickDistance &&
                           std::abs(y - lastPressY_) <= kDoubleClickDistance;
  // A third click starts a new pair.
  lastPressButton_ = doubleClick ? 0 : event.detail;
  lastPressTime_ = event.time;
  lastPressX_ = x;
  lastPressY_ = y;

  buttonsDown_ |= buttonBit(event.detail);
  if (!pointerGrabbed_) {
    // Drags go on beyond the window's edge until the button comes up.
    const auto grab = xcb_grab_pointer(display_->connection(), 0, window_,
                                       XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                           XCB_EVENT_MASK_POINTER_MOTION,
                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, event.time);
    xcb_discard_reply(display_->connection(), grab.sequence);
    pointerGrabbed_ = true;
  }
  lastX_ = x;
  lastY_ = y;
  if (doubleClick) {
    view_.onMouseDblClick(x, y, mod);
  } else {
    view_.onMouseDown(x, y, mod);
  }
}

void X11WindowHost::handleButtonRelease(const xcb_button_release_event_t& event) {
  if (event.event != window_ || (event.detail != 1 && event.detail != 3)) return;
  // A press we did not see through (a menu or text entry took it) has no release either.
  if ((buttonsDown_ & buttonBit(event.detail)) == 0) return;
  buttonsDown_ &= ~buttonBit(event.detail);
  if (buttonsDown_ == 0) releasePointer();
  IMouseMod mod = modifiers(event.state);
  mod.L = event.detail == 1;
  mod.R = event.detail == 3;
  view_.onMouseUp(event.event_x, event.event_y, mod);
}

void X11WindowHost::handleMotion(const xcb_motion_notify_event_t& event) {
  if (event.event != window_) return;
  const int x = event.event_x;
  const int y = event.event_y;
  const IMouseMod mod = modifiers(event.state);
  // A press that became a drag is no first half of a double click.
  if (std::abs(x - lastPressX_) > kDoubleClickDistance || std::abs(y - lastPressY_) > kDoubleClickDistance) {
    lastPressButton_ = 0;
  }
  if (buttonsDown_ != 0) {
    view_.onMouseDrag(x, y, x - lastX_, y - lastY_, mod);
  } else {
    view_.onMouseOver(x, y, mod);
  }
  lastX_ = x;
  lastY_ = y;
}

void X11WindowHost::releasePointer() {
  if (!pointerGrabbed_) return;
  xcb_ungrab_pointer(display_->connection(), XCB_CURRENT_TIME);
  xcb_flush(display_->connection());
  pointerGrabbed_ = false;
}

int X11WindowHost::showPopupMenu(const IPopupMenu& menu, int x, int y, const IPopupMenu*& chosenMenu) {
  chosenMenu = nullptr;
  if (window_ == 0 || windowGone_) return -1;
  xcb_connection_t* c = display_->connection();
  xcb_translate_coordinates_reply_t* onScreen = xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, window_, display_->screen()->root, static_cast<std::int16_t>(x),
                                   static_cast<std::int16_t>(y)),
      nullptr);
  if (onScreen == nullptr) return -1;
  const int rootX = onScreen->dst_x;
  const int rootY = onScreen->dst_y;
  std::free(onScreen);

  // The menu takes the pointer: the press that opened it gets no release here.
  releasePointer();
  buttonsDown_ = 0;
  X11PopupMenu popup(*display_, stop_, [this](const xcb_generic_event_t* event) {
    if (eventType(event) != XCB_EXPOSE) return;
    const auto* e = reinterpret_cast<const xcb_expose_event_t*>(event);
    if (e->window != window_) return;
    expose({e->x, e->y, e->x + e->width, e->y + e->height});
    redraw();
  });
  return popup.run(menu, rootX, rootY, chosenMenu);
}

void X11WindowHost::promptTextEntry(const IRECT& where, const std::string& initialUtf8, int maxLength) {
  if (window_ == 0 || windowGone_) return;
  if (textEntry_ != nullptr) finishTextEntry(false);
  releasePointer();
  buttonsDown_ = 0;
  textEntry_ = std::make_unique<X11TextEntry>(*display_, window_, where, initialUtf8, maxLength);
}

bool X11WindowHost::routeToTextEntry(const xcb_generic_event_t* event) {
  switch (eventType(event)) {
    case XCB_KEY_PRESS: {
      const auto outcome = textEntry_->onKey(*reinterpret_cast<const xcb_key_press_event_t*>(event));
      if (outcome != X11TextEntry::Outcome::Editing) finishTextEntry(outcome == X11TextEntry::Outcome::Accepted);
      return true;
    }
    case XCB_BUTTON_PRESS: {
      // A click anywhere else ends the entry as focus leaving a text field does: it keeps the text.
      const auto* e = reinterpret_cast<const xcb_button_press_event_t*>(event);
      if (!textEntry_->contains(e->root_x, e->root_y)) finishTextEntry(true);
      return true;
    }
    case XCB_EXPOSE:
      if (reinterpret_cast<const xcb_expose_event_t*>(event)->window != textEntry_->window()) return false;
      textEntry_->redraw();
      return true;
    default:
      return false;
  }
}

void X11WindowHost::finishTextEntry(bool accepted) {
  const std::string text = textEntry_->text();
  textEntry_.reset();
  view_.onTextEntryFinished(accepted, text);
}

bool X11WindowHost::openWebPage(const std::string& url) { return makeSystemDialogs()->openWebPage(url); }

void X11WindowHost::setCursor(CursorShape shape) {
  if (window_ == 0 || windowGone_ || shape == cursor_) return;
  cursor_ = shape;
  const std::uint32_t cursor = display_->cursor(shape);
  xcb_change_window_attributes(display_->connection(), window_, XCB_CW_CURSOR, &cursor);
  xcb_flush(display_->connection());
}

}  // namespace sorvel
