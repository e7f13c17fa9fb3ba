// How the pop-up menus and the text entry of the X11 window look, drawn with the editor's drawing
// library into the bitmap their window shows.
#pragma once

#include <string>

#include "editor/LICE_Bitmap.h"
#include "editor/x11/LineEdit.h"
#include "editor/x11/MenuLayout.h"

namespace sorvel {

int popupTextWidth(const std::string& utf8);

void drawMenuLevel(LICE_IBitmap& into, const IPopupMenu& menu, const MenuLayout& layout, int highlighted);

void drawTextEntry(LICE_IBitmap& into, const LineEdit& edit);

}  // namespace sorvel
