// The command handler behind the options menu: confirmations, file dialogs, the program copy
// buffer, and the folder the file dialogs start in.
#include "instrument/ProgramCommands.h"

#include <mutex>
#include <string_view>

#include "instrument/Synth.h"

namespace sorvel {

namespace {

constexpr char kErrorCaption[] = "Error";
constexpr char kCannotLoad[] = "Cannot load file!";
constexpr char kCannotSave[] = "Cannot save file!";

// One folder for every instance in the process.
struct RememberedFolder {
  std::mutex mutex;
  bool set = false;
  std::string folder;
};

RememberedFolder& remembered() {
  static RememberedFolder shared;
  return shared;
}

void setRememberedFolder(const std::string& folder) {
  std::lock_guard<std::mutex> guard(remembered().mutex);
  remembered().folder = folder;
  remembered().set = true;
}

// Cut to length by confirm.
std::string withPath(const char* before, const std::string& path, const char* after) {
  return std::string(before) + path + after;
}

}  // namespace

std::string proposedFileName(const std::string& programName) {
  std::string name = programName;
  for (char& c : name) {
    if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) c = '_';
  }
  return name;
}

std::string folderPart(const std::string& path) {
  const auto separator = path.find_last_of("/\\");
  if (separator == std::string::npos || separator == 0) return {};
  return path.substr(0, separator);
}

std::string Synth::rememberedFolder() {
  std::lock_guard<std::mutex> guard(remembered().mutex);
  return remembered().folder;
}

void Synth::forgetRememberedFolder() {
  std::lock_guard<std::mutex> guard(remembered().mutex);
  remembered().folder.clear();
  remembered().set = false;
}

void Synth::useRememberedFolder() {
  std::lock_guard<std::mutex> guard(remembered().mutex);
  if (remembered().set) return;
  remembered().folder = configuration_.programFilesFolder();
  remembered().set = true;
}

bool Synth::confirm(const std::string& text, const std::string& caption) {
  std::string bounded = text;
  if (bounded.size() > kMaxConfirmationText) bounded.resize(kMaxConfirmationText);
  return dialogs().showMessage(bounded, caption, MessageButtons::YesNo) == MessageAnswer::Yes;
}

// Commands run on the editor's thread and never hold the plug-in lock while a dialog is open.
void Synth::runCommand(int number) {
  useRememberedFolder();
  switch (number) {
    case command::kCopyProgram:
      copyProgram();
      break;
    case command::kPasteProgram:
      if (confirm("Do you really want to overwrite the current program?", "Paste Program")) pasteProgram();
      break;
    case command::kInitProgram:
      if (confirm("Do you really want to initialize the current program?", "Initialize Program")) {
        initialiseProgram();
      }
      break;
    case command::kLoadProgram:
    case command::kSaveProgram:
    case command::kLoadBank:
    case command::kSaveBank:
      runFileCommand(number);
      break;
    case command::kSelectStartupBank:
    case command::kLoadStartupBank:
    case command::kUnselectStartupBank:
    case command::kDefaultPathForProgramFiles:
      runFolderCommand(number);
      break;
    case command::kReloadConfiguration:
    case command::kSaveConfiguration:
    case command::kLoadPresetDefaults:
    case command::kSavePresetDefaults:
    case command::kMidiThru:
    case command::kIgnoreProgramChange:
      runConfigurationCommand(number);
      break;
    case command::kCheckOnlineForUpdate:
      checkOnlineForUpdate();
      break;
    default:
      break;
  }
}

// The startup bank and the program files' folder.
void Synth::runFolderCommand(int number) {
  switch (number) {
    case command::kSelectStartupBank: {
      std::string chosen;
      if (dialogs().chooseFileToOpen(rememberedFolder(), "fxb", chosen) && !chosen.empty()) {
        if (!selectStartupBank(chosen)) cannotSave();
      }
      break;
    }
    case command::kLoadStartupBank:
      if (confirm(withPath("The Startup Bank is:\n", configuration_.startupBankPath(),
                           "\n\nDo you really want to reload all programs?"),
                  "Load Startup Bank") &&
          !loadBankFile(configuration_.startupBankPath())) {
        dialogs().showMessage(kCannotLoad, kErrorCaption, MessageButtons::Ok);
      }
      break;
    case command::kUnselectStartupBank:
      if (confirm(withPath("The Startup Bank is:\n", configuration_.startupBankPath(), "\n\nDo you really want to unselect it?"),
                  "Unselect Startup Bank") &&
          !clearStartupBank()) {
        cannotSave();
      }
      break;
    case command::kDefaultPathForProgramFiles: {
      std::string chosen;
      if (dialogs().chooseFileToSave(rememberedFolder(), "[file name is ignored]", " ", chosen) && !chosen.empty()) {
        const std::string folder = folderPart(chosen);
        setRememberedFolder(folder);
        if (!setProgramFilesFolder(folder)) cannotSave();
      }
      break;
    }
    default:
      break;
  }
}

// The configuration file, the preset defaults kept in it and the MIDI options.
void Synth::runConfigurationCommand(int number) {
  switch (number) {
    case command::kReloadConfiguration:
      if (confirm(withPath("The INI configuration file is:\n", configuration_.path(),
                           "\n\nDo you really want to reload it?"),
                  "Reload Configuration") &&
          readConfiguration() == ConfigurationStatus::FileMissing) {
        dialogs().showMessage("The INI file does not exist.", "Problem with INI File", MessageButtons::Ok);
      }
      break;
    case command::kSaveConfiguration:
      if (confirm(withPath("The INI configuration file is:\n", configuration_.path(),
                           "\n\nDo you really want to overwrite it?"),
                  "Save Configuration") &&
          !writeConfiguration(ConfigurationWrite::All)) {
        cannotSave();
      }
      break;
    case command::kLoadPresetDefaults:
      if (confirm("Do you really want to load the Preset parameter defaults?", "Load Preset Parameter Defaults")) {
        loadPresetDefaults();
      }
      break;
    case command::kSavePresetDefaults:
      if (confirm("Do you really want to overwrite the Preset parameter defaults?",
                  "Save Preset Parameter Defaults") &&
          !savePresetDefaults()) {
        cannotSave();
      }
      break;
    case command::kMidiThru:
      if (!configuration_.toggle(configuration_.midiThru, ConfigurationWrite::MidiThruOnly)) cannotSave();
      break;
    case command::kIgnoreProgramChange:
      if (!configuration_.toggle(configuration_.ignoreProgramChange, ConfigurationWrite::IgnoreProgramChangeOnly)) cannotSave();
      break;
    default:
      break;
  }
}

void Synth::cannotSave() { dialogs().showMessage(kCannotSave, kErrorCaption, MessageButtons::Ok); }

void Synth::runFileCommand(int number) {
  const bool bank = number == command::kLoadBank || number == command::kSaveBank;
  const bool save = number == command::kSaveProgram || number == command::kSaveBank;
  const std::string extension = bank ? "fxb" : "fxp";
  std::string chosen;
  bool picked;
  if (save) {
    const std::string proposed = bank ? std::string("Sorvel") : proposedFileName(programName(currentProgram()));
    picked = dialogs().chooseFileToSave(rememberedFolder(), proposed, extension, chosen);
  } else {
    picked = dialogs().chooseFileToOpen(rememberedFolder(), extension, chosen);
  }
  if (!picked || chosen.empty()) return;

  bool ok;
  if (save) {
    {
      LockGuard guard(lock());
      ModifyCurrentPreset();
    }
    ok = bank ? saveBankFile(chosen) : saveProgramFile(chosen);
  } else {
    ok = bank ? loadBankFile(chosen) : loadProgramFile(chosen);
  }
  if (ok) {
    setRememberedFolder(folderPart(chosen));
  } else {
    dialogs().showMessage(save ? kCannotSave : kCannotLoad, kErrorCaption, MessageButtons::Ok);
  }
}

void Synth::copyProgram() {
  LockGuard guard(lock());
  ModifyCurrentPreset();
  copyProgramIndex_ = currentProgram();
  copyBuffer_.clear();
  serializeState(copyBuffer_);
}

void Synth::pasteProgram() {
  LockGuard guard(lock());
  if (copyBuffer_.size() == 0) return;
  unserializeState(copyBuffer_, 0);
  // The copied program's name as it is now.
  const std::string name = programName(copyProgramIndex_);
  ModifyCurrentPreset(name.c_str());
  redrawParameterControls();
  publishAllParametersToHost();
}

void Synth::selectProgram(int index) {
  LockGuard guard(lock());
  ModifyCurrentPreset();
  recallProgram(index);
  informHostOfProgramChange();
  publishAllParametersToHost();
}

}  // namespace sorvel
