#include "framework/IPlugBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "framework/IGraphics.h"
#include "framework/Trace.h"

namespace sorvel {

IPlugBase::IPlugBase(const PlugDescription& d)
    : effectName_(d.effectName), productName_(d.productName), makerName_(d.makerName),
      uniqueId_(d.uniqueId), makerId_(d.makerId), version_(d.version), stateChunks_(d.stateChunks),
      isInstrument_(d.isInstrument), receivesMidi_(d.receivesMidi), latency_(d.latency) {
  trace(__func__, __LINE__, "%s", d.effectName);
  parameters_.resize(static_cast<std::size_t>(std::max(0, d.parameterCount)));
  programs_.resize(static_cast<std::size_t>(std::max(0, d.programCount)));

  // Channel configurations: space-separated "inputs-outputs" pairs; missing numbers count as 0.
  int maxInputs = 0, maxOutputs = 0;
  std::istringstream items(d.channelConfigurations ? d.channelConfigurations : "");
  std::string item;
  while (items >> item) {
    int inputs = 0, outputs = 0;
    std::sscanf(item.c_str(), "%d-%d", &inputs, &outputs);
    channelConfigurations_.emplace_back(inputs, outputs);
    maxInputs = std::max(maxInputs, inputs);
    maxOutputs = std::max(maxOutputs, outputs);
  }
  inputPointers_.assign(static_cast<std::size_t>(maxInputs), nullptr);
  outputPointers_.assign(static_cast<std::size_t>(maxOutputs), nullptr);
  inputs_.resize(static_cast<std::size_t>(maxInputs));
  outputs_.resize(static_cast<std::size_t>(maxOutputs));
}

IPlugBase::~IPlugBase() { editor_.reset(); }

void IPlugBase::reset() { LockGuard guard(lock_); }

void IPlugBase::parameterChanged(int /*index*/) { LockGuard guard(lock_); }

void IPlugBase::activate(bool /*on*/) { LockGuard guard(lock_); }

void IPlugBase::render(double** inputs, double** outputs, int frames) {
  const int in = inputChannelCount();
  for (int c = 0; c < outputChannelCount(); ++c) {
    if (outputs[c] == nullptr) continue;
    if (c < in && inputs[c] != nullptr) {
      std::memmove(outputs[c], inputs[c], sizeof(double) * static_cast<std::size_t>(frames));
    } else {
      std::fill(outputs[c], outputs[c] + frames, 0.0);
    }
  }
}

void IPlugBase::processMidiMessage(const MidiMessage& message) { sendMidiMessage(message); }

bool IPlugBase::midiNoteName(int /*note*/, std::string& text) {
  text.clear();
  return false;
}

bool IPlugBase::serializeState(ByteChunk& chunk) { return SerializeParams(chunk); }

int IPlugBase::unserializeState(const ByteChunk& chunk, int position) {
  return UnserializeParams(chunk, position);
}

void IPlugBase::setParameterFromEditor(int index, double normalised) {
  LockGuard guard(lock_);
  IParam* p = parameter(index);
  if (p == nullptr) return;
  p->setNormalised(normalised);
  informHostOfParameterChange(index, normalised);
  parameterChanged(index);
}

void IPlugBase::attachEditor(IGraphics* graphics) {
  if (graphics == nullptr) return;
  LockGuard guard(lock_);
  for (int i = 0; i < parameterCount(); ++i) {
    graphics->setParameterFromPlug(i, parameters_[static_cast<std::size_t>(i)].normalised(), true);
  }
  graphics->prepareDrawing();
  editor_.reset(graphics);
}

void IPlugBase::redrawParameterControls() {
  if (!editor_) return;
  for (int i = 0; i < parameterCount(); ++i) {
    editor_->setParameterFromPlug(i, parameters_[static_cast<std::size_t>(i)].value(), false);
  }
}

void IPlugBase::setBlockSize(int frames) {
  if (frames != blockSize_) {
    const std::size_t size = static_cast<std::size_t>(std::max(0, frames));
    for (auto& channel : inputs_) channel.scratch.assign(size, 0.0);
    for (auto& channel : outputs_) channel.scratch.assign(size, 0.0);
  }
  blockSize_ = frames;
}

bool IPlugBase::LegalIO(int inputs, int outputs) const {
  for (const auto& [in, out] : channelConfigurations_) {
    if ((inputs < 0 || inputs == in) && (outputs < 0 || outputs == out)) return true;
  }
  return false;
}

bool IPlugBase::SerializeParams(ByteChunk& chunk) {
  LockGuard guard(lock_);
  trace(__func__, __LINE__, "%d", parameterCount());
  bool ok = true;
  for (const auto& p : parameters_) {
    const double v = p.value();
    ok = chunk.put(v) > 0 && ok;
  }
  return ok && chunk.size() > 0;
}

int IPlugBase::UnserializeParams(const ByteChunk& chunk, int position) {
  LockGuard guard(lock_);
  trace(__func__, __LINE__, "%d", position);
  for (auto& p : parameters_) {
    if (position < 0) break;
    double v = 0.0;
    position = chunk.get(v, position);
    p.setClamped(position < 0 ? 0.0 : v);
  }
  announceAllParameters();
  return position;
}

bool IPlugBase::SerializePresets(ByteChunk& chunk) {
  trace(__func__, __LINE__, "%d", programCount());
  bool ok = true;
  for (const auto& preset : programs_) {
    ok = chunk.putString(preset.name) > 0 && ok;
    const std::uint8_t flag = preset.initialized ? 1 : 0;
    ok = chunk.put(flag) > 0 && ok;
    if (preset.initialized) ok = chunk.putChunk(preset.chunk) > 0 && ok;
  }
  return ok;
}

int IPlugBase::UnserializePresets(const ByteChunk& chunk, int position) {
  trace(__func__, __LINE__, "%d", position);
  const bool holding = firstBankQuiet_ && !announcementsHeld_;
  if (holding) announcementsHeld_ = true;
  for (auto& preset : programs_) {
    if (position < 0) break;
    std::string name;
    position = chunk.getString(name, position);
    preset.setName(position < 0 ? std::string() : name);
    std::uint8_t flag = 0;
    position = chunk.get(flag, position);
    if (position < 0) break;
    preset.initialized = flag != 0;
    if (preset.initialized) {
      position = unserializeState(chunk, position);
      if (position > 0) {
        preset.chunk.clear();
        serializeState(preset.chunk);
      }
    }
  }
  if (holding) {
    announcementsHeld_ = false;
    if (announcementWaiting_) {
      announcementWaiting_ = false;
      announceAllParameters();
    }
  }
  recallProgram(currentProgram_);
  return position;
}

void IPlugBase::ModifyCurrentPreset(const char* name) {
  IPreset* preset = program(currentProgram_);
  if (preset == nullptr) return;
  trace(__func__, __LINE__, "%d %s", currentProgram_, name ? name : "");
  preset->chunk.clear();
  serializeState(preset->chunk);
  if (name != nullptr && name[0] != '\0') preset->setName(name);
}

bool IPlugBase::recallProgram(int index) {
  IPreset* preset = program(index);
  if (preset == nullptr) return false;
  trace(__func__, __LINE__, "%d", index);
  bool ok;
  if (!preset->initialized) {
    preset->initialized = true;
    int named = 0;
    for (const auto& other : programs_) {
      if (other.name.find("user preset") != std::string::npos) ++named;
    }
    preset->setName("user preset " + std::to_string(named + 1));
    preset->chunk.clear();
    ok = serializeState(preset->chunk);
  } else {
    ok = unserializeState(preset->chunk, 0) > 0;
  }
  if (ok) {
    currentProgram_ = index;
    programRestored();
    redrawParameterControls();
  }
  return ok;
}

void IPlugBase::fillEmptyPrograms(int count) {
  for (int n = 0; n < count; ++n) {
    auto empty = std::find_if(programs_.begin(), programs_.end(), [](const IPreset& p) { return !p.initialized; });
    if (empty == programs_.end()) return;
    empty->initialized = true;
    empty->name = "Empty";
    empty->chunk.clear();
    serializeState(empty->chunk);
  }
}

void IPlugBase::announceAllParameters() {
  if (announcementsHeld_) {
    announcementWaiting_ = true;
    return;
  }
  for (int i = 0; i < parameterCount(); ++i) parameterChanged(i);
}

void IPlugBase::writeChunkHeader(ByteChunk& chunk) {
  chunk.clear();
  chunk.put(kChunkMagic);
  chunk.put(kChunkVersion);
}

int IPlugBase::readChunkHeader(const ByteChunk& chunk, int& position) {
  std::int32_t magic = 0;
  if (chunk.get(magic, position) < 0 || magic != kChunkMagic) return 0;
  std::int32_t version = 0;
  const int next = chunk.get(version, position + 4);
  if (next < 0) {
    position = -1;
    return 0;
  }
  position = next;
  return version;
}

IParam* IPlugBase::parameter(int index) {
  if (index < 0 || index >= parameterCount()) return nullptr;
  return &parameters_[static_cast<std::size_t>(index)];
}

const IParam* IPlugBase::parameter(int index) const {
  if (index < 0 || index >= parameterCount()) return nullptr;
  return &parameters_[static_cast<std::size_t>(index)];
}

IPreset* IPlugBase::program(int index) {
  if (index < 0 || index >= programCount()) return nullptr;
  return &programs_[static_cast<std::size_t>(index)];
}

std::string IPlugBase::programName(int index) const {
  if (index < 0 || index >= programCount()) return {};
  return programs_[static_cast<std::size_t>(index)].name;
}

}  // namespace sorvel
