// How the test host loads a library and finds its functions, and where the plug-in keeps the
// user's settings: the one place where the host tests differ between Linux and Windows.
#pragma once

#include <stdlib.h>

#include <string>

#if defined(_WIN32)
#include <windows.h>
#include <shlobj.h>
#else
#include <dlfcn.h>
#endif

namespace testhost {

#if defined(_WIN32)

inline void* openLibrary(const char* path) { return reinterpret_cast<void*>(::LoadLibraryA(path)); }

inline void* librarySymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

inline std::string libraryError() { return "Windows error " + std::to_string(::GetLastError()); }

// The local application data of this account (under Wine: of the prefix the tests run in).
inline std::string userSettingsFolder() {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &path))) {
    char narrow[MAX_PATH * 4] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, path, -1, narrow, sizeof(narrow), nullptr, nullptr);
    folder = narrow;
  }
  ::CoTaskMemFree(path);
  return folder;
}

#else

inline void* openLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

inline void* librarySymbol(void* library, const char* name) { return dlsym(library, name); }

inline std::string libraryError() {
  const char* error = dlerror();
  return error != nullptr ? error : "";
}

// The private folder the test process set in XDG_CONFIG_HOME.
inline std::string userSettingsFolder() {
  const char* folder = ::getenv("XDG_CONFIG_HOME");
  return folder != nullptr ? folder : "";
}

#endif

inline std::string settingsFile() { return userSettingsFolder() + "/TarnwickMusic/sorvel.ini"; }

}  // namespace testhost
