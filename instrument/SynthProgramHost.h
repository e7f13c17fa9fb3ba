// The synthesizer's side of the program commands: each call goes to the plug-in as it is.
#pragma once

#include "instrument/ProgramCommands.h"

namespace sorvel {

class Synth;

class SynthProgramHost : public ProgramHost {
 public:
  explicit SynthProgramHost(Synth& owner) : owner_(owner) {}

  RecursiveLock& lock() override;
  UserDialogs& dialogs() override;
  int currentProgram() override;
  std::string programName(int index) override;
  void ModifyCurrentPreset(const char* name) override;
  bool recallProgram(int index) override;
  bool serializeState(ByteChunk& chunk) override;
  int unserializeState(const ByteChunk& chunk, int position) override;
  bool loadProgramFile(const std::string& path) override;
  bool saveProgramFile(const std::string& path) override;
  bool loadBankFile(const std::string& path) override;
  bool saveBankFile(const std::string& path) override;
  void redrawParameterControls() override;
  void publishAllParametersToHost() override;
  void informHostOfProgramChange() override;
  void initialiseProgram() override;
  void loadPresetDefaults() override;
  bool savePresetDefaults() override;
  void checkOnlineForUpdate() override;

 private:
  Synth& owner_;
};

}  // namespace sorvel
