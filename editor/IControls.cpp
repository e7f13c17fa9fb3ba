#include "editor/IControls.h"

#include <algorithm>
#include <cmath>

#include "editor/IGraphicsEditor.h"
#include "editor/LICE.h"

namespace sorvel {

namespace {

IRECT frameRect(int x, int y, const IBitmap& bitmap) {
  return {x, y, x + bitmap.frameWidth(), y + bitmap.frameHeight()};
}

// The position of a value among n frames, and back.
int positionOf(double normalised, int frames) { return LICE_FrameForValue(normalised, frames); }
double valueOf(int position, int frames) { return frames > 1 ? static_cast<double>(position) / (frames - 1) : 0.0; }

}  // namespace

IBitmapControl::IBitmapControl(IGraphicsEditor& graphics, int x, int y, const IBitmap& bitmap, int identifier)
    : IControl(graphics, frameRect(x, y, bitmap), identifier), bitmap_(bitmap) {}

void IBitmapControl::draw(LICE_IBitmap& dest, const IRECT& clip) {
  if (bitmap_.image == nullptr) return;
  LICE_BlitFrame(dest, *bitmap_.image, bitmap_.frames, positionOf(value_, bitmap_.frames), rect_.L, rect_.T, clip);
}

IKnobMultiControl::IKnobMultiControl(IGraphicsEditor& graphics, int x, int y, int paramIdx, const IBitmap& bitmap,
                                     double gearing)
    : IBitmapControl(graphics, x, y, bitmap, paramIdx), gearing_(gearing) {}

void IKnobMultiControl::onMouseDown(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {
  if (editing_) return;
  editing_ = true;
  beginEdit();
}

void IKnobMultiControl::onMouseUp(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {
  if (!editing_) return;
  editing_ = false;
  endEdit();
}

void IKnobMultiControl::onMouseDrag(int /*x*/, int /*y*/, int /*dX*/, int dY, const IMouseMod& mod) {
  if (!editing_ || dY == 0 || rect_.H() <= 0) return;
  double change = -static_cast<double>(dY) / (gearing_ * rect_.H());
  if (mod.S) change *= kFineFactor;
  setValueFromUserInput(std::clamp(value_ + change, 0.0, 1.0));
}

void IKnobMultiControl::onMouseDblClick(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {
  const IParam* p = graphics_.plug().parameter(paramIdx());
  if (p == nullptr) return;
  // The button is down again: its release ends this gesture.
  if (!editing_) {
    editing_ = true;
    beginEdit();
  }
  setValueFromUserInput(p->toNormalised(p->defaultValue()));
}

void IKnobMultiControl::onMouseWheel(int /*x*/, int /*y*/, const IMouseMod& mod, float delta) {
  if (delta == 0.0f || editing_) return;
  const double step = mod.C ? kWheelStep * kFineFactor : kWheelStep;
  beginEdit();
  setValueFromUserInput(std::clamp(value_ + step * delta, 0.0, 1.0));
  endEdit();
}

ISwitchControl::ISwitchControl(IGraphicsEditor& graphics, int x, int y, int paramIdx, const IBitmap& bitmap)
    : IBitmapControl(graphics, x, y, bitmap, paramIdx) {}

void ISwitchControl::onMouseDown(int /*x*/, int /*y*/, const IMouseMod& /*mod*/) {
  const int frames = std::max(1, bitmap_.frames);
  const int next = (positionOf(value_, frames) + 1) % frames;
  beginEdit();
  setValueFromUserInput(valueOf(next, frames));
  endEdit();
}

ISwitchFramesControl::ISwitchFramesControl(IGraphicsEditor& graphics, int x, int y, int paramIdx,
                                           const IBitmap& bitmap)
    : IBitmapControl(graphics, x, y, bitmap, paramIdx) {}

void ISwitchFramesControl::onMouseDown(int /*x*/, int y, const IMouseMod& /*mod*/) {
  const int frames = std::max(1, bitmap_.frames);
  if (rect_.H() <= 0) return;
  const int position = std::clamp((y - rect_.T) * frames / rect_.H(), 0, frames - 1);
  beginEdit();
  setValueFromUserInput(valueOf(position, frames));
  endEdit();
}

ITextControl::ITextControl(IGraphicsEditor& graphics, const IRECT& rect, const IText& text, const std::string& str,
                           int identifier)
    : IControl(graphics, rect, identifier), text_(text), str_(str) {}

void ITextControl::draw(LICE_IBitmap& dest, const IRECT& clip) { drawText(dest, text_, str_, rect_, clip); }

void ITextControl::setText(const std::string& str) {
  if (str == str_) return;
  str_ = str;
  setDirty();
}

void drawText(LICE_IBitmap& dest, const IText& text, const std::string& str, const IRECT& rect, const IRECT& clip) {
  if (str.empty()) return;
  if (LICE_IFont* font = LICE_GetFont(text.font, text.size)) {
    font->draw(dest, str, rect, text.align, text.color, clip.intersection(rect));
  }
}

}  // namespace sorvel
