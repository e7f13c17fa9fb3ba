// Data compiled into the plug-in library at build time, found by a type name and a name (the
// factory bank: "PROGDATA", "PROGINIT") or by a number and a name (the editor's images).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace sorvel {

struct ResourceBytes {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;

  bool found() const { return data != nullptr; }
};

// One entry of the table the build generates. A typed resource has number -1; a numbered one
// has an empty type.
struct EmbeddedResource {
  const char* type;
  int number;
  const char* name;
  const std::uint8_t* data;
  std::size_t size;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const std::size_t kEmbeddedResourceCount;

ResourceBytes findResource(std::string_view type, std::string_view name);
// With an empty name, the first resource with that number.
ResourceBytes findResource(int number, std::string_view name = {});

// The same lookups in a given table.
ResourceBytes findResourceIn(std::span<const EmbeddedResource> table, std::string_view type, std::string_view name);
ResourceBytes findResourceIn(std::span<const EmbeddedResource> table, int number, std::string_view name = {});

}  // namespace sorvel
