// The framework's controls: bitmaps, knobs, switches and text.
#pragma once

#include <string>

#include "editor/IControl.h"
#include "editor/LICE_Text.h"

namespace sorvel {

// A strip image, its number of frames and the size of one frame. The size is the layout's, so a
// control keeps its place even when its image could not be loaded.
struct IBitmap {
  const LICE_IBitmap* image = nullptr;
  int frames = 1;
  int width = 0;
  int height = 0;  // of one frame

  int frameWidth() const { return width; }
  int frameHeight() const { return height; }
};

struct IText {
  int size = 12;  // pixels per em
  LICE_pixel color = LICE_RGBA(0, 0, 0, 255);
  TextAlign align = TextAlign::Center;
  std::string font = "Arial";
};

// Shows the frame of its value; decoration unless bound. Bound to nothing, clicks fall through.
class IBitmapControl : public IControl {
 public:
  IBitmapControl(IGraphicsEditor& graphics, int x, int y, const IBitmap& bitmap, int identifier = -1);
  void draw(LICE_IBitmap& dest, const IRECT& clip) override;
  bool takesMouse() const override { return paramIdx() >= 0; }
  CursorShape cursor() const override { return CursorShape::Arrow; }

 protected:
  IBitmap bitmap_;
};

// A knob drawn from a strip of frames. A vertical drag of the knob's own height times the gearing
// sweeps the whole range (up raises it); the wheel moves it in small steps; a double click
// returns it to its default. Every gesture is one edit for the host.
class IKnobMultiControl : public IBitmapControl {
 public:
  static constexpr double kDefaultGearing = 4.0;
  static constexpr double kWheelStep = 0.01;
  static constexpr double kFineFactor = 0.1;  // shift (drag) or control (wheel)

  IKnobMultiControl(IGraphicsEditor& graphics, int x, int y, int paramIdx, const IBitmap& bitmap,
                    double gearing = kDefaultGearing);
  void onMouseDown(int x, int y, const IMouseMod& mod) override;
  void onMouseUp(int x, int y, const IMouseMod& mod) override;
  void onMouseDrag(int x, int y, int dX, int dY, const IMouseMod& mod) override;
  void onMouseDblClick(int x, int y, const IMouseMod& mod) override;
  void onMouseWheel(int x, int y, const IMouseMod& mod, float delta) override;
  CursorShape cursor() const override { return CursorShape::VerticalResize; }

  double gearing() const { return gearing_; }

 private:
  double gearing_;
  bool editing_ = false;
};

// A click steps to the next frame, after the last back to the first.
class ISwitchControl : public IBitmapControl {
 public:
  ISwitchControl(IGraphicsEditor& graphics, int x, int y, int paramIdx, const IBitmap& bitmap);
  void onMouseDown(int x, int y, const IMouseMod& mod) override;
  void onMouseDblClick(int x, int y, const IMouseMod& mod) override { onMouseDown(x, y, mod); }
};

// A switch of several positions stacked top to bottom: a click picks the position under it.
class ISwitchFramesControl : public IBitmapControl {
 public:
  ISwitchFramesControl(IGraphicsEditor& graphics, int x, int y, int paramIdx, const IBitmap& bitmap);
  void onMouseDown(int x, int y, const IMouseMod& mod) override;
};

// A line of text in a rectangle.
class ITextControl : public IControl {
 public:
  ITextControl(IGraphicsEditor& graphics, const IRECT& rect, const IText& text, const std::string& str = {},
               int identifier = -1);
  void draw(LICE_IBitmap& dest, const IRECT& clip) override;
  bool takesMouse() const override { return false; }
  void setText(const std::string& str);
  const std::string& text() const { return str_; }

 protected:
  IText text_;
  std::string str_;
};

// Draws text with the editor's font lookup; nothing when no font is found.
void drawText(LICE_IBitmap& dest, const IText& text, const std::string& str, const IRECT& rect, const IRECT& clip);

}  // namespace sorvel
