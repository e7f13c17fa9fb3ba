// Fonts through GDI: the text is drawn white on black into a small grey-scale DIB, whose coverage
// then blends the text colour into the panel, as glyph bitmaps do elsewhere.
#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "editor/LICE_Text.h"
#include "platform/RecursiveLock.h"
#include "platform/windows/WideText.h"

namespace sorvel {

namespace {

class GdiFont : public LICE_IFont {
 public:
  GdiFont(HDC dc, HFONT font) : dc_(dc), font_(font) {
    ::SelectObject(dc_, font_);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc_, &metrics);
    ascent_ = metrics.tmAscent;
    descent_ = metrics.tmDescent;
  }
  ~GdiFont() override {
    ::DeleteDC(dc_);
    ::DeleteObject(font_);
  }
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;

  int measure(const std::string& utf8) override {
    LockGuard guard(mutex_);
    return measureLocked(wideFromUtf8(utf8));
  }

  void draw(LICE_IBitmap& dest, const std::string& utf8, const IRECT& rect, TextAlign align, LICE_pixel color,
            const IRECT& clip) override {
    LockGuard guard(mutex_);
    const std::wstring text = wideFromUtf8(utf8);
    const int width = measureLocked(text);
    const int height = ascent_ + descent_;
    if (width <= 0 || height <= 0) return;
    int left = rect.L;
    if (align == TextAlign::Center) left = rect.L + (rect.W() - width) / 2;
    if (align == TextAlign::Right) left = rect.R - width;
    const int top = rect.T + (rect.H() - height) / 2;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP canvas = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (canvas == nullptr || bits == nullptr) return;
    HGDIOBJ previous = ::SelectObject(dc_, canvas);
    std::fill_n(static_cast<std::uint32_t*>(bits), static_cast<std::size_t>(width) * height, 0u);
    ::SetBkMode(dc_, TRANSPARENT);
    ::SetTextColor(dc_, RGB(255, 255, 255));
    ::TextOutW(dc_, 0, 0, text.c_str(), static_cast<int>(text.size()));
    ::GdiFlush();

    const IRECT area = clip.intersection({0, 0, dest.getWidth(), dest.getHeight()});
    const auto* coverage = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
      const int py = top + y;
      if (py < area.T || py >= area.B) continue;
      LICE_pixel* row = dest.getBits() + static_cast<long>(py) * dest.getRowSpan();
      for (int x = 0; x < width; ++x) {
        const int px = left + x;
        // Grey-scale smoothing: every channel holds the same coverage.
        const unsigned amount = coverage[static_cast<std::size_t>(y) * width + x] & 0xFF;
        if (px < area.L || px >= area.R || amount == 0) continue;
        row[px] = mix(row[px], color, amount);
      }
    }
    ::SelectObject(dc_, previous);
    ::DeleteObject(canvas);
  }

 private:
  int measureLocked(const std::wstring& text) {
    SIZE size{};
    if (text.empty() || !::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size)) return 0;
    return size.cx;
  }

  // Text colour over the pixel by the glyph's coverage and the colour's alpha.
  static LICE_pixel mix(LICE_pixel under, LICE_pixel color, unsigned coverage) {
    const unsigned a = coverage * static_cast<unsigned>(LICE_GETA(color)) / 255;
    const auto channel = [&](int c, int u) {
      return static_cast<int>((static_cast<unsigned>(c) * a + static_cast<unsigned>(u) * (255 - a) + 127) / 255);
    };
    return LICE_RGBA(channel(LICE_GETR(color), LICE_GETR(under)), channel(LICE_GETG(color), LICE_GETG(under)),
                     channel(LICE_GETB(color), LICE_GETB(under)), std::max(LICE_GETA(under), static_cast<int>(a)));
  }

  HDC dc_;
  HFONT font_;
  int ascent_ = 0;
  int descent_ = 0;
  RecursiveLock mutex_;
};

struct FontCache {
  RecursiveLock mutex;
  std::map<std::pair<std::string, int>, std::unique_ptr<GdiFont>> fonts;
};

FontCache& fontCache() {
  static FontCache instance;
  return instance;
}

}  // namespace

LICE_IFont* LICE_GetFont(const std::string& family, int pixelHeight) {
  FontCache& cache = fontCache();
  LockGuard guard(cache.mutex);
  const auto key = std::make_pair(family, pixelHeight);
  auto found = cache.fonts.find(key);
  if (found != cache.fonts.end()) return found->second.get();
  // A negative height asks for the em height in pixels; grey-scale smoothing, never ClearType, so
  // that one channel holds the coverage.
  HFONT font = ::CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS,
                             wideFromUtf8(family).c_str());
  if (font == nullptr) return nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  if (dc == nullptr) {
    ::DeleteObject(font);
    return nullptr;
  }
  auto made = std::make_unique<GdiFont>(dc, font);
  LICE_IFont* result = made.get();
  cache.fonts.emplace(key, std::move(made));
  return result;
}

}  // namespace sorvel
