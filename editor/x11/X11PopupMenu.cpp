#include "editor/x11/X11PopupMenu.h"

#include <poll.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "editor/x11/PopupLook.h"
#include "editor/x11/XcbDisplay.h"
#include "editor/x11/XcbSurface.h"

namespace sorvel {

namespace {

constexpr int kDragArmDistance = 4;
constexpr std::uint16_t kAnyButton = XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3;

}  // namespace

X11PopupMenu::X11PopupMenu(XcbDisplay& display, const std::atomic<bool>& stop,
                           std::function<void(const xcb_generic_event_t*)> others)
    : display_(display), stop_(stop), others_(std::move(others)) {}

X11PopupMenu::~X11PopupMenu() {
  xcb_connection_t* c = display_.connection();
  xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
  xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
  closeLevelsAfter(0);
  xcb_flush(c);
}

int X11PopupMenu::run(const IPopupMenu& menu, int rootX, int rootY, const IPopupMenu*& chosenMenu) {
  chosenMenu = nullptr;
  if (menu.itemCount() == 0) return -1;
  openedAtX_ = rootX;
  openedAtY_ = rootY;
  display_.loadKeyboard();
  openLevel(menu, rootX, rootY, nullptr);
  grabInput();

  xcb_connection_t* c = display_.connection();
  bool running = true;
  while (running) {
    if (stop_ || xcb_connection_has_error(c) != 0) break;
    xcb_generic_event_t* event = xcb_poll_for_event(c);
    if (event == nullptr) {
      pollfd watched{display_.fileDescriptor(), POLLIN, 0};
      ::poll(&watched, 1, 50);
      continue;
    }
    const int type = event->response_type & 0x7f;
    switch (type) {
      case XCB_EXPOSE: {
        const auto* e = reinterpret_cast<const xcb_expose_event_t*>(event);
        const auto level = std::find_if(levels_.begin(), levels_.end(),
                                        [&](const auto& l) { return l->window == e->window; });
        if (level != levels_.end()) {
          (*level)->surface->put((*level)->pixels, {e->x, e->y, e->x + e->width, e->y + e->height});
        } else {
          others_(event);
        }
        break;
      }
      case XCB_KEY_PRESS:
        running = onKey(*reinterpret_cast<const xcb_key_press_event_t*>(event));
        break;
      case XCB_BUTTON_PRESS:
      case XCB_BUTTON_RELEASE: {
        const auto* e = reinterpret_cast<const xcb_button_press_event_t*>(event);
        running = onPointer(type, e->root_x, e->root_y, e->detail, e->state);
        break;
      }
      case XCB_MOTION_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_motion_notify_event_t*>(event);
        running = onPointer(type, e->root_x, e->root_y, 0, e->state);
        break;
      }
      default:
        others_(event);
        break;
    }
    std::free(event);
  }
  chosenMenu = chosenMenu_;
  return chosenMenu_ == nullptr ? -1 : chosenItem_;
}

void X11PopupMenu::grabInput() {
  xcb_connection_t* c = display_.connection();
  const xcb_window_t window = levels_.front()->window;
  // Another client may hold a grab for a moment (the host's own menu closing): try a few times.
  for (int attempt = 0; attempt < 20; ++attempt) {
    xcb_grab_pointer_reply_t* pointer = xcb_grab_pointer_reply(
        c,
        xcb_grab_pointer(c, 0, window,
                         XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION,
                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
        nullptr);
    const bool held = pointer != nullptr && pointer->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(pointer);
    if (held) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (int attempt = 0; attempt < 20; ++attempt) {
    xcb_grab_keyboard_reply_t* keyboard = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, window, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    const bool held = keyboard != nullptr && keyboard->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(keyboard);
    if (held) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void X11PopupMenu::openLevel(const IPopupMenu& menu, int rootX, int rootY, const IRECT* besideParent) {
  xcb_connection_t* c = display_.connection();
  const xcb_screen_t* screen = display_.screen();
  auto level = std::make_unique<Level>();
  level->menu = &menu;
  level->layout = layOutMenu(menu, popupTextWidth);
  const int width = level->layout.width;
  const int height = level->layout.height;
  const int screenWidth = screen->width_in_pixels;
  const int screenHeight = screen->height_in_pixels;
  int x = rootX;
  if (x + width > screenWidth) {
    // A submenu that does not fit on the right opens on the left of its parent.
    x = besideParent != nullptr ? besideParent->L - width + 2 : screenWidth - width;
  }
  const int y = std::clamp(rootY, 0, std::max(0, screenHeight - height));
  x = std::max(0, x);
  level->onScreen = {x, y, x + width, y + height};
  level->pixels.resize(width, height);
  drawMenuLevel(level->pixels, menu, level->layout, level->highlighted);

  level->window = xcb_generate_id(c);
  const std::uint32_t mask = XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                             XCB_CW_SAVE_UNDER | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP | XCB_CW_CURSOR;
  const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE,
                                  0,
                                  1,
                                  1,
                                  XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                                      XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                                      XCB_EVENT_MASK_KEY_PRESS,
                                  screen->default_colormap,
                                  display_.cursor(CursorShape::Arrow)};
  xcb_create_window(c, screen->root_depth, level->window, screen->root, static_cast<std::int16_t>(x),
                    static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
                    0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, values);
  xcb_map_window(c, level->window);
  level->surface = std::make_unique<XcbSurface>(display_, level->window, width, height);
  level->surface->put(level->pixels, {0, 0, width, height});
  levels_.push_back(std::move(level));
  xcb_flush(c);
}

void X11PopupMenu::closeLevelsAfter(std::size_t depth) {
  xcb_connection_t* c = display_.connection();
  while (levels_.size() > depth) {
    Level& level = *levels_.back();
    level.surface.reset();
    xcb_destroy_window(c, level.window);
    levels_.pop_back();
  }
  xcb_flush(c);
}

void X11PopupMenu::draw(Level& level) {
  drawMenuLevel(level.pixels, *level.menu, level.layout, level.highlighted);
  level.surface->put(level.pixels, {0, 0, level.layout.width, level.layout.height});
}

void X11PopupMenu::highlight(std::size_t depth, int item) {
  Level& level = *levels_[depth];
  if (level.highlighted != item) {
    level.highlighted = item;
    draw(level);
  }
  const bool opensSubmenu = item >= 0 && level.menu->item(item).submenu != nullptr && level.menu->item(item).enabled();
  // The open submenu belongs to the highlighted item, or there is none.
  if (levels_.size() > depth + 1 && (!opensSubmenu || levels_[depth + 1]->menu != level.menu->item(item).submenu.get())) {
    closeLevelsAfter(depth + 1);
  }
  if (opensSubmenu && levels_.size() == depth + 1) openSubmenu(depth, false);
}

void X11PopupMenu::openSubmenu(std::size_t depth, bool highlightFirst) {
  Level& parent = *levels_[depth];
  const IPopupMenu& submenu = *parent.menu->item(parent.highlighted).submenu;
  const IRECT& item = parent.layout.items[static_cast<std::size_t>(parent.highlighted)];
  const IRECT besideParent = parent.onScreen;
  openLevel(submenu, parent.onScreen.R - 2, parent.onScreen.T + item.T - kMenuBorder, &besideParent);
  if (highlightFirst) {
    Level& opened = *levels_.back();
    opened.highlighted = nextSelectableItem(submenu, -1, 1);
    draw(opened);
  }
}

int X11PopupMenu::levelAt(int rootX, int rootY) const {
  for (int depth = static_cast<int>(levels_.size()) - 1; depth >= 0; --depth) {
    if (levels_[static_cast<std::size_t>(depth)]->onScreen.contains(rootX, rootY)) return depth;
  }
  return -1;
}

bool X11PopupMenu::onPointer(int type, int rootX, int rootY, int button, std::uint16_t state) {
  const int depth = levelAt(rootX, rootY);
  if (type == XCB_MOTION_NOTIFY && (state & kAnyButton) != 0 &&
      (std::abs(rootX - openedAtX_) > kDragArmDistance || std::abs(rootY - openedAtY_) > kDragArmDistance)) {
    armed_ = true;
  }
  if (type == XCB_BUTTON_PRESS && (button < 1 || button > 3)) return true;  // the wheel does nothing here
  if (depth < 0) {
    // Outside every level: a press cancels; moving there leaves the highlight where it was.
    return type != XCB_BUTTON_PRESS;
  }
  Level& level = *levels_[static_cast<std::size_t>(depth)];
  const int item = menuItemAt(*level.menu, level.layout, rootX - level.onScreen.L, rootY - level.onScreen.T);
  const bool usable = item >= 0 && level.menu->item(item).enabled();
  highlight(static_cast<std::size_t>(depth), usable ? item : -1);
  if (type == XCB_BUTTON_PRESS) armed_ = true;
  if (type == XCB_BUTTON_RELEASE && armed_ && usable && level.menu->item(item).submenu == nullptr) {
    chosenMenu_ = level.menu;
    chosenItem_ = item;
    return false;
  }
  return true;
}

bool X11PopupMenu::onKey(const xcb_key_press_event_t& event) {
  const std::uint32_t keysym = display_.translateKey(event.detail, event.state).keysym;
  const std::size_t depth = levels_.size() - 1;
  Level& level = *levels_[depth];
  const int current = level.highlighted;
  switch (keysym) {
    case XKB_KEY_Escape:
      if (depth == 0) return false;
      closeLevelsAfter(depth);
      return true;
    case XKB_KEY_Left:
      if (depth > 0) closeLevelsAfter(depth);
      return true;
    case XKB_KEY_Down:
    case XKB_KEY_Up: {
      const int next = nextSelectableItem(*level.menu, current, keysym == XKB_KEY_Down ? 1 : -1);
      if (next >= 0 && next != current) {
        level.highlighted = next;
        draw(level);
      }
      return true;
    }
    case XKB_KEY_Right:
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
    case XKB_KEY_space: {
      if (current < 0) return true;
      const IPopupMenu::Item& item = level.menu->item(current);
      if (item.submenu != nullptr) {
        closeLevelsAfter(depth + 1);
        openSubmenu(depth, true);
        return true;
      }
      if (keysym == XKB_KEY_Right) return true;
      chosenMenu_ = level.menu;
      chosenItem_ = current;
      return false;
    }
    default:
      return true;
  }
}

}  // namespace sorvel
