// Text for the editor: a font found by family name and pixel height. The desktop's font service
// stands behind this interface (FreeType and fontconfig here).
#pragma once

#include <string>

#include "editor/IGraphicsTypes.h"
#include "editor/LICE_Bitmap.h"

namespace sorvel {

enum class TextAlign { Left, Center, Right };

class LICE_IFont {
 public:
  virtual ~LICE_IFont() = default;

  // Advance width of a UTF-8 text in pixels.
  virtual int measure(const std::string& utf8) = 0;
  // Draws the text on one line, vertically centred in rect and aligned inside it; only pixels in
  // clip change.
  virtual void draw(LICE_IBitmap& dest, const std::string& utf8, const IRECT& rect, TextAlign align,
                    LICE_pixel color, const IRECT& clip) = 0;
};

// The font of that family (its nearest match on this system) at a height of pixelHeight pixels
// per em; kept for the life of the process. Null when no font at all can be found.
LICE_IFont* LICE_GetFont(const std::string& family, int pixelHeight);

}  // namespace sorvel
