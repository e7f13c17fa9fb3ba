// The plug-in's own resources: the table the build compiled into the library.
#include "platform/Resources.h"

namespace sorvel {

namespace {

std::span<const EmbeddedResource> embeddedTable() { return {kEmbeddedResources, kEmbeddedResourceCount}; }

}  // namespace

ResourceBytes findResource(std::string_view type, std::string_view name) {
  return findResourceIn(embeddedTable(), type, name);
}

ResourceBytes findResource(int number, std::string_view name) { return findResourceIn(embeddedTable(), number, name); }

}  // namespace sorvel
