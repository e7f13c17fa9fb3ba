// PNG images in and out of LICE bitmaps (libpng).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "editor/LICE_Bitmap.h"

namespace sorvel {

// Decodes a PNG held in memory into premultiplied pixels; false (and the bitmap untouched) when
// the data is not a readable PNG.
bool LICE_LoadPNGFromMemory(const std::uint8_t* data, std::size_t size, LICE_MemBitmap& bitmap);

// Writes the bitmap as an 8-bit RGBA PNG file, undoing the premultiplication.
bool LICE_WritePNG(const std::string& path, const LICE_IBitmap& bitmap);

}  // namespace sorvel
