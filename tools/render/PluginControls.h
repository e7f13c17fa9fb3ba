// Programs and parameters by their names, as a musician types them on the command line.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/render/PluginInstance.h"

namespace render {

// What a parameter accepts: a number between its two ends, or one of its texts.
struct ParameterRange {
  bool numeric = true;
  double min = 0.0;
  double max = 0.0;
  double slack = 0.0;  // what the display's rounding may hide at either end
  std::vector<std::string> texts;
};

// Found by the command line's text: a number 0..count-1 or an exact program name.
int findProgram(PluginInstance& plugin, const std::string& numberOrName);

// The parameter index for an exact name (or, failing that, the one name equal ignoring case).
int findParameter(PluginInstance& plugin, const std::string& name);

// Probes the parameter through its display at both ends (and in between for texts); leaves its
// value as it found it.
ParameterRange probeRange(PluginInstance& plugin, int index);

// Sets the parameter from a value in its own units or one of its texts; throws RenderError
// (bad input) for an unknown name, a value outside the range or a text the parameter lacks.
void setParameter(PluginInstance& plugin, const std::string& name, const std::string& value);

void listPrograms(PluginInstance& plugin, std::ostream& out);
void listParameters(PluginInstance& plugin, std::ostream& out);

}  // namespace render
