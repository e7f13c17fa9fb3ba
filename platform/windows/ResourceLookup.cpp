// The plug-in's own resources: found, loaded and locked in the library's resource section, which
// the resource script fills.
#include <windows.h>

#include <string>

#include "platform/Resources.h"
#include "platform/windows/ModuleHandle.h"
#include "platform/windows/WideText.h"

namespace sorvel {

namespace {

ResourceBytes bytesOf(HMODULE module, HRSRC found) {
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(::SizeofResource(module, found))};
}

// Images are kept under their number with this type; the name is the file they came from.
constexpr wchar_t kImageType[] = L"PNG";

}  // namespace

ResourceBytes findResource(std::string_view type, std::string_view name) {
  if (type.empty() || name.empty()) return {};
  HMODULE module = thisModule();
  const std::wstring wideType = wideFromUtf8(std::string(type));
  const std::wstring wideName = wideFromUtf8(std::string(name));
  return bytesOf(module, ::FindResourceW(module, wideName.c_str(), wideType.c_str()));
}

ResourceBytes findResource(int number, std::string_view /*name*/) {
  if (number < 0 || number > 0xFFFF) return {};
  HMODULE module = thisModule();
  return bytesOf(module, ::FindResourceW(module, MAKEINTRESOURCEW(number), kImageType));
}

}  // namespace sorvel
