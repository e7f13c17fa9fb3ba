#include "platform/ModuleFolder.h"

#include <windows.h>

#include "platform/windows/ModuleHandle.h"
#include "platform/windows/WideText.h"

namespace sorvel {

HMODULE thisModule() {
  HMODULE module = nullptr;
  // Any address inside this library identifies the module that holds it.
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
  return module;
}

std::string moduleFolder() {
  HMODULE module = thisModule();
  if (module == nullptr) return {};
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const auto separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return {};
  return utf8FromWide(path.substr(0, separator + 1).c_str());
}

}  // namespace sorvel
