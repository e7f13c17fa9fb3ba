#include "platform/Resources.h"

namespace sorvel {

ResourceBytes findResourceIn(std::span<const EmbeddedResource> table, std::string_view type, std::string_view name) {
  for (const EmbeddedResource& entry : table) {
    if (entry.number < 0 && type == entry.type && name == entry.name) return {entry.data, entry.size};
  }
  return {};
}

ResourceBytes findResourceIn(std::span<const EmbeddedResource> table, int number, std::string_view name) {
  if (number < 0) return {};
  for (const EmbeddedResource& entry : table) {
    if (entry.number == number && (name.empty() || name == entry.name)) return {entry.data, entry.size};
  }
  return {};
}

}  // namespace sorvel
