// The panel background: boxes, headings, sockets and a label for every control.
#pragma once

#include <cairo.h>

namespace artwork {

void drawBackground(cairo_t* cr, double width, double height);

}  // namespace artwork
