#include "platform/ModuleFolder.h"

#include <dlfcn.h>

namespace sorvel {

std::string moduleFolder() {
  Dl_info info{};
  // Any address inside this library identifies the module that holds it.
  if (dladdr(reinterpret_cast<void*>(&moduleFolder), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  std::string path = info.dli_fname;
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

}  // namespace sorvel
