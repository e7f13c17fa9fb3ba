#include "editor/ImageCache.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "editor/LICE_PNG.h"
#include "platform/Resources.h"

namespace sorvel {

namespace {

struct Cache {
  std::mutex mutex;
  // A failed load is remembered as null, so it is not retried by every control.
  std::map<int, std::unique_ptr<LICE_MemBitmap>> images;
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
  std::unique_ptr<LICE_MemBitmap> image;
  const ResourceBytes bytes = findResource(number, name);
  if (bytes.found()) {
    image = std::make_unique<LICE_MemBitmap>();
    if (!LICE_LoadPNGFromMemory(bytes.data, bytes.size, *image)) image.reset();
  }
  const LICE_IBitmap* result = image.get();
  c.images.emplace(number, std::move(image));
  return result;
}

}  // namespace sorvel
