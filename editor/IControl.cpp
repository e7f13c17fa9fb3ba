#include "editor/IControl.h"

#include <algorithm>

#include "editor/IGraphicsEditor.h"

namespace sorvel {

IControl::IControl(IGraphicsEditor& graphics, const IRECT& rect, int identifier)
    : graphics_(graphics), rect_(rect), identifier_(identifier) {}

void IControl::setValueFromPlug(double normalised) {
  pendingValue_.store(normalised, std::memory_order_relaxed);
  valuePending_.store(true, std::memory_order_release);
  graphics_.notePending();
}

void IControl::requestRedraw() {
  redrawPending_.store(true, std::memory_order_release);
  graphics_.notePending();
}

void IControl::applyPending() {
  if (valuePending_.exchange(false, std::memory_order_acquire)) {
    const double v = pendingValue_.load(std::memory_order_relaxed);
    if (v != value_) setValue(v);
  }
  if (redrawPending_.exchange(false, std::memory_order_acquire)) setDirty();
}

void IControl::setValue(double normalised) {
  value_ = std::clamp(normalised, 0.0, 1.0);
  setDirty();
}

void IControl::setValueFromUserInput(double normalised) {
  setValue(normalised);
  if (paramIdx() >= 0) graphics_.setParameterFromEditor(paramIdx(), value_);
}

void IControl::hide(bool hidden) {
  if (hidden == hidden_) return;
  hidden_ = hidden;
  setDirty();
}

void IControl::beginEdit() {
  if (paramIdx() >= 0) graphics_.plug().beginParameterEdit(paramIdx());
}

void IControl::endEdit() {
  if (paramIdx() >= 0) graphics_.plug().endParameterEdit(paramIdx());
}

}  // namespace sorvel
