// Small drawing helpers over cairo shared by every image of the panel.
#pragma once

#include <cairo.h>

#include <string>

namespace artwork {

struct Rgb {
  double r, g, b;
};

constexpr Rgb hex(unsigned rgb) {
  return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0};
}

constexpr Rgb mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

struct Font {
  const char* family;
  bool bold;
  double size;  // pixels
};

enum class Align { Left, Centre, Right };

void setColour(cairo_t* cr, Rgb colour, double alpha = 1.0);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// A vertical gradient from top to bottom colour over the given span.
void fillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom);

// Text is placed by its capital height, so labels of different sizes share a centre line.
double textWidth(cairo_t* cr, const Font& font, const std::string& text, double tracking = 0);
void drawText(cairo_t* cr, const Font& font, Rgb colour, double x, double yMiddle, const std::string& text,
              Align align = Align::Centre, double tracking = 0);
// Shrinks the font in half-pixel steps until the text fits the width; returns the size used.
double drawTextFitted(cairo_t* cr, Font font, Rgb colour, double x, double yMiddle, const std::string& text,
                      double maxWidth, Align align = Align::Centre);

// A fixed rasterisation, so a regeneration gives the same pixels on any machine with the same fonts.
void useDeterministicText(cairo_t* cr);

}  // namespace artwork
