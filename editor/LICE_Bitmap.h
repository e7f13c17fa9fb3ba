// The editor's drawing surface: 32-bit pixels with premultiplied alpha, stored B, G, R, A in
// memory (0xAARRGGBB read as a little-endian word), the layout X11 TrueColor visuals and Windows
// DIBs take without conversion.
#pragma once

#include <cstdint>
#include <vector>

namespace sorvel {

using LICE_pixel = std::uint32_t;

constexpr LICE_pixel LICE_RGBA(int r, int g, int b, int a) {
  return (static_cast<LICE_pixel>(a & 255) << 24) | (static_cast<LICE_pixel>(r & 255) << 16) |
         (static_cast<LICE_pixel>(g & 255) << 8) | static_cast<LICE_pixel>(b & 255);
}
constexpr int LICE_GETA(LICE_pixel p) { return static_cast<int>(p >> 24); }
constexpr int LICE_GETR(LICE_pixel p) { return static_cast<int>((p >> 16) & 255); }
constexpr int LICE_GETG(LICE_pixel p) { return static_cast<int>((p >> 8) & 255); }
constexpr int LICE_GETB(LICE_pixel p) { return static_cast<int>(p & 255); }

class LICE_IBitmap {
 public:
  virtual ~LICE_IBitmap() = default;

  virtual LICE_pixel* getBits() = 0;
  virtual const LICE_pixel* getBits() const = 0;
  virtual int getWidth() const = 0;
  virtual int getHeight() const = 0;
  // Pixels from the start of one row to the start of the next.
  virtual int getRowSpan() const = 0;
};

class LICE_MemBitmap : public LICE_IBitmap {
 public:
  LICE_MemBitmap() = default;
  LICE_MemBitmap(int width, int height) { resize(width, height); }

  // New pixels are transparent black; returns false for a negative size.
  bool resize(int width, int height) {
    if (width < 0 || height < 0) return false;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return true;
  }

  LICE_pixel* getBits() override { return pixels_.data(); }
  const LICE_pixel* getBits() const override { return pixels_.data(); }
  int getWidth() const override { return width_; }
  int getHeight() const override { return height_; }
  int getRowSpan() const override { return width_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<LICE_pixel> pixels_;
};

}  // namespace sorvel
