// A pop-up menu as the editor builds it and a window host shows it: items with a text, flags and
// an optional owned submenu.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace sorvel {

class IPopupMenu {
 public:
  enum Flags { kDisabled = 1, kChecked = 4, kSeparator = 8 };

  struct Item {
    std::string text;
    int flags = 0;
    std::unique_ptr<IPopupMenu> submenu;

    bool enabled() const { return (flags & kDisabled) == 0; }
    bool checked() const { return (flags & kChecked) != 0; }
    bool isSeparator() const { return (flags & kSeparator) != 0; }
  };

  Item& addItem(const std::string& text, int flags = 0) {
    items_.push_back(Item{text, flags, nullptr});
    return items_.back();
  }
  void addSeparator(const std::string& text = {}) { addItem(text, kSeparator); }
  // The submenu becomes the menu's; returns it.
  IPopupMenu& addSubmenu(const std::string& text, std::unique_ptr<IPopupMenu> submenu) {
    Item& item = addItem(text);
    item.submenu = std::move(submenu);
    return *item.submenu;
  }

  int itemCount() const { return static_cast<int>(items_.size()); }
  const Item& item(int index) const { return items_[static_cast<std::size_t>(index)]; }
  Item& item(int index) { return items_[static_cast<std::size_t>(index)]; }
  // Index of a submenu among the items, or -1.
  int indexOfSubmenu(const IPopupMenu* submenu) const {
    for (int i = 0; i < itemCount(); ++i) {
      if (item(i).submenu.get() == submenu) return i;
    }
    return -1;
  }

 private:
  std::vector<Item> items_;
};

}  // namespace sorvel
