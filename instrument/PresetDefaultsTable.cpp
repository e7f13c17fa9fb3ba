#include "instrument/PresetDefaults.h"

namespace sorvel {

namespace {

// Stored texts of the normalised values, slots Gain .. EnvR, presets P1 .. P19.
const char* const kBuiltIn[kPresetCount][kPresetSlotCount] = {
    {"0.500", "0.500", "0.675", "0.265", "0.500", "0.000", "1.000", "0.505"},
    {"0.500", "0.500", "0.770", "0.140", "0.500", "0.000", "1.000", "0.500"},
    {"0.500", "0.635", "0.955", "0.380", "0.000", "0.000", "1.000", "0.010"},
    {"0.500", "0.500", "0.500", "0.140", "0.500", "0.000", "1.000", "0.510"},
    {"0.355", "0.500", "1.000", "0.195", "0.500", "0.000", "1.000", "0.515"},
    {"0.500", "0.500", "0.585", "0.275", "0.000", "0.565", "0.000", "0.200"},
    {"0.310", "0.500", "0.980", "0.300", "0.500", "0.000", "1.000", "0.510"},
    {"0.500", "0.500", "0.500", "0.230", "0.000", "0.540", "0.000", "0.170"},
    {"0.500", "0.500", "0.450", "0.240", "0.000", "1.000", "0.000", "0.010"},
    {"0.500", "0.500", "0.475", "0.245", "0.035", "0.000", "1.000", "0.010"},
    {"0.500", "0.455", "0.235", "0.245", "0.000", "1.000", "0.000", "0.010"},
    {"0.610", "0.360", "0.845", "0.370", "0.000", "1.000", "0.000", "0.010"},
    {"0.500", "0.500", "0.445", "0.210", "0.045", "0.500", "1.000", "0.010"},
    {"0.500", "0.500", "0.505", "0.275", "0.025", "0.000", "1.000", "0.010"},
    {"0.500", "0.350", "0.800", "0.430", "0.010", "0.500", "1.000", "0.010"},
    {"0.845", "0.405", "0.610", "0.360", "0.013", "0.500", "1.000", "0.010"},
    {"0.560", "0.480", "0.835", "0.505", "0.100", "0.000", "1.000", "0.010"},
    {"0.750", "0.385", "0.840", "0.060", "0.020", "0.000", "1.000", "0.010"},
    {"0.720", "0.350", "0.830", "0.000", "0.000", "0.285", "0.000", "0.245"}};

}  // namespace

std::string presetDefaultKey(int index) {
  const int offset = index - kFirstPresetParameter;
  if (offset < 0 || offset >= kPresetDefaultsCount) return {};
  const int preset = offset / kPresetSlotCount;
  const int slot = offset % kPresetSlotCount;
  return std::string(kChannelNames[static_cast<std::size_t>(preset)]) + " P" + std::to_string(preset + 1) + " " +
         kPresetSlotNames[static_cast<std::size_t>(slot)];
}

ProfileEntries builtInPresetDefaults() {
  ProfileEntries entries;
  for (int offset = 0; offset < kPresetDefaultsCount; ++offset) {
    entries.emplace_back(presetDefaultKey(kFirstPresetParameter + offset),
                         kBuiltIn[offset / kPresetSlotCount][offset % kPresetSlotCount]);
  }
  return entries;
}

}  // namespace sorvel
