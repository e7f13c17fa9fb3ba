#include "editor/IGraphicsEditor.h"

#include "editor/LICE.h"
#include "platform/ModuleFolder.h"

namespace sorvel {

IGraphicsEditor::IGraphicsEditor(IPlugBase& plug) : plug_(plug), hostFactory_(makeWindowHost) {
  bound_.resize(static_cast<std::size_t>(std::max(0, plug.parameterCount())));
}

IGraphicsEditor::~IGraphicsEditor() { closeWindow(); }

bool IGraphicsEditor::openWindow(void* parent) {
  if (windowHost_) return windowIsOpen();
  windowHost_ = hostFactory_ ? hostFactory_(*this) : nullptr;
  // Before the window opens: from then on a thread of the window may be drawing.
  markAllDirty();
  if (!windowHost_ || !windowHost_->open(parent)) {
    windowHost_.reset();
    return false;
  }
  windowOpen_.store(true, std::memory_order_release);
  return true;
}

void IGraphicsEditor::closeWindow() {
  windowOpen_.store(false, std::memory_order_release);
  captured_ = nullptr;
  textAsker_ = nullptr;
  if (!windowHost_) return;
  windowHost_->close();
  windowHost_.reset();
}

void IGraphicsEditor::setParameterFromPlug(int index, double value, bool normalised) {
  if (index < 0 || index >= static_cast<int>(bound_.size())) return;
  const IParam* p = plug_.parameter(index);
  if (p == nullptr) return;
  const double x = normalised ? value : p->toNormalised(value);
  for (IControl* control : bound_[static_cast<std::size_t>(index)]) control->setValueFromPlug(x);
}

void IGraphicsEditor::prepareDrawing() {
  if (backBuffer_.getWidth() != width_ || backBuffer_.getHeight() != height_) backBuffer_.resize(width_, height_);
  allDirty_ = true;
}

std::string IGraphicsEditor::moduleFolder() const { return sorvel::moduleFolder(); }

void IGraphicsEditor::addControl(std::unique_ptr<IControl> control) {
  const int index = control->paramIdx();
  if (index >= 0 && index < static_cast<int>(bound_.size())) bound_[static_cast<std::size_t>(index)].push_back(control.get());
  controls_.push_back(std::move(control));
}

void IGraphicsEditor::applyPending() {
  if (!pending_.exchange(false, std::memory_order_acquire)) return;
  for (auto& control : controls_) control->applyPending();
  if (layout_) layout_->applyPending();
}

void IGraphicsEditor::markAllDirty() {
  allDirty_ = true;
  if (windowHost_) windowHost_->invalidate();
}

bool IGraphicsEditor::drawDirty(IRECT& drawn) {
  applyPending();
  if (backBuffer_.getWidth() != width_ || backBuffer_.getHeight() != height_) prepareDrawing();
  IRECT region;
  if (allDirty_) {
    region = {0, 0, width_, height_};
  } else {
    for (auto& control : controls_) {
      if (control->isDirty()) region = region.unionWith(control->rect());
    }
  }
  region = region.intersection({0, 0, width_, height_});
  for (auto& control : controls_) control->clearDirty();
  allDirty_ = false;
  if (region.empty()) return false;
  // Everything under the region is drawn again in order, so overlapping controls stay right.
  LICE_FillRect(backBuffer_, region, LICE_RGBA(0, 0, 0, 255), region);
  for (auto& control : controls_) {
    if (!control->isHidden() && control->rect().intersects(region)) control->draw(backBuffer_, region);
  }
  drawn = region;
  return true;
}

IControl* IGraphicsEditor::controlAt(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    IControl* control = it->get();
    if (!control->isHidden() && control->takesMouse() && control->rect().contains(x, y)) return control;
  }
  return nullptr;
}

void IGraphicsEditor::onMouseDown(int x, int y, const IMouseMod& mod) {
  applyPending();
  captured_ = controlAt(x, y);
  if (captured_ != nullptr) captured_->onMouseDown(x, y, mod);
}

void IGraphicsEditor::onMouseUp(int x, int y, const IMouseMod& mod) {
  IControl* control = captured_;
  captured_ = nullptr;
  if (control != nullptr) control->onMouseUp(x, y, mod);
}

void IGraphicsEditor::onMouseDrag(int x, int y, int dX, int dY, const IMouseMod& mod) {
  if (captured_ != nullptr) captured_->onMouseDrag(x, y, dX, dY, mod);
}

void IGraphicsEditor::onMouseDblClick(int x, int y, const IMouseMod& mod) {
  applyPending();
  captured_ = controlAt(x, y);
  if (captured_ != nullptr) captured_->onMouseDblClick(x, y, mod);
}

void IGraphicsEditor::onMouseWheel(int x, int y, const IMouseMod& mod, float delta) {
  applyPending();
  if (IControl* control = controlAt(x, y)) control->onMouseWheel(x, y, mod, delta);
}

void IGraphicsEditor::onMouseOver(int x, int y, const IMouseMod& /*mod*/) {
  if (!windowHost_) return;
  const IControl* control = controlAt(x, y);
  windowHost_->setCursor(control != nullptr ? control->cursor() : CursorShape::Arrow);
}

void IGraphicsEditor::onMouseOut() {
  if (windowHost_) windowHost_->setCursor(CursorShape::Arrow);
}

void IGraphicsEditor::hostIdle() {
  if (!windowHost_ || !windowHost_->idle()) onIdle();
}

void IGraphicsEditor::onIdle() {
  if (idleWork_) idleWork_();
  const bool hadPending = pending_.load(std::memory_order_acquire);
  applyPending();
  if (!windowHost_) return;
  bool dirty = allDirty_ || hadPending;
  for (auto& control : controls_) dirty = dirty || control->isDirty();
  if (dirty) windowHost_->invalidate();
}

void IGraphicsEditor::onTextEntryFinished(bool accepted, const std::string& utf8Text) {
  IControl* asker = textAsker_;
  textAsker_ = nullptr;
  if (asker != nullptr) asker->onTextEntryFinished(accepted, utf8Text);
}

void IGraphicsEditor::setParameterFromEditor(int index, double normalised) {
  plug_.setParameterFromEditor(index, normalised);
}

int IGraphicsEditor::showPopupMenu(const IPopupMenu& menu, int x, int y, const IPopupMenu*& chosenMenu) {
  chosenMenu = nullptr;
  if (!windowHost_) return -1;
  const int chosen = windowHost_->showPopupMenu(menu, x, y, chosenMenu);
  if (chosen < 0 || chosenMenu == nullptr || chosen >= chosenMenu->itemCount()) {
    chosenMenu = nullptr;
    return -1;
  }
  return chosen;
}

void IGraphicsEditor::promptTextEntry(IControl& asker, const IRECT& where, const std::string& initial, int maxLength) {
  if (!windowHost_) return;
  textAsker_ = &asker;
  windowHost_->promptTextEntry(where, initial, maxLength);
}

bool IGraphicsEditor::openWebPage(const std::string& url) { return windowHost_ && windowHost_->openWebPage(url); }

}  // namespace sorvel
