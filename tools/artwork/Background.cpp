#include "tools/artwork/Background.h"

#include <numbers>
#include <sstream>

#include "tools/artwork/Style.h"

namespace artwork {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kWhite = {1, 1, 1};

using namespace place;

void drawLabelLines(cairo_t* cr, double x, double y, const std::string& text, Rgb colour, Align align = Align::Centre,
                    const Font& font = kLabelFont) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line); y += 10) drawText(cr, font, colour, x, y, line, align);
}

void drawFrame(cairo_t* cr, const Box& box) {
  roundedRect(cr, box.x, box.y, box.w, box.h, 7);
  fillVertical(cr, box.y, box.y + box.h, kColours.boxTop, kColours.boxBottom);
  roundedRect(cr, box.x + 0.5, box.y + 0.5, box.w - 1, box.h - 1, 7);
  setColour(cr, kColours.boxEdge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  roundedRect(cr, box.x + 1.5, box.y + 1.5, box.w - 3, box.h - 3, 6);
  setColour(cr, kWhite, 0.04);
  cairo_stroke(cr);
}

void drawBox(cairo_t* cr, const Box& box) {
  if (box.w > 0) drawFrame(cr, box);
  if (box.title[0] == 0) return;

  // The title sits on the top edge in a badge of the section's colour.
  // A narrow box centres its badge and closes up the letters.
  double tracking = kTitleTracking;
  double badgeW = textWidth(cr, kTitleFont, box.title, tracking) + 14;
  double badgeX = box.titleX > 0 ? box.titleX : box.x + 12;
  if (box.w > 0 && badgeW + 24 > box.w) {
    tracking = 0;
    badgeW = textWidth(cr, kTitleFont, box.title) + 14;
    badgeX = box.x + (box.w - badgeW) / 2;
  }
  const double badgeH = 14;
  roundedRect(cr, badgeX, box.y - badgeH / 2, badgeW, badgeH, badgeH / 2);
  setColour(cr, box.section->accent);
  cairo_fill(cr);
  drawText(cr, kTitleFont, hex(0x1d1e21), badgeX + 7, box.y, box.title, Align::Left, tracking);
}


void drawHeading(cairo_t* cr, const Heading& heading) {
  const double centre = (heading.x0 + heading.x1) / 2;
  const double half = textWidth(cr, kHeadingFont, heading.text, kHeadingTracking) / 2 + 5;
  const Rgb colour = heading.section->accent;
  cairo_set_line_width(cr, 1);
  setColour(cr, colour, 0.55);
  const double y = heading.y + 0.5;
  cairo_move_to(cr, heading.x0 + 0.5, y + 4);
  cairo_line_to(cr, heading.x0 + 0.5, y);
  cairo_line_to(cr, centre - half, y);
  cairo_move_to(cr, centre + half, y);
  cairo_line_to(cr, heading.x1 - 0.5, y);
  cairo_line_to(cr, heading.x1 - 0.5, y + 4);
  cairo_stroke(cr);
  drawText(cr, kHeadingFont, colour, centre, heading.y, heading.text, Align::Centre, kHeadingTracking);
}

// A dark window set into the panel.
void recess(cairo_t* cr, double x, double y, double w, double h, double radius) {
  roundedRect(cr, x, y, w, h, radius);
  setColour(cr, kColours.recess);
  cairo_fill(cr);
  roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius);
  cairo_set_line_width(cr, 1);
  setColour(cr, kBlack, 0.6);
  cairo_stroke(cr);
  cairo_move_to(cr, x + radius, y + h + 0.5);
  cairo_line_to(cr, x + w - radius, y + h + 0.5);
  setColour(cr, kWhite, 0.08);
  cairo_stroke(cr);
}

void ledSocket(cairo_t* cr, double x, double y, double size) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + size / 2, y + size / 2, size / 2 + 1.5, 0, 2 * kPi);
  setColour(cr, kColours.recess);
  cairo_fill(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + size / 2, y + size / 2, size / 2 - 0.5, 0, 2 * kPi);
  setColour(cr, kColours.lampOff);
  cairo_fill(cr);
}

void popUpField(cairo_t* cr, double x, double y) {
  recess(cr, x - 2, y - 2, kSourceWidth + 4, kSourceHeight + 4, 3);
  const double tx = x + kSourceWidth - 6, ty = y + kSourceHeight / 2;
  cairo_move_to(cr, tx - 3, ty - 1.5);
  cairo_line_to(cr, tx + 3, ty - 1.5);
  cairo_line_to(cr, tx, ty + 2);
  cairo_close_path(cr);
  setColour(cr, kColours.labelDim);
  cairo_fill(cr);
}

void drawTopRows(cairo_t* cr) {
  for (const KnobRow& row : kKnobRows) {
    for (std::size_t i = 0; i < row.labels.size(); ++i) {
      const double x = row.x + row.pitch * static_cast<double>(i) + row.size / 2;
      drawLabelLines(cr, x, row.y + row.size + 8, row.labels[i], kColours.label);
    }
  }
  for (const Heading& heading : kHeadings) drawHeading(cr, heading);
  // The divider between the two sound sections.
  const double divider = (kSyntheTabX + 9 * kColumn + kInstrumentTabX) / 2;
  cairo_set_line_width(cr, 1);
  setColour(cr, kColours.boxEdge);
  cairo_move_to(cr, divider + 0.5, 20);
  cairo_line_to(cr, divider + 0.5, kTabY + kTabHeight);
  cairo_stroke(cr);
  ledSocket(cr, kLfoLedX, kLfoLedY, 8);
  ledSocket(cr, kClockLedX, kClockLedY, 8);
}

void drawMiddleRow(cairo_t* cr) {
  const Rgb label = kColours.label, dim = kColours.labelDim;
  const double knobLabelY = kMasterKnobY + kLargeKnob + 8;
  drawLabelLines(cr, kVolumeX + kLargeKnob / 2, knobLabelY, "VOLUME", label);
  drawLabelLines(cr, kBalanceX + kLargeKnob / 2, knobLabelY, "BALANCE", label);
  drawLabelLines(cr, kBalanceX - 2, kMasterKnobY + kLargeKnob - 3, "SYN", dim, Align::Right);
  drawLabelLines(cr, kBalanceX + kLargeKnob + 2, kMasterKnobY + kLargeKnob - 3, "INS", dim, Align::Left);

  const char* modes[] = {"UP", "VIB", "DOWN"};
  const char* dests[] = {"INS", "S+I", "SYN"};
  drawLabelLines(cr, kKbsModeX + 7, kKbsY - 9, "MODE", label);
  drawLabelLines(cr, kKbsDestX + 7, kKbsY - 9, "DEST", label);
  for (int i = 0; i < 3; ++i) {
    const double y = kKbsY + 6 + 9 * i;
    drawLabelLines(cr, kKbsModeX + 17, y, modes[i], dim, Align::Left, kSmallFont);
    drawLabelLines(cr, kKbsDestX + 17, y, dests[i], dim, Align::Left, kSmallFont);
  }

  const double panLabelY = kPanY + kSmallKnob + 10;
  drawLabelLines(cr, kPanSyntheX + kSmallKnob / 2, panLabelY, "SYNTHE", label);
  drawLabelLines(cr, kPanInstX + kSmallKnob / 2, panLabelY, "INST", label);
  for (const double x : {kPanSyntheX, kPanInstX}) {
    drawLabelLines(cr, x - 1, kPanY + kSmallKnob - 2, "L", dim, Align::Right);
    drawLabelLines(cr, x + kSmallKnob + 1, kPanY + kSmallKnob - 2, "R", dim, Align::Left);
  }

  // Program number and name share one display window.
  recess(cr, kProgramX - 6, kProgramY - 5, kProgramRight - kProgramX + 10, kProgramBottom - kProgramY + 10, 4);
  cairo_set_line_width(cr, 1);
  setColour(cr, kColours.recessEdge, 0.6);
  cairo_move_to(cr, kProgramNameX - 3.5, kProgramY - 2);
  cairo_line_to(cr, kProgramNameX - 3.5, kProgramBottom + 2);
  cairo_stroke(cr);
  const double underY = kProgramBottom + 15;
  drawLabelLines(cr, kProgramX - 6, underY, "PROGRAM", dim, Align::Left);
  drawLabelLines(cr, (kPrevX + kNextX + 20) / 2, underY, "PREV / NEXT", label);

  roundedRect(cr, kOptionX, kOptionY + 1, kOptionSize, kOptionSize, 3);
  setColour(cr, kBlack, 0.45);
  cairo_fill(cr);
  roundedRect(cr, kOptionX, kOptionY, kOptionSize, kOptionSize, 3);
  fillVertical(cr, kOptionY, kOptionY + kOptionSize, mix(kColours.button, kWhite, 0.12),
               mix(kColours.button, kBlack, 0.15));
  setColour(cr, kColours.label);
  for (int i = 0; i < 3; ++i) {
    cairo_rectangle(cr, kOptionX + 5, kOptionY + 6 + 4 * i, kOptionSize - 10, 1.5);
  }
  cairo_fill(cr);
  drawLabelLines(cr, kOptionX + kOptionSize / 2, underY, "OPTIONS", label);
  drawLabelLines(cr, kLearnX + 38, underY, "RIGHT CLICK: MODE", dim);

  // The panel toggle: a dark ring that lights while the preset panel is open.
  cairo_new_sub_path(cr);
  cairo_arc(cr, kRingX + 8.5, kRingY + 8.5, 5, 0, 2 * kPi);
  cairo_set_line_width(cr, 2.2);
  setColour(cr, kColours.lampOff);
  cairo_stroke(cr);
  drawLabelLines(cr, kRingX + 8.5, kRingY + 27, "PANEL", label);
  drawText(cr, kLogoFont, kColours.label, 1076, 282, "SORVEL", Align::Right, 3);
  drawText(cr, {"Liberation Sans Narrow", true, 10}, kColours.labelDim, 1076, 304, "PRESET SYNTHESIZER", Align::Right, 1);
}

void drawBottomRow(cairo_t* cr) {
  const Rgb label = kColours.label, dim = kColours.labelDim;
  const char* sources[2][2] = {{"VIBRATO", "NOISE"}, {"LOW-PASS FILTER", "HIGH-PASS FILTER"}};
  const double knobX[2] = {kDepthLeftX, kDepthRightX}, fieldX[2] = {kSourceLeftX, kSourceRightX};
  for (int column = 0; column < 2; ++column) {
    for (int row = 0; row < 2; ++row) {
      const double y = kModRowY[row];
      popUpField(cr, fieldX[column], y + kSourceOffsetY);
      drawLabelLines(cr, fieldX[column], y + kSourceOffsetY + kSourceHeight + 9, sources[column][row], label, Align::Left);
      drawLabelLines(cr, knobX[column] + kSmallKnob / 2, y + kSmallKnob + 8, "DEPTH", label);
    }
  }
  drawLabelLines(cr, kVelocityX + kSmallKnob / 2, kVelocityY + kSmallKnob + 8, "VELOCITY", label);

  // Preset panel, under the cover: the fixed labels of its knobs.
  const double presetLabelY = kPresetKnobY + kTrimpot + 7;
  drawLabelLines(cr, kPresetGainX + kTrimpot / 2, presetLabelY, "GAIN", label, Align::Centre, kPresetFont);
  const char* envelope[] = {"ATTACK", "DECAY", "SUSTAIN", "RELEASE"};
  for (int j = 0; j < 4; ++j) {
    drawLabelLines(cr, kPresetEnvX + kPresetEnvPitch * j + kTrimpot / 2, presetLabelY, envelope[j], label,
                   Align::Centre, kPresetFont);
  }
  drawLabelLines(cr, kPwmSpeedX + kTrimpot + 3, kPwmSpeedY + 11, "PWM\nSPEED", dim, Align::Left, kSmallFont);
  drawLabelLines(cr, kCoverX + 8, kPwmSpeedY + 15, "PRESET", dim, Align::Left);

  drawLabelLines(cr, kChorusSwitchX + 18, kChorusSwitchY + 5, "ON", dim, Align::Left);
  drawLabelLines(cr, kChorusSwitchX + 18, kChorusSwitchY + 15, "OFF", dim, Align::Left);
  const double mixLabelY = kChorusMixY + kSmallKnob + 8;
  drawLabelLines(cr, kChorusMixX[0] + kSmallKnob / 2, mixLabelY, "SYN MIX", label);
  drawLabelLines(cr, kChorusMixX[1] + kSmallKnob / 2, mixLabelY, "INS MIX", label);
  const char* lower[] = {"RATE 1", "RATE 2", "DEPTH"};
  for (int i = 0; i < 3; ++i) {
    drawLabelLines(cr, kChorusLowX + kChorusLowPitch * i + kSmallKnob / 2, kChorusLowY + kSmallKnob + 8, lower[i], label);
  }
}

}  // namespace

void drawBackground(cairo_t* cr, double width, double height) {
  cairo_rectangle(cr, 0, 0, width, height);
  fillVertical(cr, 0, height, kColours.panelTop, kColours.panelBottom);
  for (const Box& box : kBoxes) drawBox(cr, box);
  drawTopRows(cr);
  drawMiddleRow(cr);
  drawBottomRow(cr);
}

}  // namespace artwork
