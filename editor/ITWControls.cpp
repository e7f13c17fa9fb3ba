#include "editor/ITWControls.h"

#include "editor/IGraphicsEditor.h"
#include "editor/LICE.h"
#include "editor/IPlugCommands.h"

namespace sorvel {

ITWUtilityKick::ITWUtilityKick(IGraphicsEditor& graphics, int x, int y, const IBitmap& bitmap, int identifier,
                               std::function<void()> action)
    : IBitmapControl(graphics, x, y, bitmap, identifier), action_(std::move(action)) {}

void ITWUtilityKick::onMouseDown(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {
  setValue(1.0);
  if (action_) action_();
}

void ITWUtilityKick::onMouseUp(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) { setValue(0.0); }

ITWUtilityFlip::ITWUtilityFlip(IGraphicsEditor& graphics, int x, int y, const IBitmap& bitmap, int identifier,
                               int preset, std::function<void(int)> select)
    : IBitmapControl(graphics, x, y, bitmap, identifier), preset_(preset), select_(std::move(select)) {}

void ITWUtilityFlip::onMouseDown(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {
  if (select_) select_(preset_);
}

void ITWUtilityFlip::showSelection(int selected) {
  const double lit = selected == preset_ ? 1.0 : 0.0;
  if (lit != value_) setValue(lit);
}

void ITWTextLabel::draw(LICE_IBitmap& dest, const IRECT& clip) {
  constexpr int kSmallestSize = 8;
  constexpr int kMargin = 2;  // pixels kept free on each side, so neighbours never touch
  IText fitted = text_;
  while (fitted.size > kSmallestSize) {
    LICE_IFont* font = LICE_GetFont(fitted.font, fitted.size);
    if (font == nullptr || font->measure(str_) <= rect_.W() - 2 * kMargin) break;
    --fitted.size;
  }
  drawText(dest, fitted, str_, rect_, clip);
}

namespace {

IRECT learnRect(int x, int y, const IBitmap& bitmap) { return {x, y, x + bitmap.frameWidth(), y + bitmap.frameHeight()}; }

}  // namespace

ITWSwitchMidiLearn::ITWSwitchMidiLearn(IGraphicsEditor& graphics, int x, int y, IPlugCommands& plug,
                                       const IBitmap& learn, const IBitmap& unlearn, int identifier)
    : IControl(graphics, learnRect(x, y, learn), identifier), plug_(plug), learn_(learn), unlearn_(unlearn) {}

void ITWSwitchMidiLearn::draw(LICE_IBitmap& dest, const IRECT& clip) {
  const IBitmap& bitmap = unlearnMode_ ? unlearn_ : learn_;
  if (bitmap.image == nullptr) return;
  LICE_BlitFrame(dest, *bitmap.image, bitmap.frames, value_ > 0.5 ? 1 : 0, rect_.L, rect_.T, clip);
}

void ITWSwitchMidiLearn::onMouseDown(int /*x*/, int /*y*/, const IMouseMod& mod) {
  const bool on = value_ > 0.5;
  if (mod.R) {
    if (!on) {
      unlearnMode_ = !unlearnMode_;
      setDirty();
    }
    return;
  }
  setValue(on ? 0.0 : 1.0);
  plug_.armLearn(!on, unlearnMode_);
}

}  // namespace sorvel
