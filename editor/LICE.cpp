#include "editor/LICE.h"

#include <cmath>

namespace sorvel {

IRECT LICE_Bounds(const LICE_IBitmap& bitmap) { return {0, 0, bitmap.getWidth(), bitmap.getHeight()}; }

void LICE_FillRect(LICE_IBitmap& dest, const IRECT& rect, LICE_pixel color, const IRECT& clip) {
  const IRECT area = rect.intersection(clip).intersection(LICE_Bounds(dest));
  if (area.empty()) return;
  const int span = dest.getRowSpan();
  for (int y = area.T; y < area.B; ++y) {
    LICE_pixel* row = dest.getBits() + static_cast<long>(y) * span;
    for (int x = area.L; x < area.R; ++x) row[x] = color;
  }
}

namespace {

// Premultiplied "over": dest keeps (255 - alpha) of itself.
inline LICE_pixel blendOver(LICE_pixel src, LICE_pixel dst) {
  const unsigned a = src >> 24;
  if (a == 255) return src;
  if (a == 0) return dst;
  const unsigned keep = 255 - a;
  const auto channel = [&](int shift) {
    const unsigned d = (dst >> shift) & 255;
    const unsigned s = (src >> shift) & 255;
    const unsigned v = s + (d * keep + 127) / 255;
    return (v > 255 ? 255u : v) << shift;
  };
  return channel(24) | channel(16) | channel(8) | channel(0);
}

}  // namespace

void LICE_Blit(LICE_IBitmap& dest, const LICE_IBitmap& src, int x, int y, const IRECT& srcRect, const IRECT& clip) {
  const IRECT source = srcRect.intersection(LICE_Bounds(src));
  if (source.empty()) return;
  // Where the source lands, cut to the clip and the destination.
  const IRECT placed{x + source.L - srcRect.L, y + source.T - srcRect.T, 0, 0};
  IRECT target{placed.L, placed.T, placed.L + source.W(), placed.T + source.H()};
  target = target.intersection(clip).intersection(LICE_Bounds(dest));
  if (target.empty()) return;
  const int dx = source.L - placed.L;
  const int dy = source.T - placed.T;
  const int destSpan = dest.getRowSpan();
  const int srcSpan = src.getRowSpan();
  for (int ty = target.T; ty < target.B; ++ty) {
    LICE_pixel* out = dest.getBits() + static_cast<long>(ty) * destSpan;
    const LICE_pixel* in = src.getBits() + static_cast<long>(ty + dy) * srcSpan;
    for (int tx = target.L; tx < target.R; ++tx) out[tx] = blendOver(in[tx + dx], out[tx]);
  }
}

void LICE_BlitFrame(LICE_IBitmap& dest, const LICE_IBitmap& strip, int frames, int frame, int x, int y,
                    const IRECT& clip) {
  if (frames < 1) return;
  const int frameHeight = strip.getHeight() / frames;
  if (frame < 0) frame = 0;
  if (frame >= frames) frame = frames - 1;
  const IRECT source{0, frame * frameHeight, strip.getWidth(), (frame + 1) * frameHeight};
  LICE_Blit(dest, strip, x, y, source, clip);
}

int LICE_FrameForValue(double normalised, int frames) {
  if (frames < 2 || !(normalised > 0.0)) return 0;
  if (normalised >= 1.0) return frames - 1;
  return static_cast<int>(std::lround(normalised * (frames - 1)));
}

}  // namespace sorvel
