// Program (.fxp) and bank (.fxb) files loaded into a plug-in the way hosts do it: opaque chunks go
// to the plug-in whole, parameter forms are applied one value at a time.
#pragma once

#include <string>

#include "tools/render/PluginInstance.h"

namespace render {

// Each throws RenderError(kExitBadInput) for a file that cannot be read, is not a file of its
// kind, or belongs to another plug-in.
void loadProgramFile(PluginInstance& plugin, const std::string& path);
void loadBankFile(PluginInstance& plugin, const std::string& path);

}  // namespace render
