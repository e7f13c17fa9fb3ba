// The controls that open pop-up menus: the program display with its program list, the options
// button and the parameter menu for the modulation sources.
#pragma once

#include <memory>

#include "editor/IControls.h"
#include "editor/IPopupMenu.h"

namespace sorvel {

class IPlugCommands;

// The current program's number and name. A click on the name renames the program; anywhere else
// opens the program list.
class ITWPresetMenu : public IControl {
 public:
  static constexpr int kProgramsPerGroup = 16;

  ITWPresetMenu(IGraphicsEditor& graphics, IPlugCommands& plug, const IRECT& numberRect, const IRECT& nameRect,
                const IText& text, LICE_pixel background);
  void draw(LICE_IBitmap& dest, const IRECT& clip) override;
  void onMouseDown(int x, int y, const IMouseMod& mod) override;
  void onTextEntryFinished(bool accepted, const std::string& text) override;

  // Four groups of sixteen programs, the current one checked.
  std::unique_ptr<IPopupMenu> buildMenu() const;
  // The program a choice in one of the groups stands for, or -1.
  static int programChosen(const IPopupMenu& menu, const IPopupMenu* chosenMenu, int item);

 private:
  IPlugCommands& plug_;
  IRECT numberRect_;
  IRECT nameRect_;
  IText text_;
  LICE_pixel background_;
};

// The options button: program, bank, configuration and MIDI commands.
class ITWOptionMenu : public IControl {
 public:
  ITWOptionMenu(IGraphicsEditor& graphics, IPlugCommands& plug, const IRECT& rect, int identifier);
  void draw(LICE_IBitmap& /*dest*/, const IRECT& /*clip*/) override {}
  void onMouseDown(int x, int y, const IMouseMod& mod) override;

  std::unique_ptr<IPopupMenu> buildMenu() const;
  // The command number of a choice, or -1.
  static int commandChosen(const IPopupMenu& menu, const IPopupMenu* chosenMenu, int item);
  // Runs the command of that number; every control is drawn again afterwards.
  void runCommand(int number);

 private:
  IPlugCommands& plug_;
};

// Shows its parameter's display text; a click picks another from a menu, grouped by thirty.
class ITWPopUpMenuControl : public IControl {
 public:
  static constexpr int kTextsPerGroup = 30;

  ITWPopUpMenuControl(IGraphicsEditor& graphics, const IRECT& rect, int paramIdx, const IText& text,
                      bool grouping = true);
  void draw(LICE_IBitmap& dest, const IRECT& clip) override;
  void onMouseDown(int x, int y, const IMouseMod& mod) override;

  std::unique_ptr<IPopupMenu> buildMenu() const;
  // The display-text position a choice stands for (group base added), or -1.
  int positionChosen(const IPopupMenu& menu, const IPopupMenu* chosenMenu, int item) const;

 private:
  IText text_;
  bool grouping_;
};

}  // namespace sorvel
