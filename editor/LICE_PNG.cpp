#include "editor/LICE_PNG.h"

#include <png.h>

#include <algorithm>
#include <vector>

namespace sorvel {

namespace {

// Larger images are refused rather than decoded: the panel's biggest is 1104 x 488.
constexpr png_uint_32 kLargestSide = 8192;

}  // namespace

bool LICE_LoadPNGFromMemory(const std::uint8_t* data, std::size_t size, LICE_MemBitmap& bitmap) {
  if (data == nullptr || size == 0) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, data, size) == 0) return false;
  if (image.width == 0 || image.height == 0 || image.width > kLargestSide || image.height > kLargestSide) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_BGRA;
  std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return false;
  }
  const int width = static_cast<int>(image.width);
  const int height = static_cast<int>(image.height);
  bitmap.resize(width, height);
  LICE_pixel* out = bitmap.getBits();
  for (std::size_t i = 0, n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height); i < n; ++i) {
    const std::uint8_t* p = &bytes[i * 4];
    const unsigned a = p[3];
    const auto pre = [a](unsigned c) { return (c * a + 127) / 255; };
    out[i] = LICE_RGBA(static_cast<int>(pre(p[2])), static_cast<int>(pre(p[1])), static_cast<int>(pre(p[0])),
                       static_cast<int>(a));
  }
  return true;
}

bool LICE_WritePNG(const std::string& path, const LICE_IBitmap& bitmap) {
  const int width = bitmap.getWidth();
  const int height = bitmap.getHeight();
  if (width <= 0 || height <= 0) return false;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  for (int y = 0; y < height; ++y) {
    const LICE_pixel* row = bitmap.getBits() + static_cast<long>(y) * bitmap.getRowSpan();
    for (int x = 0; x < width; ++x) {
      const LICE_pixel p = row[x];
      const int a = LICE_GETA(p);
      const auto straight = [a](int c) { return a == 0 ? 0 : std::min(255, (c * 255 + a / 2) / a); };
      std::uint8_t* o = &bytes[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4];
      o[0] = static_cast<std::uint8_t>(straight(LICE_GETR(p)));
      o[1] = static_cast<std::uint8_t>(straight(LICE_GETG(p)));
      o[2] = static_cast<std::uint8_t>(straight(LICE_GETB(p)));
      o[3] = static_cast<std::uint8_t>(a);
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

}  // namespace sorvel
