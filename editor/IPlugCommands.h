// What the editor's menus and buttons ask of the plug-in beyond its parameters and programs. The
// instrument implements it, so the editor needs nothing from the folders above it.
#pragma once

#include <string>

namespace sorvel {

// The options menu's items by number; a command runs the item of its number.
namespace command {
enum : int {
  kCopyProgram = 0,
  kPasteProgram = 1,
  kInitProgram = 2,
  kLoadProgram = 4,
  kSaveProgram = 5,
  kLoadBank = 6,
  kSaveBank = 7,
  kSelectStartupBank = 9,
  kLoadStartupBank = 10,
  kUnselectStartupBank = 11,
  kDefaultPathForProgramFiles = 13,
  kReloadConfiguration = 15,
  kSaveConfiguration = 16,
  kLoadPresetDefaults = 18,
  kSavePresetDefaults = 19,
  kMidiThru = 22,
  kIgnoreProgramChange = 23,
  kCheckOnlineForUpdate = 24,
  kVisitMakerWebSite = 25,
};
}  // namespace command

class IPlugCommands {
 public:
  // The program menu: the host hears of the new program and of every parameter value.
  virtual void selectProgram(int index) = 0;
  // Tells the host every parameter's normalised value.
  virtual void publishAllParametersToHost() = 0;
  // An options menu command by number; runs on the editor's thread and may open dialogs.
  virtual void runCommand(int number) = 0;
  // The learn button: arms (or disarms) MIDI learn in the given mode.
  virtual void armLearn(bool on, bool unlearnMode) = 0;

  // What the options menu shows enabled or checked.
  virtual bool hasCopiedProgram() const = 0;
  virtual bool hasStartupBank() const = 0;
  virtual bool midiThruOn() const = 0;
  virtual bool ignoresProgramChange() const = 0;

  // The maker's web page, its menu text, and the way to it when the editor cannot open it itself.
  virtual std::string makerWebPage() const = 0;
  virtual std::string visitMakerMenuText() const = 0;
  virtual void visitMakerWebSite() = 0;

 protected:
  ~IPlugCommands() = default;
};

}  // namespace sorvel
