#include "editor/x11/XcbDisplay.h"

#include <xcb/shm.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>

namespace sorvel {

namespace {

xcb_visualtype_t* findVisual(xcb_screen_t* screen, xcb_visualid_t id, std::uint8_t& depth) {
  for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
    for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals)) {
      if (visuals.data->visual_id == id) {
        depth = depths.data->depth;
        return visuals.data;
      }
    }
  }
  return nullptr;
}

int bitsPerPixel(const xcb_setup_t* setup, std::uint8_t depth) {
  for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem; xcb_format_next(&formats)) {
    if (formats.data->depth == depth) return formats.data->bits_per_pixel;
  }
  return 0;
}

// Glyphs of the core cursor font.
constexpr std::uint16_t kCursorGlyphs[3] = {68, 60, 116};  // left_ptr, hand2, sb_v_double_arrow

}  // namespace

XcbDisplay::~XcbDisplay() {
  if (keyState_ != nullptr) xkb_state_unref(keyState_);
  if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
  if (xkbContext_ != nullptr) xkb_context_unref(xkbContext_);
  if (connection_ == nullptr) return;
  for (xcb_cursor_t cursor : cursors_) {
    if (cursor != 0) xcb_free_cursor(connection_, cursor);
  }
  if (cursorFont_ != 0) xcb_close_font(connection_, cursorFont_);
  xcb_disconnect(connection_);
}

bool XcbDisplay::connect() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') return false;
  int screenNumber = 0;
  connection_ = xcb_connect(name, &screenNumber);
  if (connection_ == nullptr || xcb_connection_has_error(connection_) != 0) return false;

  const xcb_setup_t* setup = xcb_get_setup(connection_);
  auto screens = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) return false;
  screen_ = screens.data;

  // Our pixels are 0x00RRGGBB words: the root visual must take them without conversion.
  std::uint8_t depth = 0;
  const xcb_visualtype_t* visual = findVisual(screen_, screen_->root_visual, depth);
  if (visual == nullptr || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR || visual->red_mask != 0xff0000u ||
      visual->green_mask != 0xff00u || visual->blue_mask != 0xffu || depth != screen_->root_depth ||
      bitsPerPixel(setup, depth) != 32) {
    return false;
  }
  swapBytes_ = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
  maximumRequestBytes_ = static_cast<std::size_t>(xcb_get_maximum_request_length(connection_)) * 4;

  const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection_, &xcb_shm_id);
  if (shm != nullptr && shm->present) {
    xcb_shm_query_version_reply_t* version =
        xcb_shm_query_version_reply(connection_, xcb_shm_query_version(connection_), nullptr);
    hasSharedMemory_ = version != nullptr;
    std::free(version);
  }
  // Without the keyboard extension keys give no text; the mouse still works everywhere.
  hasKeyboardExtension_ = xkb_x11_setup_xkb_extension(connection_, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                      XKB_X11_MIN_MINOR_XKB_VERSION,
                                                      XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
                                                      nullptr, nullptr) != 0;
  return true;
}

int XcbDisplay::fileDescriptor() const { return connection_ == nullptr ? -1 : xcb_get_file_descriptor(connection_); }

xcb_cursor_t XcbDisplay::cursor(CursorShape shape) {
  const auto index = static_cast<std::size_t>(shape);
  if (index >= 3) return XCB_NONE;
  if (cursors_[index] != 0) return cursors_[index];
  if (cursorFont_ == 0) {
    cursorFont_ = xcb_generate_id(connection_);
    xcb_open_font(connection_, cursorFont_, 6, "cursor");
  }
  cursors_[index] = xcb_generate_id(connection_);
  xcb_create_glyph_cursor(connection_, cursors_[index], cursorFont_, cursorFont_, kCursorGlyphs[index],
                          static_cast<std::uint16_t>(kCursorGlyphs[index] + 1), 0, 0, 0, 0xffff, 0xffff, 0xffff);
  return cursors_[index];
}

void XcbDisplay::loadKeyboard() {
  if (!hasKeyboardExtension_) return;
  const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection_);
  if (device < 0) return;
  if (xkbContext_ == nullptr) xkbContext_ = xkb_context_new(XKB_CONTEXT_NO_DEFAULT_INCLUDES);
  if (xkbContext_ == nullptr) return;
  xkb_keymap* keymap = xkb_x11_keymap_new_from_device(xkbContext_, connection_, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (keymap == nullptr) return;
  xkb_state* state = xkb_x11_state_new_from_device(keymap, connection_, device);
  if (state == nullptr) {
    xkb_keymap_unref(keymap);
    return;
  }
  if (keyState_ != nullptr) xkb_state_unref(keyState_);
  if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
  keymap_ = keymap;
  keyState_ = state;
}

XcbDisplay::Key XcbDisplay::translateKey(xcb_keycode_t code, std::uint16_t modifierState) {
  Key key;
  if (keyState_ == nullptr) return key;
  // The event's core modifiers are the whole state we need; Lock and Mod2 (Num Lock) are locks.
  constexpr std::uint16_t kLocks = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
  const std::uint32_t group = (modifierState >> 13) & 3u;
  xkb_state_update_mask(keyState_, modifierState & 0xffu & ~kLocks, 0, modifierState & kLocks, 0, 0, group);
  key.keysym = xkb_state_key_get_one_sym(keyState_, code);
  char text[64] = {};
  const int length = xkb_state_key_get_utf8(keyState_, code, text, sizeof(text));
  if (length > 0 && static_cast<std::size_t>(length) < sizeof(text)) key.text.assign(text, static_cast<std::size_t>(length));
  return key;
}

}  // namespace sorvel
