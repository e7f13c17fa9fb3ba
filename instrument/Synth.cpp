#include "instrument/Synth.h"

#include "editor/IGraphicsEditor.h"
#include "framework/FxFile.h"
#include "instrument/UpdateCheck.h"
#include "platform/ModuleFolder.h"
#include "platform/Resources.h"

namespace sorvel {

Synth::Synth(const PlugDescription& description, vst2::audioMasterCallback hostCallback)
    : IPlugVST(description, hostCallback), configuration_(lock(), description.parameterCount) {
  graphics_ = std::make_unique<IGraphicsEditor>(*this);
  // Numbers are formatted and parsed locale-independently everywhere, so the host's locale is
  // left alone.
  pluginFolder_ = moduleFolder();
  dialogs_ = makeSystemDialogs();
  configuration_.setUp(pluginFolder_);
  mtsClient_ = std::make_unique<MtsClient>();
}

Synth::~Synth() {
  if (editor() != nullptr) editor()->closeWindow();
  mtsClient_.reset();
}

void Synth::setDialogs(std::unique_ptr<UserDialogs> dialogs) {
  if (dialogs) dialogs_ = std::move(dialogs);
}

void Synth::reset() {
  LockGuard guard(lock());
  midiQueue_.resize(MidiEventQueue::burstCapacity(blockSize()));
  midiLearn_.stop();
  showLearnEnded();
}

void Synth::parameterChanged(int index) {
  LockGuard guard(lock());
  if (midiLearn_.learning() && index >= 0 && index < parameterCount()) {
    midiLearn_.captureParameter(index);
    showLearnEnded();
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

void Synth::runCommand(int number) { commands_.run(number); }

void Synth::selectProgram(int index) { commands_.selectProgram(index); }

void Synth::armLearn(bool on, bool unlearnMode) {
  LockGuard guard(lock());
  midiLearn_.arm(on, unlearnMode);
}

void Synth::captureController(int controller) {
  LockGuard guard(lock());
  midiLearn_.captureController(controller);
  showLearnEnded();
}

void Synth::learnStep() {
  midiLearn_.step();
  showLearnEnded();
}

// Any thread may get here: the button takes the value up at the editor's next idle.
void Synth::showLearnEnded() {
  if (learnButton_ != nullptr && !midiLearn_.learning()) {
    learnButton_->setValueFromPlug(0.0);
    learnButton_->requestRedraw();
  }
}

// The startup bank when one is set and loads, else the bank compiled into the library.
bool Synth::loadFactoryBank() {
  const std::string& startupBank = configuration_.startupBankPath();
  if (!startupBank.empty() && loadBankFile(startupBank)) return true;
  configuration_.forgetStartupBank();
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

// The maker's site and the update check, for the options menu.
std::string Synth::makerWebPage() const { return kMakerWebPage; }

std::string Synth::visitMakerMenuText() const { return sorvel::visitMakerMenuText(); }

void Synth::visitMakerWebSite() { sorvel::visitMakerWebSite(dialogs()); }

void Synth::checkOnlineForUpdate() {
  try {
    checkForUpdate(dialogs(), UpdateServer::fromEnvironment());
  } catch (...) {
    // Only running out of memory for the server's name gets here; the host must not see it.
  }
}

}  // namespace sorvel
