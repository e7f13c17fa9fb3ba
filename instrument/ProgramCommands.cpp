#include "instrument/ProgramCommands.h"

#include <mutex>
#include <string_view>

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

std::string ProgramCommands::rememberedFolder() {
  std::lock_guard<std::mutex> guard(remembered().mutex);
  return remembered().folder;
}

void ProgramCommands::forgetRememberedFolder() {
  std::lock_guard<std::mutex> guard(remembered().mutex);
  remembered().folder.clear();
  remembered().set = false;
}

void ProgramCommands::useRememberedFolder() {
  std::lock_guard<std::mutex> guard(remembered().mutex);
  if (remembered().set) return;
  remembered().folder = configuration_.programFilesFolder();
  remembered().set = true;
}

bool ProgramCommands::confirm(const std::string& text, const std::string& caption) {
  std::string bounded = text;
  if (bounded.size() > kMaxConfirmationText) bounded.resize(kMaxConfirmationText);
  return plug_.dialogs().showMessage(bounded, caption, MessageButtons::YesNo) == MessageAnswer::Yes;
}

void ProgramCommands::run(int number) {
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
        plug_.initialiseProgram();
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
      plug_.checkOnlineForUpdate();
      break;
    default:
      break;
  }
}

// The startup bank and the program files' folder.
void ProgramCommands::runFolderCommand(int number) {
  switch (number) {
    case command::kSelectStartupBank: {
      std::string chosen;
      if (plug_.dialogs().chooseFileToOpen(rememberedFolder(), "fxb", chosen) && !chosen.empty()) {
        if (!configuration_.selectStartupBank(chosen)) cannotSave();
      }
      break;
    }
    case command::kLoadStartupBank:
      if (confirm(withPath("The Startup Bank is:\n", configuration_.startupBankPath(),
                           "\n\nDo you really want to reload all programs?"),
                  "Load Startup Bank") &&
          !plug_.loadBankFile(configuration_.startupBankPath())) {
        plug_.dialogs().showMessage(kCannotLoad, kErrorCaption, MessageButtons::Ok);
      }
      break;
    case command::kUnselectStartupBank:
      if (confirm(withPath("The Startup Bank is:\n", configuration_.startupBankPath(), "\n\nDo you really want to unselect it?"),
                  "Unselect Startup Bank") &&
          !configuration_.clearStartupBank()) {
        cannotSave();
      }
      break;
    case command::kDefaultPathForProgramFiles: {
      std::string chosen;
      if (plug_.dialogs().chooseFileToSave(rememberedFolder(), "[file name is ignored]", " ", chosen) && !chosen.empty()) {
        const std::string folder = folderPart(chosen);
        setRememberedFolder(folder);
        if (!configuration_.setProgramFilesFolder(folder)) cannotSave();
      }
      break;
    }
    default:
      break;
  }
}

// The configuration file, the preset defaults kept in it and the MIDI options.
void ProgramCommands::runConfigurationCommand(int number) {
  switch (number) {
    case command::kReloadConfiguration:
      if (confirm(withPath("The INI configuration file is:\n", configuration_.path(),
                           "\n\nDo you really want to reload it?"),
                  "Reload Configuration") &&
          configuration_.read() == Configuration::Status::FileMissing) {
        plug_.dialogs().showMessage("The INI file does not exist.", "Problem with INI File", MessageButtons::Ok);
      }
      break;
    case command::kSaveConfiguration:
      if (confirm(withPath("The INI configuration file is:\n", configuration_.path(),
                           "\n\nDo you really want to overwrite it?"),
                  "Save Configuration") &&
          !configuration_.write(Configuration::Write::All)) {
        cannotSave();
      }
      break;
    case command::kLoadPresetDefaults:
      if (confirm("Do you really want to load the Preset parameter defaults?", "Load Preset Parameter Defaults")) {
        plug_.loadPresetDefaults();
      }
      break;
    case command::kSavePresetDefaults:
      if (confirm("Do you really want to overwrite the Preset parameter defaults?",
                  "Save Preset Parameter Defaults") &&
          !plug_.savePresetDefaults()) {
        cannotSave();
      }
      break;
    case command::kMidiThru:
      if (!configuration_.toggle(configuration_.midiThru, Configuration::Write::MidiThruOnly)) cannotSave();
      break;
    case command::kIgnoreProgramChange:
      if (!configuration_.toggle(configuration_.ignoreProgramChange, Configuration::Write::IgnoreProgramChangeOnly)) cannotSave();
      break;
    default:
      break;
  }
}

void ProgramCommands::cannotSave() { plug_.dialogs().showMessage(kCannotSave, kErrorCaption, MessageButtons::Ok); }

void ProgramCommands::runFileCommand(int number) {
  const bool bank = number == command::kLoadBank || number == command::kSaveBank;
  const bool save = number == command::kSaveProgram || number == command::kSaveBank;
  const std::string extension = bank ? "fxb" : "fxp";
  std::string chosen;
  bool picked;
  if (save) {
    const std::string proposed = bank ? std::string("Sorvel") : proposedFileName(plug_.programName(plug_.currentProgram()));
    picked = plug_.dialogs().chooseFileToSave(rememberedFolder(), proposed, extension, chosen);
  } else {
    picked = plug_.dialogs().chooseFileToOpen(rememberedFolder(), extension, chosen);
  }
  if (!picked || chosen.empty()) return;

  bool ok;
  if (save) {
    {
      LockGuard guard(plug_.lock());
      plug_.ModifyCurrentPreset();
    }
    ok = bank ? plug_.saveBankFile(chosen) : plug_.saveProgramFile(chosen);
  } else {
    ok = bank ? plug_.loadBankFile(chosen) : plug_.loadProgramFile(chosen);
  }
  if (ok) {
    setRememberedFolder(folderPart(chosen));
  } else {
    plug_.dialogs().showMessage(save ? kCannotSave : kCannotLoad, kErrorCaption, MessageButtons::Ok);
  }
}

void ProgramCommands::copyProgram() {
  LockGuard guard(plug_.lock());
  plug_.ModifyCurrentPreset();
  copyProgramIndex_ = plug_.currentProgram();
  copyBuffer_.clear();
  plug_.serializeState(copyBuffer_);
}

void ProgramCommands::pasteProgram() {
  LockGuard guard(plug_.lock());
  if (copyBuffer_.size() == 0) return;
  plug_.unserializeState(copyBuffer_, 0);
  // The copied program's name as it is now.
  const std::string name = plug_.programName(copyProgramIndex_);
  plug_.ModifyCurrentPreset(name.c_str());
  plug_.redrawParameterControls();
  plug_.publishAllParametersToHost();
}

void ProgramCommands::selectProgram(int index) {
  LockGuard guard(plug_.lock());
  plug_.ModifyCurrentPreset();
  plug_.recallProgram(index);
  plug_.informHostOfProgramChange();
  plug_.publishAllParametersToHost();
}

}  // namespace sorvel
