#include "tools/render/PluginControls.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <strings.h>

#include "tools/TextNumbers.h"
#include "tools/render/RenderError.h"

namespace render {
namespace {

using namespace vst2;

constexpr int kTextProbeSteps = 256;

std::string formatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string describe(const ParameterRange& range) {
  if (range.numeric) return formatNumber(range.min) + " .. " + formatNumber(range.max);
  // Long lists (the controller choices) are shortened to their ends.
  constexpr std::size_t kShownTexts = 8;
  std::string texts;
  for (std::size_t i = 0; i < range.texts.size(); ++i) {
    if (range.texts.size() > kShownTexts && i == kShownTexts - 2) {
      texts += " | ...";
      i = range.texts.size() - 1;
    }
    texts += (texts.empty() ? "" : " | ") + range.texts[i];
  }
  if (range.texts.size() > kShownTexts) texts += " (" + std::to_string(range.texts.size()) + " texts)";
  return texts;
}

// The smallest difference the display can show, from the digits after its decimal point.
double displayResolution(const std::string& display) {
  const std::string t = tools::trim(display);
  const auto point = t.find('.');
  if (point == std::string::npos) return 1.0;
  return std::pow(10.0, -static_cast<double>(t.size() - point - 1));
}

}  // namespace

int findProgram(PluginInstance& plugin, const std::string& numberOrName) {
  double number = 0.0;
  if (tools::parseWholeNumber(numberOrName, number) && number == std::floor(number)) {
    if (number < 0 || number >= plugin.programCount()) {
      throw RenderError(kExitBadInput, "program " + numberOrName + " is out of range (0 to " +
                                           std::to_string(plugin.programCount() - 1) + ")");
    }
    return static_cast<int>(number);
  }
  for (int i = 0; i < plugin.programCount(); ++i) {
    if (plugin.programName(i) == numberOrName) return i;
  }
  throw RenderError(kExitBadInput, "no program is named '" + numberOrName + "' (--list-programs shows them)");
}

int findParameter(PluginInstance& plugin, const std::string& name) {
  int caseless = -1;
  int caselessCount = 0;
  for (int i = 0; i < plugin.parameterCount(); ++i) {
    const std::string own = plugin.parameterName(i);
    if (own == name) return i;
    if (strcasecmp(own.c_str(), name.c_str()) == 0) {
      caseless = i;
      ++caselessCount;
    }
  }
  if (caselessCount == 1) return caseless;
  throw RenderError(kExitBadInput, "no parameter is named '" + name + "' (--list-parameters shows them)");
}

ParameterRange probeRange(PluginInstance& plugin, int index) {
  AEffect& effect = plugin.effect();
  const float original = effect.getParameter(&effect, index);
  auto displayAt = [&](float normalised) {
    effect.setParameter(&effect, index, normalised);
    return tools::trim(plugin.parameterDisplay(index));
  };

  ParameterRange range;
  const std::string low = displayAt(0.0f);
  const std::string high = displayAt(1.0f);
  double lowValue = 0.0;
  double highValue = 0.0;
  if (tools::parseWholeNumber(low, lowValue) && tools::parseWholeNumber(high, highValue)) {
    range.min = std::min(lowValue, highValue);
    range.max = std::max(lowValue, highValue);
    // A rounded display can hide a little of either end; accept what it rounds to.
    range.slack = 0.5 * std::max(displayResolution(low), displayResolution(high));
  } else {
    range.numeric = false;
    for (int step = 0; step <= kTextProbeSteps; ++step) {
      const std::string text = displayAt(static_cast<float>(step) / kTextProbeSteps);
      if (std::find(range.texts.begin(), range.texts.end(), text) == range.texts.end()) range.texts.push_back(text);
    }
  }
  effect.setParameter(&effect, index, original);
  return range;
}

void setParameter(PluginInstance& plugin, const std::string& name, const std::string& value) {
  const int index = findParameter(plugin, name);
  const std::string ownName = plugin.parameterName(index);
  const ParameterRange range = probeRange(plugin, index);
  const std::string text = tools::trim(value);
  double number = 0.0;
  if (range.numeric) {
    if (!tools::parseWholeNumber(text, number)) {
      throw RenderError(kExitBadInput, ownName + " takes a number, not '" + value + "'");
    }
    if (number < range.min - range.slack || number > range.max + range.slack) {
      throw RenderError(kExitBadInput, ownName + " = " + value + " is out of range (" + describe(range) + ")");
    }
  } else if (std::find(range.texts.begin(), range.texts.end(), text) == range.texts.end()) {
    throw RenderError(kExitBadInput, ownName + " has no value '" + value + "' (" + describe(range) + ")");
  }
  std::string argument = text;
  if (plugin.dispatch(effString2Parameter, index, 0, argument.data()) == 0) {
    throw RenderError(kExitBadInput, "the plug-in did not accept " + ownName + " = " + value);
  }
}

void listPrograms(PluginInstance& plugin, std::ostream& out) {
  for (int i = 0; i < plugin.programCount(); ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%3d  ", i);
    out << number << plugin.programName(i) << '\n';
  }
}

void listParameters(PluginInstance& plugin, std::ostream& out) {
  for (int i = 0; i < plugin.parameterCount(); ++i) {
    const ParameterRange range = probeRange(plugin, i);
    std::string value = tools::trim(plugin.parameterDisplay(i));
    const std::string label = tools::trim(plugin.parameterLabel(i));
    if (!label.empty()) value += " " + label;
    char line[160];
    std::snprintf(line, sizeof line, "%3d  %-10s %-14s ", i, plugin.parameterName(i).c_str(), value.c_str());
    out << line << (range.numeric ? "range " : "one of ") << describe(range) << '\n';
  }
}

}  // namespace render
