// Where the loaded plug-in library lives on disk.
#pragma once

#include <string>

namespace sorvel {

// Folder of the shared library that contains this code, with a trailing '/', or an empty string
// when it cannot be found.
std::string moduleFolder();

}  // namespace sorvel
