// The instrument's own controls: push buttons, the preset flip buttons, text labels and the
// MIDI learn button.
#pragma once

#include <functional>

#include "editor/IControls.h"

namespace sorvel {

class IPlugCommands;

// A push button: shows its second frame while pressed and runs its action on the press.
class ITWUtilityKick : public IBitmapControl {
 public:
  ITWUtilityKick(IGraphicsEditor& graphics, int x, int y, const IBitmap& bitmap, int identifier,
                 std::function<void()> action);
  void onMouseDown(int x, int y, const IMouseMod& mod) override;
  void onMouseUp(int x, int y, const IMouseMod& mod) override;
  bool takesMouse() const override { return true; }
  CursorShape cursor() const override { return CursorShape::Hand; }

 private:
  std::function<void()> action_;
};

// One preset's button of the flip row: lit while its preset is the one selected.
class ITWUtilityFlip : public IBitmapControl {
 public:
  ITWUtilityFlip(IGraphicsEditor& graphics, int x, int y, const IBitmap& bitmap, int identifier, int preset,
                 std::function<void(int)> select);
  void onMouseDown(int x, int y, const IMouseMod& mod) override;
  bool takesMouse() const override { return true; }
  CursorShape cursor() const override { return CursorShape::Hand; }
  // Told the selection: lit when it is this button's preset.
  void showSelection(int selected);

 private:
  int preset_;
  std::function<void(int)> select_;
};

// A text that changes with the panel's state; a text too wide for its place is drawn smaller.
class ITWTextLabel : public ITextControl {
 public:
  using ITextControl::ITextControl;
  void draw(LICE_IBitmap& dest, const IRECT& clip) override;
};

// Left click toggles learning in the button's mode; right click while off swaps learn and unlearn.
class ITWSwitchMidiLearn : public IControl {
 public:
  ITWSwitchMidiLearn(IGraphicsEditor& graphics, int x, int y, IPlugCommands& plug, const IBitmap& learn,
                     const IBitmap& unlearn, int identifier);
  void draw(LICE_IBitmap& dest, const IRECT& clip) override;
  void onMouseDown(int x, int y, const IMouseMod& mod) override;
  void onMouseDblClick(int x, int y, const IMouseMod& mod) override { onMouseDown(x, y, mod); }
  bool unlearnMode() const { return unlearnMode_; }

 private:
  IPlugCommands& plug_;
  IBitmap learn_;
  IBitmap unlearn_;
  bool unlearnMode_ = false;
};

}  // namespace sorvel
