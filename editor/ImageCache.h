// The editor's images, decoded from the library's resources once per process and kept, read-only,
// for every editor of every instance. An image is decoded when it is first drawn, not when a
// panel is built: building the panel is part of creating an instance, and hosts create many.
#pragma once

#include <string_view>

#include "editor/LICE_Bitmap.h"

namespace sorvel {

// The image with this resource number and name; null when there is no such resource. The pixels
// are decoded by the first call of any of its getters; a resource that is no readable PNG then
// reads as an empty (0 x 0) image. Safe to call, and to read the images, from several threads.
const LICE_IBitmap* LICE_LoadImage(int number, std::string_view name);

}  // namespace sorvel
