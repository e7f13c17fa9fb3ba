// The parts of the desktop menus and text entry that need no window: what a key does to the text,
// and where the arrow keys land in a menu.
#include <gtest/gtest.h>

#include "editor/x11/LineEdit.h"
#include "editor/x11/MenuLayout.h"

namespace {

using sorvel::IPopupMenu;
using sorvel::LineEdit;

TEST(LineEdit, EditsWholeUtf8CharactersAndNeverPassesTheByteLimit) {
  LineEdit edit("Caf\xC3\xA9", 6);  // "Café": five bytes
  EXPECT_EQ(edit.caret(), 5u);
  EXPECT_FALSE(edit.insert("\xC3\xBC"));  // a two-byte character does not fit in the one byte left
  EXPECT_TRUE(edit.insert("!"));
  EXPECT_FALSE(edit.insert("?"));
  edit.moveLeft();
  edit.moveLeft();  // over '!' and then over both bytes of the e-acute
  EXPECT_EQ(edit.caret(), 3u);
  edit.deleteForward();
  EXPECT_EQ(edit.text(), "Caf!");
  edit.moveEnd();
  edit.deleteBackward();
  edit.deleteBackward();
  EXPECT_EQ(edit.text(), "Ca");
  EXPECT_FALSE(edit.insert("\t"));  // control characters never enter a name
  EXPECT_FALSE(edit.insert("\x7f"));

  // Initial text longer than the field is cut before a character, not inside it.
  EXPECT_EQ(LineEdit("ab\xC3\xA9", 3).text(), "ab");
}

TEST(MenuKeyboard, ArrowsPassOverSeparatorsAndDisabledItemsAndWrapAround) {
  IPopupMenu menu;
  menu.addItem("Copy Program");
  menu.addItem("Paste Program", IPopupMenu::kDisabled);
  menu.addItem("Init Program");
  menu.addSeparator();
  menu.addSubmenu("More", std::make_unique<IPopupMenu>());
  menu.addItem("Last", IPopupMenu::kDisabled);

  EXPECT_EQ(sorvel::nextSelectableItem(menu, -1, 1), 0);
  EXPECT_EQ(sorvel::nextSelectableItem(menu, 0, 1), 2);
  EXPECT_EQ(sorvel::nextSelectableItem(menu, 2, 1), 4);
  EXPECT_EQ(sorvel::nextSelectableItem(menu, 4, 1), 0);
  EXPECT_EQ(sorvel::nextSelectableItem(menu, -1, -1), 4);
  EXPECT_EQ(sorvel::nextSelectableItem(menu, 0, -1), 4);

  IPopupMenu nothingToChoose;
  nothingToChoose.addItem("Off", IPopupMenu::kDisabled);
  nothingToChoose.addSeparator();
  EXPECT_EQ(sorvel::nextSelectableItem(nothingToChoose, -1, 1), -1);

  // The pointer over a separator is over no item.
  const sorvel::MenuLayout layout = sorvel::layOutMenu(menu, [](const std::string& text) {
    return static_cast<int>(text.size()) * 7;
  });
  const sorvel::IRECT separator = layout.items[3];
  EXPECT_EQ(sorvel::menuItemAt(menu, layout, separator.L + 5, separator.T + 2), -1);
  EXPECT_EQ(sorvel::menuItemAt(menu, layout, separator.L + 5, separator.B + 2), 4);
}

}  // namespace
