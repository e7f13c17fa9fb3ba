// The configuration file: where it lives, the first run, and the reads and writes of the settings
// it keeps.
#include "instrument/Configuration.h"

#include <vector>

#include "instrument/ConfigurationValues.h"
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

Configuration::Configuration(RecursiveLock& lock, int parameterCount)
    : lock_(lock), parameterCount_(parameterCount), documentsFolder_(userDocumentsFolder()) {
  programFilesFolder_ = documentsFolder_;
  controllerMap.fill(-1);
}

void Configuration::setUp(const std::string& pluginFolder) {
  path_.clear();
  file_ = PrivateProfile();
  const std::string base = userConfigurationFolder();
  if (base.empty()) return;
  const std::string folder = base + "/" + kMakerFolder;
  const std::string path = folder + "/" + kFileName;
  if (path.size() > kMaxConfigurationPath) return;
  // A fresh account may not have its settings folder yet; it is private to the user.
  if (!isFolder(base)) makeFolder(base, true);
  if (!isFolder(folder)) makeFolder(folder, false);
  path_ = path;
  file_ = PrivateProfile(path);

  if (file_.exists()) {
    read();
    return;
  }
  const NewFile made = createEmptyFile(path);
  if (made != NewFile::Created) {
    // Another instance created it a moment ago.
    if (made == NewFile::AlreadyThere) read();
    return;
  }
  if (pluginFolder.empty()) return;
  const std::string older = pluginFolder + (pluginFolder.back() == '/' ? "" : "/") + kFileName;
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(older, bytes)) return;
  writeFileReplacing(path, bytes.data(), bytes.size());
  read();
}

Configuration::Status Configuration::read() {
  const bool exists = file_.exists();
  const ProfileDocument document = file_.read();

  const std::string bank = document.valueOr(kStartupBankSection, kFileKey, "", kMaxPathLength);
  const std::string folder = document.valueOr(kGlobalSection, kProgramFilesKey, "", kMaxPathLength);
  ControllerMap map;
  for (int n = 0; n < kControllerCount; ++n) {
    const std::string text = document.valueOr(kMidiControlSection, controllerKey(n), "-1", kMaxOptionText);
    map[static_cast<std::size_t>(n)] = controllerEntryFromText(text, parameterCount_ - 1);
  }

  LockGuard guard(lock_);
  startupBankPath_ = bank;
  if (!folder.empty()) programFilesFolder_ = folder;
  const std::string thru = document.valueOr(kMidiGlobalSection, kMidiThruKey, boolText(midiThru), kMaxOptionText);
  if (!thru.empty()) midiThru = isTrueText(thru);
  const std::string ignore =
      document.valueOr(kMidiGlobalSection, kIgnoreProgramChangeKey, boolText(ignoreProgramChange), kMaxOptionText);
  if (!ignore.empty()) ignoreProgramChange = isTrueText(ignore);
  controllerMap = map;
  return exists ? Status::Read : Status::FileMissing;
}

bool Configuration::write(Write which) {
  const bool all = which == Write::All;
  ProfileEntries mapEntries;
  bool thru, ignore;
  std::string bank;
  {
    LockGuard guard(lock_);
    for (int n = 0; n < kControllerCount; ++n) {
      const int entry = mappedParameter(controllerMap, n);
      if (entry != -1) mapEntries.emplace_back(controllerKey(n), std::to_string(entry));
    }
    thru = midiThru;
    ignore = ignoreProgramChange;
    bank = startupBankPath_;
  }
  return file_.update([&](ProfileDocument& document) {
    document.replaceSection(kStartupBankSection, {{kFileKey, bank}});
    if (all || which == Write::MidiThruOnly) document.setValue(kMidiGlobalSection, kMidiThruKey, boolText(thru));
    if (all || which == Write::IgnoreProgramChangeOnly) {
      document.setValue(kMidiGlobalSection, kIgnoreProgramChangeKey, boolText(ignore));
    }
    if (all) document.replaceSection(kMidiControlSection, mapEntries);
    return true;
  });
}

bool Configuration::writeStartupBank() {
  return file_.writeSection(kStartupBankSection, {{kFileKey, startupBankPath_}});
}

bool Configuration::selectStartupBank(const std::string& path) {
  startupBankPath_ = path;
  return writeStartupBank();
}

bool Configuration::clearStartupBank() {
  startupBankPath_.clear();
  return file_.writeSection(kStartupBankSection, {});
}

bool Configuration::setProgramFilesFolder(const std::string& folder) {
  programFilesFolder_ = folder;
  return file_.writeString(kGlobalSection, kProgramFilesKey, folder);
}

// The MIDI input reads the option on the audio thread; the file is written with the lock released.
bool Configuration::toggle(bool& option, Write which) {
  {
    LockGuard guard(lock_);
    option = !option;
  }
  return write(which);
}

}  // namespace sorvel
