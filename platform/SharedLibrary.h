// Loading a shared library at run time and finding its functions.
#pragma once

#include <string>

namespace sorvel {

// The library's handle, or null when it does not load.
void* openSharedLibrary(const std::string& path);
// The address of an exported symbol, or null when the library has none of that name.
void* findSharedSymbol(void* library, const char* name);
void closeSharedLibrary(void* library);

// The folder where libraries shared by every program are installed: the system directory on
// Windows, /usr/local/lib elsewhere. With a trailing separator.
std::string systemLibraryFolder();

}  // namespace sorvel
