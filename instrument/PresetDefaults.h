// The user's starting values for the nineteen presets' eight parameters each: the keys they are
// stored under in the configuration file and the values written when the user has none.
#pragma once

#include <array>
#include <string>

#include "dsp/ParameterIds.h"
#include "platform/PrivateProfile.h"

namespace sorvel {

constexpr char kPresetDefaultsSection[] = "Preset Defaults";
constexpr int kPresetDefaultsCount = kPresetCount * kPresetSlotCount;  // the whole preset block

// The key of a preset block parameter, e.g. "NOISE P1 Gain"; empty outside the block.
std::string presetDefaultKey(int index);

// The 152 built-in entries in index order, with their stored texts.
ProfileEntries builtInPresetDefaults();

}  // namespace sorvel
