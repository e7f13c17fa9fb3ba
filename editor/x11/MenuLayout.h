// Where the items of one pop-up menu level sit, and which of them the keyboard may land on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editor/IGraphicsTypes.h"
#include "editor/IPopupMenu.h"

namespace sorvel {

struct MenuLayout {
  std::vector<IRECT> items;  // in the level's own window
  int width = 0;
  int height = 0;
};

constexpr int kMenuItemHeight = 20;
constexpr int kMenuSeparatorHeight = 9;
constexpr int kMenuBorder = 1;
constexpr int kMenuTextLeft = 22;   // room for the check mark
constexpr int kMenuTextRight = 26;  // room for a submenu's arrow

MenuLayout layOutMenu(const IPopupMenu& menu, const std::function<int(const std::string&)>& textWidth);

// The item under (x, y) of the level's window, or -1 (also for a separator).
int menuItemAt(const IPopupMenu& menu, const MenuLayout& layout, int x, int y);

// The next item from `from` in direction step (+1 or -1), wrapping round, that can be chosen or
// opened; separators and disabled items are passed over. -1 when there is none. With from == -1
// the search starts at the top (step +1) or the bottom (step -1).
int nextSelectableItem(const IPopupMenu& menu, int from, int step);

}  // namespace sorvel
