#include "editor/x11/X11TextEntry.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <cstdlib>

#include "editor/x11/PopupLook.h"
#include "editor/x11/XcbDisplay.h"
#include "editor/x11/XcbSurface.h"

namespace sorvel {

X11TextEntry::X11TextEntry(XcbDisplay& display, xcb_window_t panel, const IRECT& where, const std::string& text,
                           int maxBytes)
    : display_(display), edit_(text, static_cast<std::size_t>(std::max(0, maxBytes))) {
  xcb_connection_t* c = display_.connection();
  const xcb_screen_t* screen = display_.screen();
  display_.loadKeyboard();
  const int width = std::max(1, where.W());
  const int height = std::max(1, where.H());
  window_ = xcb_generate_id(c);
  const std::uint32_t mask = XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP;
  const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0,
                                  XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_BUTTON_PRESS,
                                  screen->default_colormap};
  xcb_create_window(c, screen->root_depth, window_, panel, static_cast<std::int16_t>(where.L),
                    static_cast<std::int16_t>(where.T), static_cast<std::uint16_t>(width),
                    static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask,
                    values);
  xcb_map_window(c, window_);
  pixels_.resize(width, height);
  surface_ = std::make_unique<XcbSurface>(display_, window_, width, height);

  xcb_translate_coordinates_reply_t* origin =
      xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window_, screen->root, 0, 0), nullptr);
  if (origin != nullptr) onScreen_ = {origin->dst_x, origin->dst_y, origin->dst_x + width, origin->dst_y + height};
  std::free(origin);

  // Keys come here whoever has the focus; a click elsewhere reaches us as well, to end the entry.
  xcb_grab_keyboard_reply_t* keyboard = xcb_grab_keyboard_reply(
      c, xcb_grab_keyboard(c, 0, window_, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
  if (keyboard == nullptr || keyboard->status != XCB_GRAB_STATUS_SUCCESS) {
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, window_, XCB_CURRENT_TIME);
  }
  std::free(keyboard);
  const auto pointer = xcb_grab_pointer(c, 1, window_, XCB_EVENT_MASK_BUTTON_PRESS, XCB_GRAB_MODE_ASYNC,
                                        XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);
  xcb_discard_reply(c, pointer.sequence);
  redraw();
}

X11TextEntry::~X11TextEntry() {
  xcb_connection_t* c = display_.connection();
  xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
  xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
  surface_.reset();
  xcb_destroy_window(c, window_);
  xcb_flush(c);
}

X11TextEntry::Outcome X11TextEntry::onKey(const xcb_key_press_event_t& event) {
  const XcbDisplay::Key key = display_.translateKey(event.detail, event.state);
  switch (key.keysym) {
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
      return Outcome::Accepted;
    case XKB_KEY_Escape:
      return Outcome::Cancelled;
    case XKB_KEY_BackSpace:
      edit_.deleteBackward();
      break;
    case XKB_KEY_Delete:
    case XKB_KEY_KP_Delete:
      edit_.deleteForward();
      break;
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left:
      edit_.moveLeft();
      break;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right:
      edit_.moveRight();
      break;
    case XKB_KEY_Home:
    case XKB_KEY_KP_Home:
      edit_.moveHome();
      break;
    case XKB_KEY_End:
    case XKB_KEY_KP_End:
      edit_.moveEnd();
      break;
    default:
      if ((event.state & XCB_MOD_MASK_CONTROL) != 0 || !edit_.insert(key.text)) return Outcome::Editing;
      break;
  }
  redraw();
  return Outcome::Editing;
}

void X11TextEntry::redraw() {
  drawTextEntry(pixels_, edit_);
  surface_->put(pixels_, {0, 0, pixels_.getWidth(), pixels_.getHeight()});
}

}  // namespace sorvel
