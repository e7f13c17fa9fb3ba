// The instance handle of the plug-in library, through which its resources are found.
#pragma once

#include <windows.h>

namespace sorvel {

HMODULE thisModule();

}  // namespace sorvel
