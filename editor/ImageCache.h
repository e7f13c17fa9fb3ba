// The editor's images, decoded from the library's resources once per process and kept, read-only,
// for every editor of every instance.
#pragma once

#include <string_view>

#include "editor/LICE_Bitmap.h"

namespace sorvel {

// The image with this resource number and name; null when there is no such resource or it is no
// readable PNG. Safe to call from several threads.
const LICE_IBitmap* LICE_LoadImage(int number, std::string_view name);

}  // namespace sorvel
