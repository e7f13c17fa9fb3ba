// The user's configuration file: where it lives, the first run, and the reads and writes of the
// settings it keeps.
#include <vector>

#include "instrument/ConfigurationValues.h"
#include "instrument/Synth.h"
#include "platform/FileStore.h"
#include "platform/UserFolders.h"

namespace sorvel {

namespace {

constexpr char kMakerFolder[] = "TarnwickMusic";
constexpr char kFileName[] = "sorvel.ini";
constexpr std::size_t kMaxConfigurationPath = 1023;
constexpr std::size_t kMaxOptionText = 63;

constexpr char kStartupBankSection[] = "Startup Bank";
constexpr char kFileKey[] = "File";
constexpr char kGlobalSection[] = "Global";
constexpr char kProgramFilesKey[] = "Path to Program Files";
constexpr char kMidiGlobalSection[] = "MIDI Global";
constexpr char kMidiThruKey[] = "MIDI Thru";
constexpr char kIgnoreProgramChangeKey[] = "Ignore Program Change";
constexpr char kMidiControlSection[] = "MIDI Control";

std::string controllerKey(int controller) { return "CC" + std::to_string(controller); }

const char* boolText(bool on) { return on ? "true" : "false"; }

}  // namespace

void Synth::setUpConfiguration(const std::string& pluginFolder) {
  configurationPath_.clear();
  configuration_ = PrivateProfile();
  const std::string base = userConfigurationFolder();
  if (base.empty()) return;
  const std::string folder = base + "/" + kMakerFolder;
  const std::string path = folder + "/" + kFileName;
  if (path.size() > kMaxConfigurationPath) return;
  // A fresh account may not have its settings folder yet; it is private to the user.
  if (!isFolder(base)) makeFolder(base, true);
  if (!isFolder(folder)) makeFolder(folder, false);
  configurationPath_ = path;
  configuration_ = PrivateProfile(path);

  if (configuration_.exists()) {
    readConfiguration();
    return;
  }
  const NewFile made = createEmptyFile(path);
  if (made != NewFile::Created) {
    // Another instance created it a moment ago.
    if (made == NewFile::AlreadyThere) readConfiguration();
    return;
  }
  if (pluginFolder.empty()) return;
  const std::string older = pluginFolder + (pluginFolder.back() == '/' ? "" : "/") + kFileName;
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(older, bytes)) return;
  writeFileReplacing(path, bytes.data(), bytes.size());
  readConfiguration();
}

Synth::ConfigurationStatus Synth::readConfiguration() {
  const bool exists = configuration_.exists();
  const ProfileDocument document = configuration_.read();

  const std::string bank = document.valueOr(kStartupBankSection, kFileKey, "", kMaxPathLength);
  const std::string folder = document.valueOr(kGlobalSection, kProgramFilesKey, "", kMaxPathLength);
  std::array<int, kControllerCount> map;
  for (int n = 0; n < kControllerCount; ++n) {
    const std::string text = document.valueOr(kMidiControlSection, controllerKey(n), "-1", kMaxOptionText);
    map[static_cast<std::size_t>(n)] = controllerEntryFromText(text, parameterCount() - 1);
  }

  LockGuard guard(lock());
  startupBankPath_ = bank;
  if (!folder.empty()) programFilesFolder_ = folder;
  const std::string thru = document.valueOr(kMidiGlobalSection, kMidiThruKey, boolText(midiThru), kMaxOptionText);
  if (!thru.empty()) midiThru = isTrueText(thru);
  const std::string ignore =
      document.valueOr(kMidiGlobalSection, kIgnoreProgramChangeKey, boolText(ignoreProgramChange), kMaxOptionText);
  if (!ignore.empty()) ignoreProgramChange = isTrueText(ignore);
  midiLearn_.map() = map;
  return exists ? ConfigurationStatus::Read : ConfigurationStatus::FileMissing;
}

bool Synth::writeConfiguration(ConfigurationWrite which) {
  const bool all = which == ConfigurationWrite::All;
  ProfileEntries mapEntries;
  bool thru, ignore;
  std::string bank;
  {
    LockGuard guard(lock());
    for (int n = 0; n < kControllerCount; ++n) {
      const int entry = midiLearn_.mappedParameter(n);
      if (entry != -1) mapEntries.emplace_back(controllerKey(n), std::to_string(entry));
    }
    thru = midiThru;
    ignore = ignoreProgramChange;
    bank = startupBankPath_;
  }
  return configuration_.update([&](ProfileDocument& document) {
    document.replaceSection(kStartupBankSection, {{kFileKey, bank}});
    if (all || which == ConfigurationWrite::MidiThruOnly) document.setValue(kMidiGlobalSection, kMidiThruKey, boolText(thru));
    if (all || which == ConfigurationWrite::IgnoreProgramChangeOnly) {
      document.setValue(kMidiGlobalSection, kIgnoreProgramChangeKey, boolText(ignore));
    }
    if (all) document.replaceSection(kMidiControlSection, mapEntries);
    return true;
  });
}

bool Synth::writeStartupBank() {
  return configuration_.writeSection(kStartupBankSection, {{kFileKey, startupBankPath_}});
}

bool Synth::selectStartupBank(const std::string& path) {
  startupBankPath_ = path;
  return writeStartupBank();
}

bool Synth::clearStartupBank() {
  startupBankPath_.clear();
  return configuration_.writeSection(kStartupBankSection, {});
}

bool Synth::setProgramFilesFolder(const std::string& folder) {
  programFilesFolder_ = folder;
  return configuration_.writeString(kGlobalSection, kProgramFilesKey, folder);
}

}  // namespace sorvel
