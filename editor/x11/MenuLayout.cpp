#include "editor/x11/MenuLayout.h"

#include <algorithm>

namespace sorvel {

namespace {

constexpr int kMenuMinimumWidth = 120;

bool selectable(const IPopupMenu::Item& item) { return !item.isSeparator() && item.enabled(); }

}  // namespace

MenuLayout layOutMenu(const IPopupMenu& menu, const std::function<int(const std::string&)>& textWidth) {
  MenuLayout layout;
  int widest = 0;
  int y = kMenuBorder;
  for (int i = 0; i < menu.itemCount(); ++i) {
    const IPopupMenu::Item& item = menu.item(i);
    const int height = item.isSeparator() ? kMenuSeparatorHeight : kMenuItemHeight;
    layout.items.push_back({kMenuBorder, y, 0, y + height});
    y += height;
    if (!item.isSeparator()) widest = std::max(widest, textWidth(item.text));
  }
  layout.width = std::max(kMenuMinimumWidth, kMenuTextLeft + widest + kMenuTextRight) + 2 * kMenuBorder;
  layout.height = y + kMenuBorder;
  for (IRECT& r : layout.items) r.R = layout.width - kMenuBorder;
  return layout;
}

int menuItemAt(const IPopupMenu& menu, const MenuLayout& layout, int x, int y) {
  for (int i = 0; i < menu.itemCount() && i < static_cast<int>(layout.items.size()); ++i) {
    if (layout.items[static_cast<std::size_t>(i)].contains(x, y)) return menu.item(i).isSeparator() ? -1 : i;
  }
  return -1;
}

int nextSelectableItem(const IPopupMenu& menu, int from, int step) {
  const int count = menu.itemCount();
  if (count == 0) return -1;
  int at = from < 0 ? (step > 0 ? -1 : count) : from;
  for (int tried = 0; tried < count; ++tried) {
    at = ((at + step) % count + count) % count;
    if (selectable(menu.item(at))) return at;
  }
  return -1;
}

}  // namespace sorvel
