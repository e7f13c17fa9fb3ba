// The base of every control on the panel: where it is, what it is bound to, how it draws itself
// from its value and what the mouse does to it.
#pragma once

#include <atomic>
#include <string>

#include "editor/IGraphicsTypes.h"
#include "editor/LICE_Bitmap.h"

namespace sorvel {

class IGraphicsEditor;

class IControl {
 public:
  // identifier: the bound parameter's index, or a negative identifier for unbound controls.
  IControl(IGraphicsEditor& graphics, const IRECT& rect, int identifier);
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  virtual void draw(LICE_IBitmap& dest, const IRECT& clip) = 0;

  virtual void onMouseDown(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {}
  virtual void onMouseUp(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {}
  virtual void onMouseDrag(int /*x*/, int /*y*/, int /*dX*/, int /*dY*/, const IMouseMod& /*mod*/) {}
  virtual void onMouseDblClick(int x, int y, const IMouseMod& mod) { onMouseDown(x, y, mod); }
  virtual void onMouseWheel(int /*x*/, int /*y*/, const IMouseMod& /*mod*/, float /*delta*/) {}
  virtual void onTextEntryFinished(bool /*accepted*/, const std::string& /*text*/) {}
  // Decoration and text let clicks fall through to what lies under them.
  virtual bool takesMouse() const { return true; }
  virtual CursorShape cursor() const { return CursorShape::Hand; }

  // Any thread (the host's audio thread too): the value is stored and shown at the next idle
  // or redraw. Nothing is allocated, drawn or locked.
  void setValueFromPlug(double normalised);
  void requestRedraw();
  // User-interface thread: takes up what setValueFromPlug and requestRedraw left.
  void applyPending();

  // User-interface thread.
  virtual void setValue(double normalised);
  // The user moved the control: the parameter follows through the plug-in and the host hears of it.
  void setValueFromUserInput(double normalised);
  double value() const { return value_; }

  void setDirty() { dirty_ = true; }
  void clearDirty() { dirty_ = false; }
  bool isDirty() const { return dirty_; }
  void hide(bool hidden);
  bool isHidden() const { return hidden_; }

  const IRECT& rect() const { return rect_; }
  int identifier() const { return identifier_; }
  // The bound parameter, or -1.
  int paramIdx() const { return identifier_ >= 0 ? identifier_ : -1; }

 protected:
  // begin/end of a gesture on the bound parameter, so that hosts record automation.
  void beginEdit();
  void endEdit();

  IGraphicsEditor& graphics_;
  IRECT rect_;
  double value_ = 0;

 private:
  int identifier_;
  bool dirty_ = true;
  bool hidden_ = false;
  std::atomic<double> pendingValue_{0};
  std::atomic<bool> valuePending_{false};
  std::atomic<bool> redrawPending_{false};
};

}  // namespace sorvel
