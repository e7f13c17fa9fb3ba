#include "platform/SharedLibrary.h"

#include <windows.h>

#include "platform/windows/WideText.h"

namespace sorvel {

void* openSharedLibrary(const std::string& path) {
  if (path.empty()) return nullptr;
  // No error box for a library that is missing or damaged: the caller goes on without it.
  const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = ::LoadLibraryW(widePath(path).c_str());
  ::SetErrorMode(previous);
  return reinterpret_cast<void*>(library);
}

void* findSharedSymbol(void* library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeSharedLibrary(void* library) {
  if (library != nullptr) ::FreeLibrary(static_cast<HMODULE>(library));
}

std::string systemLibraryFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path = utf8FromWide(folder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

}  // namespace sorvel
