// The preset defaults in use: made sure of at start, applied on Init Program and Load Preset
// Defaults, written back on Save Preset Defaults.
#include "instrument/PresetDefaults.h"

#include "framework/IParam.h"
#include "instrument/ConfigurationValues.h"
#include "instrument/Synth.h"

namespace sorvel {

namespace {

constexpr std::size_t kMaxValueText = 63;
constexpr char kReadProblemText[] = "Uhoh, something is wrong with reading the INI file!";
constexpr char kReadProblemCaption[] = "Problem with INI File";

}  // namespace

void Synth::ensurePresetDefaults() {
  configuration_.file().update([](ProfileDocument& document) {
    if (!document.entries(kPresetDefaultsSection).empty()) return false;
    return document.replaceSection(kPresetDefaultsSection, builtInPresetDefaults());
  });
}

bool Synth::applyPresetDefaults(const ProfileDocument& document) {
  try {
    LockGuard guard(lock());
    for (int index = kFirstPresetParameter; index < kFirstPresetParameter + kPresetDefaultsCount; ++index) {
      if (parameter(index) == nullptr) break;
      const std::string text = document.valueOr(kPresetDefaultsSection, presetDefaultKey(index), "-1", kMaxValueText);
      // Stored with three decimals; single precision is what they carry.
      const float value = static_cast<float>(leadingNumber(text));
      if (value > -0.9) setParameterFromEditor(index, value);
    }
    publishAllParametersToHost();
    redrawParameterControls();
    return true;
  } catch (...) {
    return false;
  }
}

void Synth::loadPresetDefaults() {
  if (!applyPresetDefaults(configuration_.file().read())) {
    dialogs().showMessage(kReadProblemText, kReadProblemCaption, MessageButtons::Ok);
  }
}

bool Synth::savePresetDefaults() {
  ProfileEntries entries;
  {
    LockGuard guard(lock());
    for (int index = kFirstPresetParameter; index < kFirstPresetParameter + kPresetDefaultsCount; ++index) {
      const IParam* p = parameter(index);
      if (p == nullptr) break;
      entries.emplace_back(presetDefaultKey(index), formatFixed(p->normalised(), 3));
    }
  }
  return configuration_.file().writeSection(kPresetDefaultsSection, entries);
}

void Synth::initialiseProgram() {
  const ProfileDocument document = configuration_.file().read();
  bool applied = true;
  {
    LockGuard guard(lock());
    for (int i = 0; i < parameterCount(); ++i) {
      const IParam* p = parameter(i);
      setParameterFromEditor(i, p->toNormalised(p->defaultValue()));
    }
    applied = applyPresetDefaults(document);
    ModifyCurrentPreset("Init");
    redrawParameterControls();
    publishAllParametersToHost();
  }
  // Shown with the lock released, so that audio goes on while the user reads it.
  if (!applied) dialogs().showMessage(kReadProblemText, kReadProblemCaption, MessageButtons::Ok);
}

}  // namespace sorvel
