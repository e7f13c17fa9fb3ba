#include "instrument/MtsClient.h"

#include <cmath>
#include <cstdlib>

#include "platform/SharedLibrary.h"

namespace sorvel {

namespace {

double equalTemperament(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

template <typename Function>
Function lookUp(void* library, const char* name) {
  return reinterpret_cast<Function>(findSharedSymbol(library, name));
}

}  // namespace

std::string mtsLibraryPath() {
  const char* chosen = std::getenv(kMtsLibraryVariable);
  if (chosen != nullptr && chosen[0] != '\0') return chosen;
  return systemLibraryFolder() + kMtsLibraryFileName;
}

mtsclientglobal::mtsclientglobal(const std::string& libraryPath) {
  for (int n = 0; n < kNoteCount; ++n) inverseEqualTemperament[n] = 1.0 / equalTemperament(n);
  loadLibrary(libraryPath);
}

mtsclientglobal::~mtsclientglobal() { closeSharedLibrary(handle); }

bool mtsclientglobal::isOnline() const { return tuningTable != nullptr && HasMaster != nullptr && HasMaster(); }

void mtsclientglobal::loadLibrary(const std::string& path) {
  handle = openSharedLibrary(path);
  if (handle == nullptr) return;
  RegisterClient = lookUp<VoidFunction>(handle, "MTS_RegisterClient");
  DeregisterClient = lookUp<VoidFunction>(handle, "MTS_DeregisterClient");
  HasMaster = lookUp<BoolFunction>(handle, "MTS_HasMaster");
  ShouldFilterNote = lookUp<NoteChannelFunction>(handle, "MTS_ShouldFilterNote");
  ShouldFilterNoteMultiChannel = lookUp<NoteChannelFunction>(handle, "MTS_ShouldFilterNoteMultiChannel");
  GetTuningTable = lookUp<TableFunction>(handle, "MTS_GetTuningTable");
  GetMultiChannelTuningTable = lookUp<ChannelTableFunction>(handle, "MTS_GetMultiChannelTuningTable");
  UseMultiChannelTuning = lookUp<ChannelFunction>(handle, "MTS_UseMultiChannelTuning");
  GetScaleName = lookUp<NameFunction>(handle, "MTS_GetScaleName");
  if (GetTuningTable != nullptr) tuningTable = GetTuningTable();
  for (int channel = 0; channel < kChannelCount; ++channel) {
    channelTables[channel] =
        GetMultiChannelTuningTable != nullptr ? GetMultiChannelTuningTable(static_cast<char>(channel)) : nullptr;
  }
}

mtsclientglobal& mtsGlobal() {
  static mtsclientglobal global(mtsLibraryPath());
  return global;
}

namespace {
// The connection is made as the plug-in library loads, before any instance exists.
[[maybe_unused]] const bool kConnectedAtLoad = (mtsGlobal(), true);
}  // namespace

MtsClient::MtsClient(mtsclientglobal& global) : global_(global) {
  for (int n = 0; n < kNoteCount; ++n) frequencies_[n] = equalTemperament(n);
  if (global_.RegisterClient != nullptr) global_.RegisterClient();
}

MtsClient::~MtsClient() {
  if (global_.DeregisterClient != nullptr) global_.DeregisterClient();
}

bool MtsClient::shouldFilterNote(int note) {
  // No channel is passed, so neither multi-channel feature is in use.
  supportsMultiChannelNoteFiltering_ = false;
  if (!frequencyRequested_) supportsMultiChannelTuning_ = false;
  if (!global_.isOnline()) return false;
  if (global_.ShouldFilterNote == nullptr) return false;
  return global_.ShouldFilterNote(static_cast<char>(note & 127), static_cast<char>(-1));
}

double MtsClient::frequency(int note) {
  frequencyRequested_ = true;
  supportsMultiChannelTuning_ = false;
  if (global_.isOnline()) return global_.tuningTable[note & 127];
  return frequencies_[static_cast<std::size_t>(note & 127)];
}

}  // namespace sorvel
