#include "editor/x11/PopupLook.h"

#include <algorithm>

namespace sorvel {

namespace {

constexpr LICE_pixel kBackground = LICE_RGBA(40, 44, 48, 255);

void fill(LICE_IBitmap& into, const IRECT& r, LICE_pixel colour) {
  const IRECT area = r.intersection({0, 0, into.getWidth(), into.getHeight()});
  for (int y = area.T; y < area.B; ++y) {
    LICE_pixel* row = into.getBits() + static_cast<std::ptrdiff_t>(y) * into.getRowSpan();
    std::fill(row + area.L, row + area.R, colour);
  }
}

}  // namespace

int popupTextWidth(const std::string& utf8) { return static_cast<int>(utf8.size()) * 7; }

void drawMenuLevel(LICE_IBitmap& into, const IPopupMenu& menu, const MenuLayout& layout, int highlighted) {
  fill(into, {0, 0, into.getWidth(), into.getHeight()}, kBackground);
  for (int i = 0; i < menu.itemCount(); ++i) {
    if (i == highlighted) fill(into, layout.items[static_cast<std::size_t>(i)], LICE_RGBA(70, 110, 160, 255));
  }
}

void drawTextEntry(LICE_IBitmap& into, const LineEdit& /*edit*/) {
  fill(into, {0, 0, into.getWidth(), into.getHeight()}, LICE_RGBA(250, 250, 250, 255));
}

}  // namespace sorvel
