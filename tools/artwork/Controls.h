// One frame of each control image, drawn at the origin of the given cairo context.
#pragma once

#include <cairo.h>

#include "tools/artwork/Style.h"

namespace artwork {

// position 0 is the minimum, 1 the maximum.
void drawKnob(cairo_t* cr, double size, double position);
void drawTab(cairo_t* cr, const TabSwitch& tab, bool on);
// A lever switch of the given number of positions; position 0 is the lever at the top.
void drawLever(cairo_t* cr, double width, double height, int positions, int position);
void drawVoiceCount(cairo_t* cr, double width, double height, const char* count);
void drawLearnButton(cairo_t* cr, double width, double height, const char* text, bool armed, Rgb armedLamp);
void drawLed(cairo_t* cr, double size);
void drawSelectButton(cairo_t* cr, double size, bool pressed);
void drawFlipButton(cairo_t* cr, double width, double height, bool selected);
void drawSelectStrip(cairo_t* cr, double width, double height);
void drawRing(cairo_t* cr, double size);
void drawCover(cairo_t* cr, double width, double height);
void drawStepButton(cairo_t* cr, double size, bool forward, bool pressed);

}  // namespace artwork
