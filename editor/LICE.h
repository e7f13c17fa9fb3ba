// Drawing into a LICE_IBitmap: fills, blits with alpha and frames of vertical strips, each held
// to a clip rectangle (the part of the panel being redrawn).
#pragma once

#include "editor/IGraphicsTypes.h"
#include "editor/LICE_Bitmap.h"

namespace sorvel {

// The bitmap's own rectangle.
IRECT LICE_Bounds(const LICE_IBitmap& bitmap);

// Replaces the pixels of rect (within clip) by color.
void LICE_FillRect(LICE_IBitmap& dest, const IRECT& rect, LICE_pixel color, const IRECT& clip);

// Draws src's rectangle srcRect with its top-left corner at (x, y) of dest, blending each pixel
// over dest by its alpha (premultiplied); only pixels inside clip change.
void LICE_Blit(LICE_IBitmap& dest, const LICE_IBitmap& src, int x, int y, const IRECT& srcRect, const IRECT& clip);

// Frame `frame` of a strip of `frames` frames stacked vertically, drawn at (x, y).
void LICE_BlitFrame(LICE_IBitmap& dest, const LICE_IBitmap& strip, int frames, int frame, int x, int y,
                    const IRECT& clip);

// A frame for a normalised value: 0 gives the first, 1 the last, in between the nearest.
int LICE_FrameForValue(double normalised, int frames);

}  // namespace sorvel
