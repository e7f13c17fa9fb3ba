// Fonts through fontconfig (which maps "Arial" to a metric-compatible family) and FreeType.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "editor/LICE_Text.h"

namespace sorvel {

namespace {

std::u32string decodeUtf8(const std::string& text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
      out.push_back(U'?');
      ++i;
      continue;
    }
    char32_t code = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out.push_back(code);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

class FreeTypeFont : public LICE_IFont {
 public:
  FreeTypeFont(FT_Face face, int pixelHeight) : face_(face) { FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelHeight)); }
  ~FreeTypeFont() override { FT_Done_Face(face_); }

  int measure(const std::string& utf8) override {
    std::lock_guard<std::mutex> guard(mutex_);
    int width = 0;
    for (char32_t code : decodeUtf8(utf8)) {
      if (FT_Load_Char(face_, code, FT_LOAD_DEFAULT) == 0) width += static_cast<int>((face_->glyph->advance.x + 32) >> 6);
    }
    return width;
  }

  void draw(LICE_IBitmap& dest, const std::string& utf8, const IRECT& rect, TextAlign align, LICE_pixel color,
            const IRECT& clip) override {
    const int width = measure(utf8);
    std::lock_guard<std::mutex> guard(mutex_);
    int penX = rect.L;
    if (align == TextAlign::Center) penX = rect.L + (rect.W() - width) / 2;
    if (align == TextAlign::Right) penX = rect.R - width;
    const int ascender = static_cast<int>(face_->size->metrics.ascender >> 6);
    const int descender = static_cast<int>(-face_->size->metrics.descender >> 6);
    const int baseline = rect.T + (rect.H() - (ascender + descender)) / 2 + ascender;
    const IRECT area = clip.intersection({0, 0, dest.getWidth(), dest.getHeight()});
    for (char32_t code : decodeUtf8(utf8)) {
      if (FT_Load_Char(face_, code, FT_LOAD_RENDER) != 0) continue;
      const FT_GlyphSlot glyph = face_->glyph;
      const FT_Bitmap& bitmap = glyph->bitmap;
      if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        const int left = penX + glyph->bitmap_left;
        const int top = baseline - glyph->bitmap_top;
        for (int y = 0; y < static_cast<int>(bitmap.rows); ++y) {
          const int py = top + y;
          if (py < area.T || py >= area.B) continue;
          LICE_pixel* row = dest.getBits() + static_cast<long>(py) * dest.getRowSpan();
          const unsigned char* coverage = bitmap.buffer + static_cast<long>(y) * bitmap.pitch;
          for (int x = 0; x < static_cast<int>(bitmap.width); ++x) {
            const int px = left + x;
            if (px < area.L || px >= area.R || coverage[x] == 0) continue;
            row[px] = mix(row[px], color, coverage[x]);
          }
        }
      }
      penX += static_cast<int>((glyph->advance.x + 32) >> 6);
    }
  }

 private:
  // Text colour over the pixel by the glyph's coverage and the colour's alpha.
  static LICE_pixel mix(LICE_pixel under, LICE_pixel color, unsigned coverage) {
    const unsigned a = coverage * static_cast<unsigned>(LICE_GETA(color)) / 255;
    const auto channel = [&](int c, int u) { return static_cast<int>((static_cast<unsigned>(c) * a + static_cast<unsigned>(u) * (255 - a) + 127) / 255); };
    return LICE_RGBA(channel(LICE_GETR(color), LICE_GETR(under)), channel(LICE_GETG(color), LICE_GETG(under)),
                     channel(LICE_GETB(color), LICE_GETB(under)), std::max(LICE_GETA(under), static_cast<int>(a)));
  }

  FT_Face face_;
  std::mutex mutex_;
};

struct FontCache {
  std::mutex mutex;
  FT_Library library = nullptr;
  // A configuration of our own, so that nothing of fontconfig's process-wide state is left behind.
  FcConfig* config = nullptr;
  std::map<std::string, std::string> files;  // family -> font file
  std::map<std::pair<std::string, int>, std::unique_ptr<FreeTypeFont>> fonts;

  ~FontCache() {
    fonts.clear();
    if (library != nullptr) FT_Done_FreeType(library);
    if (config != nullptr) FcConfigDestroy(config);
  }
};

FontCache& fontCache() {
  static FontCache instance;
  return instance;
}

std::string findFontFile(FcConfig* config, const std::string& family) {
  std::string file;
  if (config == nullptr) return file;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
  if (pattern == nullptr) return file;
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  if (match != nullptr) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
      file = reinterpret_cast<const char*>(path);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}

}  // namespace

LICE_IFont* LICE_GetFont(const std::string& family, int pixelHeight) {
  FontCache& cache = fontCache();
  std::lock_guard<std::mutex> guard(cache.mutex);
  const auto key = std::make_pair(family, pixelHeight);
  auto found = cache.fonts.find(key);
  if (found != cache.fonts.end()) return found->second.get();
  if (cache.library == nullptr && FT_Init_FreeType(&cache.library) != 0) {
    cache.library = nullptr;
    return nullptr;
  }
  auto file = cache.files.find(family);
  if (cache.config == nullptr) cache.config = FcInitLoadConfigAndFonts();
  if (file == cache.files.end()) file = cache.files.emplace(family, findFontFile(cache.config, family)).first;
  if (file->second.empty()) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(cache.library, file->second.c_str(), 0, &face) != 0) return nullptr;
  auto font = std::make_unique<FreeTypeFont>(face, pixelHeight);
  LICE_IFont* result = font.get();
  cache.fonts.emplace(key, std::move(font));
  return result;
}

}  // namespace sorvel
