// The options menu's commands and the program menu's choice: confirmations, file dialogs, the
// program copy buffer, and the folder the file dialogs start in. They reach the plug-in only
// through ProgramHost.
#pragma once

#include <string>

#include "editor/IPlugCommands.h"
#include "framework/ByteChunk.h"
#include "instrument/Configuration.h"
#include "platform/RecursiveLock.h"
#include "platform/UserDialogs.h"

namespace sorvel {

// Longest confirmation text; longer ones are cut.
constexpr std::size_t kMaxConfirmationText = 1023;

// A program name made fit for a file name: each of < > : " / \ | ? * becomes '_'.
std::string proposedFileName(const std::string& programName);

// The path cut before its last '/' or '\'; empty when no separator follows the first character.
std::string folderPart(const std::string& path);

// What the commands need of the plug-in: its programs and their files, its parameters as the
// host and the editor see them, the preset defaults, the update check and the user's dialogs.
class ProgramHost {
 public:
  virtual RecursiveLock& lock() = 0;
  virtual UserDialogs& dialogs() = 0;
  virtual int currentProgram() = 0;
  virtual std::string programName(int index) = 0;
  // Stores the parameters into the current program, under a new name when one is given.
  virtual void ModifyCurrentPreset(const char* name = nullptr) = 0;
  virtual bool recallProgram(int index) = 0;
  virtual bool serializeState(ByteChunk& chunk) = 0;
  virtual int unserializeState(const ByteChunk& chunk, int position) = 0;
  virtual bool loadProgramFile(const std::string& path) = 0;
  virtual bool saveProgramFile(const std::string& path) = 0;
  virtual bool loadBankFile(const std::string& path) = 0;
  virtual bool saveBankFile(const std::string& path) = 0;
  virtual void redrawParameterControls() = 0;
  virtual void publishAllParametersToHost() = 0;
  virtual void informHostOfProgramChange() = 0;
  virtual void initialiseProgram() = 0;
  virtual void loadPresetDefaults() = 0;
  virtual bool savePresetDefaults() = 0;
  virtual void checkOnlineForUpdate() = 0;

 protected:
  ~ProgramHost() = default;
};

class ProgramCommands {
 public:
  ProgramCommands(ProgramHost& plug, Configuration& configuration) : plug_(plug), configuration_(configuration) {}

  // Runs on the editor's thread and never holds the plug-in lock while a dialog is open.
  void run(int number);
  void selectProgram(int index);

  bool hasCopiedProgram() const { return copyBuffer_.size() > 0; }
  int copyProgramIndex() const { return copyProgramIndex_; }

  // Start folder of the file dialogs, shared by every instance in the process.
  static std::string rememberedFolder();
  // Back to the state of a fresh process: the next command sets it again.
  static void forgetRememberedFolder();

 private:
  void copyProgram();
  void pasteProgram();
  bool confirm(const std::string& text, const std::string& caption);
  void runFileCommand(int number);
  void runFolderCommand(int number);
  void runConfigurationCommand(int number);
  // A configuration write that failed, as the user sees it.
  void cannotSave();
  void useRememberedFolder();

  ProgramHost& plug_;
  Configuration& configuration_;
  int copyProgramIndex_ = -1;
  ByteChunk copyBuffer_{4096};
};

}  // namespace sorvel
