#include "editor/ImageCache.h"

#include <map>
#include <memory>
#include <mutex>

#include "editor/LICE_PNG.h"
#include "platform/Resources.h"

namespace sorvel {

namespace {

// A resource's image, decoded by whichever thread reads it first.
class LazyImage : public LICE_IBitmap {
 public:
  explicit LazyImage(ResourceBytes bytes) : bytes_(bytes) {}

  LICE_pixel* getBits() override { return decoded().getBits(); }
  const LICE_pixel* getBits() const override { return decoded().getBits(); }
  int getWidth() const override { return decoded().getWidth(); }
  int getHeight() const override { return decoded().getHeight(); }
  int getRowSpan() const override { return decoded().getRowSpan(); }

 private:
  LICE_MemBitmap& decoded() const {
    std::call_once(once_, [this] {
      // A failed decode leaves the bitmap untouched: empty, so nothing is drawn.
      LICE_LoadPNGFromMemory(bytes_.data, bytes_.size, pixels_);
    });
    return pixels_;
  }

  ResourceBytes bytes_;
  mutable std::once_flag once_;
  mutable LICE_MemBitmap pixels_;
};

struct Cache {
  std::mutex mutex;
  // A missing resource is remembered as null, so it is not looked up again by every control.
  std::map<int, std::unique_ptr<LazyImage>> images;
};

Cache& cache() {
  static Cache instance;
  return instance;
}

}  // namespace

const LICE_IBitmap* LICE_LoadImage(int number, std::string_view name) {
  Cache& c = cache();
  std::lock_guard<std::mutex> guard(c.mutex);
  auto found = c.images.find(number);
  if (found != c.images.end()) return found->second.get();
  std::unique_ptr<LazyImage> image;
  const ResourceBytes bytes = findResource(number, name);
  if (bytes.found()) image = std::make_unique<LazyImage>(bytes);
  const LICE_IBitmap* result = image.get();
  c.images.emplace(number, std::move(image));
  return result;
}

}  // namespace sorvel
