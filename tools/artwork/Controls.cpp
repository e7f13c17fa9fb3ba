#include "tools/artwork/Controls.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

namespace artwork {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr Rgb kWhite = {1, 1, 1};
constexpr Rgb kBlack = {0, 0, 0};

double radians(double degrees) { return degrees * kPi / 180; }

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

void circle(cairo_t* cr, double x, double y, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x, y, radius, 0, 2 * kPi);
}

// A soft light around a lit element.
void glow(cairo_t* cr, double x, double y, double radius, Rgb colour, double alpha) {
  cairo_pattern_t* light = cairo_pattern_create_radial(x, y, 0, x, y, radius);
  cairo_pattern_add_color_stop_rgba(light, 0, colour.r, colour.g, colour.b, alpha);
  cairo_pattern_add_color_stop_rgba(light, 1, colour.r, colour.g, colour.b, 0);
  cairo_set_source(cr, light);
  circle(cr, x, y, radius);
  cairo_fill(cr);
  cairo_pattern_destroy(light);
}

// A raised push button face; pressed buttons sit lower and darker.
void buttonFace(cairo_t* cr, double x, double y, double w, double h, double radius, bool pressed) {
  roundedRect(cr, x, y + 1, w, h, radius);
  setColour(cr, kBlack, 0.45);
  cairo_fill(cr);
  roundedRect(cr, x, y, w, h, radius);
  const Rgb base = kColours.button;
  if (pressed) {
    fillVertical(cr, y, y + h, mix(base, kBlack, 0.35), mix(base, kBlack, 0.15));
  } else {
    fillVertical(cr, y, y + h, mix(base, kWhite, 0.12), mix(base, kBlack, 0.15));
  }
  roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius);
  setColour(cr, pressed ? mix(kColours.buttonEdge, kBlack, 0.3) : kColours.buttonEdge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void triangle(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2) {
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  cairo_close_path(cr);
}

}  // namespace

void drawKnob(cairo_t* cr, double size, double position) {
  const double c = size / 2;
  const double track = std::max(2.0, size / 12);
  const double trackRadius = c - track / 2 - 0.5;
  const double start = 90 + (360 - kKnobSweepDegrees) / 2;
  const double angle = start + kKnobSweepDegrees * position;

  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, track);
  setColour(cr, kColours.knobTrack);
  cairo_arc(cr, c, c, trackRadius, radians(start), radians(start + kKnobSweepDegrees));
  cairo_stroke(cr);
  if (position > 0) {
    setColour(cr, kColours.knobArc);
    cairo_arc(cr, c, c, trackRadius, radians(start), radians(angle));
    cairo_stroke(cr);
  }

  const double body = c - track - 1.8;
  circle(cr, c, c + 1, body + 0.6);
  setColour(cr, kBlack, 0.5);
  cairo_fill(cr);
  circle(cr, c, c, body);
  setColour(cr, kColours.knobRim);
  cairo_fill(cr);
  circle(cr, c, c, body - 1);
  cairo_pattern_t* face = cairo_pattern_create_linear(0, c - body, 0, c + body);
  cairo_pattern_add_color_stop_rgb(face, 0, kColours.knobTop.r, kColours.knobTop.g, kColours.knobTop.b);
  cairo_pattern_add_color_stop_rgb(face, 1, kColours.knobBottom.r, kColours.knobBottom.g, kColours.knobBottom.b);
  cairo_set_source(cr, face);
  cairo_fill(cr);
  cairo_pattern_destroy(face);
  circle(cr, c, c, body * 0.62);
  fillVertical(cr, c - body * 0.62, c + body * 0.62, mix(kColours.knobBottom, kBlack, 0.1),
               mix(kColours.knobTop, kBlack, 0.1));

  const double dx = std::cos(radians(angle));
  const double dy = std::sin(radians(angle));
  cairo_set_line_width(cr, std::max(1.6, size / 15));
  setColour(cr, kColours.knobPointer);
  cairo_move_to(cr, c + dx * body * 0.3, c + dy * body * 0.3);
  cairo_line_to(cr, c + dx * (body - 1.6), c + dy * (body - 1.6));
  cairo_stroke(cr);
}

void drawTab(cairo_t* cr, const TabSwitch& tab, bool on) {
  const double x = 1.5, y = 3, w = 29, h = 66;
  const double press = on ? 2 : 0;
  const Rgb face = tab.section->tabFace;

  roundedRect(cr, x - 1.5, y - 1.5, w + 3, h + 3, 4.5);
  setColour(cr, kColours.tabShadow, 0.7);
  cairo_fill(cr);
  roundedRect(cr, x, y + press, w, h - press, 3);
  if (on) {
    fillVertical(cr, y + press, y + h, mix(face, kBlack, 0.3), mix(face, kBlack, 0.1));
  } else {
    fillVertical(cr, y, y + h, mix(face, kWhite, 0.3), mix(face, kBlack, 0.12));
  }
  if (!on) {
    cairo_set_line_width(cr, 1);
    setColour(cr, kWhite, 0.45);
    cairo_move_to(cr, x + 3, y + 0.5);
    cairo_line_to(cr, x + w - 3, y + 0.5);
    cairo_stroke(cr);
  }

  const std::vector<std::string> legend = lines(tab.legend);
  // The legend block is centred in the face above the lamp.
  const double lineHeight = 11;
  double lineY = y + press + 22 - lineHeight * (static_cast<double>(legend.size()) - 1) / 2;
  for (const std::string& line : legend) {
    const bool footage = !line.empty() && line.back() == '\'';
    drawTextFitted(cr, footage ? kFootageFont : kLegendFont, kColours.tabLegend, x + w / 2, lineY, line, w - 1);
    lineY += lineHeight;
  }

  const double lampX = x + 7, lampY = y + h - 12 + press, lampW = w - 14, lampH = 5;
  roundedRect(cr, lampX - 1, lampY - 1, lampW + 2, lampH + 2, 2.5);
  setColour(cr, kBlack, 0.55);
  cairo_fill(cr);
  roundedRect(cr, lampX, lampY, lampW, lampH, 2);
  if (on) {
    fillVertical(cr, lampY, lampY + lampH, mix(kColours.lamp, kWhite, 0.45), kColours.lampGlow);
    glow(cr, lampX + lampW / 2, lampY + lampH / 2, 10, kColours.lamp, 0.35);
  } else {
    setColour(cr, kColours.lampOff);
    cairo_fill(cr);
  }
}

void drawLever(cairo_t* cr, double width, double height, int positions, int position) {
  const double slotW = 6;
  roundedRect(cr, (width - slotW) / 2, 1.5, slotW, height - 3, 3);
  setColour(cr, kColours.recess);
  cairo_fill_preserve(cr);
  setColour(cr, kColours.recessEdge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);

  const double capH = 8, capW = width - 2;
  const double travel = height - 4 - capH;
  const double capY = 2 + travel * position / std::max(1, positions - 1);
  roundedRect(cr, 1, capY + 1, capW, capH, 2);
  setColour(cr, kBlack, 0.5);
  cairo_fill(cr);
  roundedRect(cr, 1, capY, capW, capH, 2);
  fillVertical(cr, capY, capY + capH, hex(0xe8e2d4), hex(0x8f8b83));
  cairo_set_line_width(cr, 1);
  setColour(cr, hex(0x5d5a55));
  cairo_move_to(cr, 3, capY + capH / 2);
  cairo_line_to(cr, width - 3, capY + capH / 2);
  cairo_stroke(cr);
}

void drawVoiceCount(cairo_t* cr, double width, double height, const char* count) {
  roundedRect(cr, 0.5, 0.5, width - 1, height - 1, 3);
  setColour(cr, kColours.recess);
  cairo_fill_preserve(cr);
  setColour(cr, kColours.recessEdge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  drawText(cr, kDisplayFont, kColours.displayText, width / 2, height / 2, count);
}

void drawLearnButton(cairo_t* cr, double width, double height, const char* text, bool armed, Rgb armedLamp) {
  buttonFace(cr, 1, 1, width - 2, height - 3, 4, armed);
  const double ledX = 11, ledY = (height - 1) / 2;
  circle(cr, ledX, ledY, 3);
  setColour(cr, armed ? armedLamp : kColours.lampOff);
  cairo_fill(cr);
  if (armed) glow(cr, ledX, ledY, 8, armedLamp, 0.5);
  const double textX = (width + 18) / 2;
  drawText(cr, kSmallFont, armed ? kColours.label : kColours.labelDim, textX, ledY - 4.5, "MIDI", Align::Centre, 1);
  drawTextFitted(cr, kButtonFont, armed ? mix(armedLamp, kWhite, 0.3) : kColours.buttonText, textX, ledY + 5, text,
                 width - 24);
}

void drawLed(cairo_t* cr, double size) {
  const double c = size / 2;
  cairo_pattern_t* light = cairo_pattern_create_radial(c - 0.8, c - 0.8, 0, c, c, c);
  cairo_pattern_add_color_stop_rgb(light, 0, 1, 0.95, 0.82);
  cairo_pattern_add_color_stop_rgb(light, 0.55, kColours.lamp.r, kColours.lamp.g, kColours.lamp.b);
  cairo_pattern_add_color_stop_rgba(light, 1, kColours.lampGlow.r, kColours.lampGlow.g, kColours.lampGlow.b, 0.35);
  cairo_set_source(cr, light);
  circle(cr, c, c, c);
  cairo_fill(cr);
  cairo_pattern_destroy(light);
}

void drawSelectButton(cairo_t* cr, double size, bool pressed) {
  buttonFace(cr, 1, 0.5, size - 2, size - 2.5, 3, pressed);
  const double c = size / 2;
  triangle(cr, c - 3.5, c - 2, c + 3.5, c - 2, c, c + 2.5);
  setColour(cr, pressed ? kColours.lamp : kColours.label);
  cairo_fill(cr);
  if (pressed) glow(cr, c, c, 7, kColours.lamp, 0.35);
}

void drawFlipButton(cairo_t* cr, double width, double height, bool selected) {
  buttonFace(cr, 1.5, 1.5, width - 3, height - 4, 3, selected);
  const double lampX = 6, lampY = height / 2 - 2.5, lampW = width - 12, lampH = 4;
  roundedRect(cr, lampX, lampY, lampW, lampH, 2);
  if (selected) {
    setColour(cr, kColours.lamp);
    cairo_fill(cr);
    glow(cr, width / 2, lampY + lampH / 2, 9, kColours.lamp, 0.4);
  } else {
    setColour(cr, kColours.lampOff);
    cairo_fill(cr);
  }
}

void drawSelectStrip(cairo_t* cr, double width, double height) {
  // Two rails: the footage buttons, then a gap, then the tone buttons.
  const double footageEnd = 241, toneStart = 285;
  for (const auto& [x0, x1] : {std::pair{0.5, footageEnd}, std::pair{toneStart, width - 0.5}}) {
    roundedRect(cr, x0, 3.5, x1 - x0, height - 4, 4);
    setColour(cr, kColours.recess);
    cairo_fill_preserve(cr);
    setColour(cr, kColours.recessEdge, 0.7);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  drawText(cr, {"Liberation Sans Narrow", true, 9}, kColours.labelDim, (footageEnd + toneStart) / 2,
           height / 2 + 1, "EDIT");
}

void drawRing(cairo_t* cr, double size) {
  const double c = size / 2;
  glow(cr, c, c, c, kColours.lamp, 0.35);
  circle(cr, c, c, c - 3.5);
  cairo_set_line_width(cr, 2.2);
  setColour(cr, kColours.lamp);
  cairo_stroke(cr);
  circle(cr, c, c, 1.6);
  setColour(cr, mix(kColours.lamp, kWhite, 0.4));
  cairo_fill(cr);
}

void drawCover(cairo_t* cr, double width, double height) {
  roundedRect(cr, 0, 0, width, height, 6);
  fillVertical(cr, 0, height, hex(0x40434a), hex(0x2e3035));
  roundedRect(cr, 0.5, 0.5, width - 1, height - 1, 6);
  setColour(cr, hex(0x60646d));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  roundedRect(cr, 6.5, 6.5, width - 13, height - 13, 4);
  setColour(cr, kBlack, 0.35);
  cairo_stroke(cr);

  for (const auto& [sx, sy] : {std::pair{12.0, 12.0}, std::pair{width - 12, 12.0}, std::pair{12.0, height - 12},
                               std::pair{width - 12, height - 12}}) {
    circle(cr, sx, sy, 3.2);
    fillVertical(cr, sy - 3.2, sy + 3.2, hex(0x8a8d94), hex(0x3b3d42));
    cairo_set_line_width(cr, 1);
    setColour(cr, hex(0x25262a));
    cairo_move_to(cr, sx - 2.2, sy + 1);
    cairo_line_to(cr, sx + 2.2, sy - 1);
    cairo_stroke(cr);
  }

  // A small sketch of what lies beneath: a filter slope and an envelope.
  const double sketchY = 44;
  cairo_set_line_width(cr, 1.6);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  setColour(cr, kSynthe.accent, 0.85);
  cairo_move_to(cr, 150, sketchY);
  cairo_line_to(cr, 178, sketchY);
  cairo_curve_to(cr, 186, sketchY, 188, sketchY - 8, 192, sketchY - 8);
  cairo_curve_to(cr, 196, sketchY - 8, 198, sketchY + 14, 208, sketchY + 16);
  cairo_stroke(cr);
  setColour(cr, kInstrument.accent, 0.85);
  cairo_move_to(cr, 234, sketchY + 16);
  cairo_line_to(cr, 244, sketchY - 8);
  cairo_line_to(cr, 256, sketchY + 2);
  cairo_line_to(cr, 276, sketchY + 2);
  cairo_line_to(cr, 292, sketchY + 16);
  cairo_stroke(cr);

  drawText(cr, {"Liberation Sans", true, 14}, kColours.label, width / 2, 82, "PRESET EDIT", Align::Centre, 2);
  drawText(cr, {"Liberation Sans", false, 11}, kColours.labelDim, width / 2, 100,
           "Click to open gain, filter and envelope of each preset");
}

void drawStepButton(cairo_t* cr, double size, bool forward, bool pressed) {
  buttonFace(cr, 1, 0.5, size - 2, size - 2.5, 3, pressed);
  const double c = size / 2 - 0.5;
  if (forward) {
    triangle(cr, c - 2.5, c - 4.5, c + 3.5, c, c - 2.5, c + 4.5);
  } else {
    triangle(cr, c + 2.5, c - 4.5, c - 3.5, c, c + 2.5, c + 4.5);
  }
  setColour(cr, pressed ? kColours.lamp : kColours.label);
  cairo_fill(cr);
}

}  // namespace artwork
