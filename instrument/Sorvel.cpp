#include "instrument/Sorvel.h"

#include <algorithm>
#include <cstring>

#include "SorvelVersion.h"
#include "dsp/ParameterTable.h"
#include "editor/IGraphicsEditor.h"
#include "editor/ITWMenus.h"
#include "editor/SorvelPanel.h"

namespace sorvel {

PlugDescription Sorvel::description() {
  PlugDescription d;
  d.parameterCount = kParameterCount;
  d.channelConfigurations = "0-1 0-2";
  d.programCount = kProgramCount;
  d.effectName = "Sorvel";
  d.productName = "";
  d.makerName = "Tarnwick Music";
  d.version = kVersionCode;
  d.uniqueId = makeFourCC("qm71");
  d.makerId = makeFourCC("Trwk");
  d.latency = 0;
  d.receivesMidi = true;
  d.stateChunks = true;
  d.isInstrument = true;
  return d;
}

Sorvel::Sorvel(vst2::audioMasterCallback hostCallback) : Synth(description(), hostCallback) {
  buildParameterTable();
  ensurePresetDefaults();
  firstBankQuiet_ = true;
  loadFactoryBank();
  firstBankQuiet_ = false;
  buildEditorLayout();
  if (graphics_) attachEditor(graphics_.release());
}

Sorvel::~Sorvel() = default;

void Sorvel::buildParameterTable() {
  const auto& table = parameterTable();
  for (int i = 0; i < kParameterCount && i < parameterCount(); ++i) {
    const ParameterRow& row = table[static_cast<std::size_t>(i)];
    IParam* p = parameter(i);
    switch (row.kind) {
      case ParameterKind::Int:
        p->initInt(row.name.c_str(), static_cast<int>(row.defaultValue), static_cast<int>(row.minimum),
                   static_cast<int>(row.maximum));
        break;
      case ParameterKind::Enum:
        p->initEnum(row.name.c_str(), static_cast<int>(row.defaultValue), *row.texts);
        break;
      case ParameterKind::Double:
        p->initDouble(row.name.c_str(), row.defaultValue, row.minimum, row.maximum, row.step, row.shape);
        break;
    }
  }
}

void Sorvel::buildEditorLayout() {
  if (!graphics_) return;
  panel_ = &SorvelPanel::build(*graphics_, *this);
  learnButton_ = panel_->learnButton();
  programMenuControl_ = panel_->programMenu();
  graphics_->setIdleWork([this] { showIndicators(); });
}

// The host's user-interface thread ticks the editor; its window does the idle work.
void Sorvel::idle() {
  if (panel_ != nullptr) panel_->graphics().hostIdle();
}

// Part of the editor's idle work, on the thread that pumps the window; the LFOs are read under the
// lock the render holds.
void Sorvel::showIndicators() {
  if (!editor()->windowIsOpen()) return;
  bool vibratoHigh = false;
  bool sampleHoldHigh = false;
  {
    LockGuard guard(lock());
    vibratoHigh = engine_.state().vibratoLfo.unipolar > 0.5;
    sampleHoldHigh = engine_.state().sampleHoldLfo.unipolar > 0.5;
  }
  panel_->showIndicators(vibratoHigh, sampleHoldHigh);
}

void Sorvel::reset() {
  LockGuard guard(lock());
  Synth::reset();
  engine_.reset(sampleRate());
}

void Sorvel::parameterChanged(int index) {
  LockGuard guard(lock());
  Synth::parameterChanged(index);  // the learn step
  if (const IParam* p = parameter(index)) engine_.parameterChanged(index, p->value());
  // A preset switch turns the preset panel to its preset while the editor is open.
  const int preset = index - kFirstPresetSwitch;
  if (preset >= 0 && preset < kPresetCount && panel_ != nullptr && editor()->windowIsOpen()) {
    panel_->requestPreset(preset);
  }
}

void Sorvel::render(double** /*inputs*/, double** outputs, int frames) {
  const int channels = outputChannelCount();
  double* left = channels > 0 ? outputs[0] : nullptr;
  double* right = channels > 1 ? outputs[1] : nullptr;
  engine_.render(left, right, frames, engineHost_);
  for (int c = 2; c < channels; ++c) {
    if (outputs[c] != nullptr) std::fill(outputs[c], outputs[c] + frames, 0.0);
  }
}

void Sorvel::processMidiMessage(const MidiMessage& message) {
  if (configuration_.midiThru) sendMidiMessage(message);
  switch (message.kind()) {
    case kMidiNoteOff:
    case kMidiNoteOn:
    case kMidiChannelPressure:
    case kMidiPitchBend:
      midiQueue_.addWithinCapacity(message);
      break;
    case kMidiControlChange:
      if (message.data1 < kControllerCount) {
        if (learning()) {
          captureController(message.data1);
        } else {
          midiQueue_.addWithinCapacity(message);
        }
      } else if (message.data1 == kAllSoundOffController || message.data1 == kAllNotesOffController) {
        allNotesOff();
      }
      break;
    case kMidiProgramChange:
      if (!configuration_.ignoreProgramChange) recallProgram(message.data1);
      break;
    default:
      break;
  }
}

void Sorvel::allNotesOff() { engine_.allNotesOff(); }

bool Sorvel::serializeState(ByteChunk& chunk) {
  chunk.putBytes(kStateTag, kStateTagLength);
  const std::int32_t index = currentProgram();
  chunk.put(index);
  chunk.putString(programName(currentProgram()));
  // The values as the base writes them, as unserializeState reads them back through the base.
  return SerializeParams(chunk);
}

int Sorvel::unserializeState(const ByteChunk& chunk, int position) {
  LockGuard guard(lock());
  char tag[kStateTagLength];
  if (chunk.getBytes(tag, kStateTagLength, position) >= 0 && std::memcmp(tag, kStateTag, kStateTagLength) == 0) {
    // Program index and name are for information only.
    position += kStateTagLength + 4;
    std::int32_t nameLength = 0;
    position = chunk.get(nameLength, position);
    if (position >= 0) {
      const long long next = static_cast<long long>(position) + std::max(0, nameLength);
      position = next > chunk.size() ? -1 : static_cast<int>(next);
    }
  }
  // The values themselves read as the base reads them: clamped, the one where the data ends set
  // to its clamped zero, and every parameter re-applied whatever happened.
  return UnserializeParams(chunk, position);
}

void Sorvel::redrawParameterControls() {
  IPlugBase::redrawParameterControls();
  if (programMenuControl_ != nullptr) programMenuControl_->requestRedraw();
}

void Sorvel::programRestored() { redrawParameterControls(); }

}  // namespace sorvel
