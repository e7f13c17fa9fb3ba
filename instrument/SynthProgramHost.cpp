#include "instrument/SynthProgramHost.h"

#include "instrument/Synth.h"

namespace sorvel {

RecursiveLock& SynthProgramHost::lock() { return owner_.lock(); }
UserDialogs& SynthProgramHost::dialogs() { return owner_.dialogs(); }
int SynthProgramHost::currentProgram() { return owner_.currentProgram(); }
std::string SynthProgramHost::programName(int index) { return owner_.programName(index); }
void SynthProgramHost::ModifyCurrentPreset(const char* name) { owner_.ModifyCurrentPreset(name); }
bool SynthProgramHost::recallProgram(int index) { return owner_.recallProgram(index); }
bool SynthProgramHost::serializeState(ByteChunk& chunk) { return owner_.serializeState(chunk); }
int SynthProgramHost::unserializeState(const ByteChunk& chunk, int position) {
  return owner_.unserializeState(chunk, position);
}
bool SynthProgramHost::loadProgramFile(const std::string& path) { return owner_.loadProgramFile(path); }
bool SynthProgramHost::saveProgramFile(const std::string& path) { return owner_.saveProgramFile(path); }
bool SynthProgramHost::loadBankFile(const std::string& path) { return owner_.loadBankFile(path); }
bool SynthProgramHost::saveBankFile(const std::string& path) { return owner_.saveBankFile(path); }
void SynthProgramHost::redrawParameterControls() { owner_.redrawParameterControls(); }
void SynthProgramHost::publishAllParametersToHost() { owner_.publishAllParametersToHost(); }
void SynthProgramHost::informHostOfProgramChange() { owner_.informHostOfProgramChange(); }
void SynthProgramHost::initialiseProgram() { owner_.initialiseProgram(); }
void SynthProgramHost::loadPresetDefaults() { owner_.loadPresetDefaults(); }
bool SynthProgramHost::savePresetDefaults() { return owner_.savePresetDefaults(); }
void SynthProgramHost::checkOnlineForUpdate() { owner_.checkOnlineForUpdate(); }

}  // namespace sorvel
