#include "editor/x11/PopupLook.h"

#include <algorithm>

#include "editor/LICE.h"
#include "editor/LICE_Text.h"

namespace sorvel {

namespace {

constexpr LICE_pixel kMenuBackground = LICE_RGBA(44, 48, 53, 255);
constexpr LICE_pixel kMenuBorderColour = LICE_RGBA(96, 102, 110, 255);
constexpr LICE_pixel kMenuText = LICE_RGBA(228, 228, 224, 255);
constexpr LICE_pixel kMenuDisabledText = LICE_RGBA(122, 126, 132, 255);
constexpr LICE_pixel kMenuHighlight = LICE_RGBA(62, 104, 150, 255);
constexpr LICE_pixel kMenuSeparator = LICE_RGBA(78, 83, 90, 255);
constexpr LICE_pixel kEntryBackground = LICE_RGBA(250, 250, 246, 255);
constexpr LICE_pixel kEntryBorder = LICE_RGBA(62, 104, 150, 255);
constexpr LICE_pixel kEntryText = LICE_RGBA(20, 22, 24, 255);
constexpr int kMenuFontPixels = 13;
constexpr int kEntryFontPixels = 12;
constexpr int kEntryPadding = 3;

LICE_IFont* menuFont() { return LICE_GetFont("Arial", kMenuFontPixels); }

void frame(LICE_IBitmap& into, const IRECT& r, LICE_pixel colour) {
  const IRECT all = LICE_Bounds(into);
  LICE_FillRect(into, {r.L, r.T, r.R, r.T + 1}, colour, all);
  LICE_FillRect(into, {r.L, r.B - 1, r.R, r.B}, colour, all);
  LICE_FillRect(into, {r.L, r.T, r.L + 1, r.B}, colour, all);
  LICE_FillRect(into, {r.R - 1, r.T, r.R, r.B}, colour, all);
}

// A tick two pixels thick: down to the right for three steps, then up for six.
void checkMark(LICE_IBitmap& into, int x, int y, LICE_pixel colour) {
  const IRECT all = LICE_Bounds(into);
  for (int i = 0; i < 3; ++i) LICE_FillRect(into, {x + i, y + i, x + i + 2, y + i + 2}, colour, all);
  for (int i = 0; i < 6; ++i) LICE_FillRect(into, {x + 3 + i, y + 1 - i, x + 5 + i, y + 3 - i}, colour, all);
}

// A small triangle pointing right, its tip at (x + 4, y).
void submenuArrow(LICE_IBitmap& into, int x, int y, LICE_pixel colour) {
  for (int i = 0; i < 5; ++i) LICE_FillRect(into, {x + i, y - 4 + i, x + i + 1, y + 5 - i}, colour, LICE_Bounds(into));
}

}  // namespace

int popupTextWidth(const std::string& utf8) {
  LICE_IFont* font = menuFont();
  return font != nullptr ? font->measure(utf8) : static_cast<int>(utf8.size()) * 7;
}

void drawMenuLevel(LICE_IBitmap& into, const IPopupMenu& menu, const MenuLayout& layout, int highlighted) {
  const IRECT all = LICE_Bounds(into);
  LICE_FillRect(into, all, kMenuBackground, all);
  frame(into, all, kMenuBorderColour);
  LICE_IFont* font = menuFont();
  for (int i = 0; i < menu.itemCount() && i < static_cast<int>(layout.items.size()); ++i) {
    const IPopupMenu::Item& item = menu.item(i);
    const IRECT& r = layout.items[static_cast<std::size_t>(i)];
    if (item.isSeparator()) {
      const int middle = (r.T + r.B) / 2;
      LICE_FillRect(into, {r.L + 6, middle, r.R - 6, middle + 1}, kMenuSeparator, all);
      continue;
    }
    if (i == highlighted) LICE_FillRect(into, r, kMenuHighlight, all);
    const LICE_pixel colour = item.enabled() ? kMenuText : kMenuDisabledText;
    if (item.checked()) checkMark(into, r.L + 6, (r.T + r.B) / 2 - 1, colour);
    if (item.submenu != nullptr) submenuArrow(into, r.R - 14, (r.T + r.B) / 2, colour);
    if (font != nullptr) {
      font->draw(into, item.text, {r.L + kMenuTextLeft, r.T, r.R - kMenuTextRight + 8, r.B}, TextAlign::Left, colour,
                 r);
    }
  }
}

void drawTextEntry(LICE_IBitmap& into, const LineEdit& edit) {
  const IRECT all = LICE_Bounds(into);
  LICE_FillRect(into, all, kEntryBackground, all);
  frame(into, all, kEntryBorder);
  LICE_IFont* font = LICE_GetFont("Arial", kEntryFontPixels);
  if (font == nullptr) return;
  // The text slides left so that the caret stays in view.
  const int caretOffset = font->measure(edit.text().substr(0, edit.caret()));
  const int room = all.W() - 2 * kEntryPadding - 1;
  const int scroll = std::max(0, caretOffset - room);
  const IRECT inside{kEntryPadding, 1, all.R - kEntryPadding, all.B - 1};
  font->draw(into, edit.text(), {kEntryPadding - scroll, 0, kEntryPadding - scroll + 4096, all.B}, TextAlign::Left,
             kEntryText, inside);
  const int caretX = kEntryPadding - scroll + caretOffset;
  LICE_FillRect(into, {caretX, 3, caretX + 1, all.B - 3}, kEntryText, all);
}

}  // namespace sorvel
