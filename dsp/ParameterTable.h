// The instrument's 235 parameters: name, kind, range, default, step, shape and display texts.
// Plain data; the instrument turns each row into a parameter record.
#pragma once

#include <string>
#include <vector>

#include "dsp/ParameterIds.h"

namespace sorvel {

enum class ParameterKind { Int, Enum, Double };

struct ParameterRow {
  ParameterKind kind = ParameterKind::Double;
  std::string name;
  double defaultValue = 0.0;
  double minimum = 0.0;
  double maximum = 1.0;
  double step = 0.01;
  double shape = 1.0;
  const std::vector<std::string>* texts = nullptr;  // enum rows: display texts in value order
};

// Shared text lists.
const std::vector<std::string>& switchTexts();
const std::vector<std::string>& voiceCountTexts();
const std::vector<std::string>& keyboardSensorModeTexts();
const std::vector<std::string>& keyboardSensorDestinationTexts();
// The 128 modulation sources; entries 7 to 126 are controllers 0 to 119 ("1 - Modulation Wheel").
const std::vector<std::string>& modulationSourceTexts();
// The same list without its last entry, "Velocity".
const std::vector<std::string>& modulationSourceTextsWithoutVelocity();
// The name of MIDI controller 0 to 119, as the controller menus show it.
const std::string& controllerName(int controller);

// All 235 rows in index order.
const std::vector<ParameterRow>& parameterTable();

}  // namespace sorvel
