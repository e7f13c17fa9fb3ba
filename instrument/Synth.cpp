#include "instrument/Synth.h"

#include "framework/FxFile.h"
#include "platform/ModuleFolder.h"
#include "platform/Resources.h"
#include "platform/UserFolders.h"

namespace sorvel {

Synth::Synth(const PlugDescription& description, vst2::audioMasterCallback hostCallback)
    : IPlugVST(description, hostCallback) {
  controllerMap_.fill(-1);
  // Numbers are formatted and parsed locale-independently everywhere, so the host's locale is
  // left alone.
  pluginFolder_ = moduleFolder();
  dialogs_ = makeSystemDialogs();
  documentsFolder_ = userDocumentsFolder();
  programFilesFolder_ = documentsFolder_;
  setUpConfiguration(pluginFolder_);
  mtsClient_ = std::make_unique<MtsClient>();
}

Synth::~Synth() { mtsClient_.reset(); }

void Synth::setDialogs(std::unique_ptr<UserDialogs> dialogs) {
  if (dialogs) dialogs_ = std::move(dialogs);
}

void Synth::reset() {
  LockGuard guard(lock());
  midiQueue_.resize(MidiEventQueue::burstCapacity(blockSize()));
  learning_ = false;
}

void Synth::parameterChanged(int index) {
  LockGuard guard(lock());
  if (learning_ && index >= 0 && index < parameterCount()) {
    capturedParameter_ = index;
    learnStep();
  }
}

void Synth::activate(bool on) {
  LockGuard guard(lock());
  if (on) announceAllParameters();
}

void Synth::publishAllParametersToHost() {
  LockGuard guard(lock());
  for (int i = 0; i < parameterCount(); ++i) informHostOfParameterChange(i, parameter(i)->normalised());
}

void Synth::armLearn(bool on, bool unlearnMode) {
  LockGuard guard(lock());
  capturedController_ = -1;
  capturedParameter_ = -1;
  unlearnMode_ = unlearnMode;
  learning_ = on;
}

void Synth::captureController(int controller) {
  LockGuard guard(lock());
  capturedController_ = controller;
  learnStep();
}

void Synth::learnStep() {
  if (learning_) {
    const bool haveController = capturedController_ >= 0 && capturedController_ < kControllerCount;
    const bool haveParameter = capturedParameter_ >= 0;
    if (!unlearnMode_) {
      if (haveController && haveParameter) {
        for (int& entry : controllerMap_) {
          if (entry == capturedParameter_) entry = -1;
        }
        controllerMap_[static_cast<std::size_t>(capturedController_)] = capturedParameter_;
        learning_ = false;
      }
    } else if (haveController || haveParameter) {
      if (haveController) {
        controllerMap_[static_cast<std::size_t>(capturedController_)] = -1;
      } else {
        for (int& entry : controllerMap_) {
          if (entry == capturedParameter_) entry = -1;
        }
      }
      learning_ = false;
      unlearnMode_ = false;
    }
  }
  // The learn button comes with the editor; it is reset there when learning ends.
}

// The startup bank when one is set and loads, else the bank compiled into the library.
bool Synth::loadFactoryBank() {
  if (!startupBankPath_.empty() && loadBankFile(startupBankPath_)) return true;
  startupBankPath_.clear();
  const ResourceBytes resource = findResource("PROGDATA", "PROGINIT");
  if (!resource.found() || resource.size == 0 || resource.size > static_cast<std::size_t>(INT32_MAX / 2)) {
    return false;
  }
  ByteChunk bank(4096);
  bank.putBytes(resource.data, static_cast<int>(resource.size));
  // Past the bank-file header to the program list; the framework chunk header is optional.
  int position = fx::kBankChunkOffset;
  readChunkHeader(bank, position);
  const bool ok = UnserializePresets(bank, position) >= 0;
  informHostOfProgramChange();
  return ok;
}

int Synth::mappedParameter(int controller) const {
  if (controller < 0 || controller >= kControllerCount) return -1;
  return controllerMap_[static_cast<std::size_t>(controller)];
}

}  // namespace sorvel
