#include "platform/Resources.h"

namespace sorvel {

namespace {

ResourceBytes bytesOf(const EmbeddedResource& entry) { return {entry.data, entry.size}; }

}  // namespace

ResourceBytes findResource(std::string_view type, std::string_view name) {
  for (std::size_t i = 0; i < kEmbeddedResourceCount; ++i) {
    const EmbeddedResource& entry = kEmbeddedResources[i];
    if (entry.number < 0 && type == entry.type && name == entry.name) return bytesOf(entry);
  }
  return {};
}

ResourceBytes findResource(int number, std::string_view name) {
  if (number < 0) return {};
  for (std::size_t i = 0; i < kEmbeddedResourceCount; ++i) {
    const EmbeddedResource& entry = kEmbeddedResources[i];
    if (entry.number == number && (name.empty() || name == entry.name)) return bytesOf(entry);
  }
  return {};
}

}  // namespace sorvel
