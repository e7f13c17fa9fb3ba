#include "tools/artwork/Paint.h"

#include <cmath>
#include <numbers>

namespace artwork {

namespace {

void selectFont(cairo_t* cr, const Font& font) {
  cairo_select_font_face(cr, font.family, CAIRO_FONT_SLANT_NORMAL,
                         font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, font.size);
}

}  // namespace

void setColour(cairo_t* cr, Rgb colour, double alpha) { cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha); }

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
  const double pi = std::numbers::pi;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - radius, y + radius, radius, -pi / 2, 0);
  cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, pi / 2);
  cairo_arc(cr, x + radius, y + h - radius, radius, pi / 2, pi);
  cairo_arc(cr, x + radius, y + radius, radius, pi, 3 * pi / 2);
  cairo_close_path(cr);
}

void fillVertical(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom) {
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
  cairo_set_source(cr, gradient);
  cairo_fill(cr);
  cairo_pattern_destroy(gradient);
}

double textWidth(cairo_t* cr, const Font& font, const std::string& text, double tracking) {
  selectFont(cr, font);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  const double gaps = text.empty() ? 0 : tracking * static_cast<double>(text.size() - 1);
  return extents.x_advance + gaps;
}

void drawText(cairo_t* cr, const Font& font, Rgb colour, double x, double yMiddle, const std::string& text,
              Align align, double tracking) {
  if (text.empty()) return;
  const double width = textWidth(cr, font, text, tracking);
  cairo_text_extents_t capital;
  cairo_text_extents(cr, "H", &capital);
  double left = x;
  if (align == Align::Centre) left = x - width / 2;
  if (align == Align::Right) left = x - width;
  // Whole-pixel baselines and starts keep small capitals crisp.
  const double baseline = std::round(yMiddle - capital.y_bearing / 2);
  left = std::round(left);
  setColour(cr, colour);
  if (tracking == 0) {
    cairo_move_to(cr, left, baseline);
    cairo_show_text(cr, text.c_str());
    return;
  }
  for (const char c : text) {
    const char glyph[2] = {c, 0};
    cairo_text_extents_t extents;
    cairo_text_extents(cr, glyph, &extents);
    cairo_move_to(cr, left, baseline);
    cairo_show_text(cr, glyph);
    left += extents.x_advance + tracking;
  }
}

double drawTextFitted(cairo_t* cr, Font font, Rgb colour, double x, double yMiddle, const std::string& text,
                      double maxWidth, Align align) {
  while (font.size > 6 && textWidth(cr, font, text) > maxWidth) font.size -= 0.5;
  drawText(cr, font, colour, x, yMiddle, text, align);
  return font.size;
}

void useDeterministicText(cairo_t* cr) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

}  // namespace artwork
