#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace sorvel {

void* openSharedLibrary(const std::string& path) {
  if (path.empty()) return nullptr;
  // Local binding: the library's names must not satisfy anyone else's lookups.
  return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* findSharedSymbol(void* library, const char* name) {
  if (library == nullptr) return nullptr;
  return ::dlsym(library, name);
}

void closeSharedLibrary(void* library) {
  if (library != nullptr) ::dlclose(library);
}

std::string systemLibraryFolder() { return "/usr/local/lib/"; }

}  // namespace sorvel
