#include "framework/IPlugVST.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

#include "framework/HostIdentification.h"
#include "framework/IGraphics.h"

namespace sorvel {

using namespace vst2;

namespace {

// Bounds of the texts copied into host buffers, terminator included.
constexpr int kParameterTextCapacity = 32;
constexpr int kMaxBlockSize = 1 << 20;
constexpr int kDefaultBlockSize = 1024;  // until the host tells its own
constexpr int kHostStringCapacity = 256;
// The longest text read from a host's string (a typed value, a capability's name).
constexpr std::size_t kLongestHostText = 256;
// Sample positions and chunk sizes beyond this cannot be held in an int.
constexpr std::int32_t kLargestInt = std::numeric_limits<std::int32_t>::max();
constexpr VstIntPtr kVstVersion = 2400;  // the interface version this binding implements
constexpr VstIntPtr kIdentifyAnswer = fourCC('N', 'v', 'E', 'f');
// Vendor-specific questions some hosts ask about a parameter (its index in value): the display text
// of the value in opt, and whether it moves in steps. kVendorAnswered says the question was understood.
constexpr VstInt32 kVendorDisplayOfValue = 7;
constexpr VstInt32 kVendorIsStepped = 8;
constexpr VstIntPtr kVendorAnswered = 0xBEEF;
// The answer that says yes to a host's question about its own extensions.
constexpr VstIntPtr kExtensionAnswer = static_cast<VstIntPtr>(0xBEEF0000);

// A name into a host buffer; 1 when there was a buffer.
VstIntPtr copyName(void* ptr, const std::string& name, int capacity) {
  if (ptr == nullptr) return 0;
  copyBounded(static_cast<char*>(ptr), name.c_str(), capacity);
  return 1;
}

IPlugVST* plugOf(AEffect* effect) {
  return effect == nullptr ? nullptr : static_cast<IPlugVST*>(effect->object);
}

VstInt32 arrangementType(int channels) {
  switch (channels) {
    case 0: return kSpeakerArrEmpty;
    case 1: return kSpeakerArrMono;
    case 2: return kSpeakerArrStereo;
    default: return kSpeakerArrUserDefined;
  }
}

}  // namespace

IPlugVST::IPlugVST(const PlugDescription& description, audioMasterCallback hostCallback)
    : IPlugBase(description), hostCallback_(hostCallback) {
  effect_.magic = kEffectMagic;
  effect_.dispatcher = &IPlugVST::dispatcherEntry;
  effect_.process = &IPlugVST::processEntry;
  effect_.setParameter = &IPlugVST::setParameterEntry;
  effect_.getParameter = &IPlugVST::getParameterEntry;
  effect_.processReplacing = &IPlugVST::processReplacingEntry;
  effect_.processDoubleReplacing = &IPlugVST::processDoubleReplacingEntry;
  effect_.numPrograms = programCount();
  effect_.numParams = parameterCount();
  effect_.numInputs = inputChannelCount();
  effect_.numOutputs = outputChannelCount();
  effect_.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (stateChunks()) effect_.flags |= effFlagsProgramChunks;
  if (isInstrument()) effect_.flags |= effFlagsIsSynth;
  if (LegalIO(1, -1)) effect_.flags |= effFlagsCanMono;
  effect_.initialDelay = latency();
  effect_.ioRatio = 1.0f;
  effect_.object = this;
  effect_.uniqueID = uniqueId();
  effect_.version = decimalVersion(version());

  inputArrangement_.type = arrangementType(inputChannelCount());
  inputArrangement_.numChannels = inputChannelCount();
  outputArrangement_.type = arrangementType(outputChannelCount());
  outputArrangement_.numChannels = outputChannelCount();
  for (auto& channel : inputs_) channel.connected = true;
  for (auto& channel : outputs_) channel.connected = true;
  setBlockSize(kDefaultBlockSize);
}

// ---- Host services ---------------------------------------------------------------------------

VstIntPtr IPlugVST::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (hostCallback_ == nullptr) return 0;
  return hostCallback_(&effect_, opcode, index, value, ptr, opt);
}

std::string IPlugVST::askHostString(VstInt32 opcode) {
  char buffer[kHostStringCapacity] = {};
  callHost(opcode, 0, 0, buffer);
  buffer[kHostStringCapacity - 1] = '\0';
  return std::string(buffer, strnlen(buffer, kVstMaxVendorStrLen));
}

const VstTimeInfo* IPlugVST::askHostTime(VstInt32 flags) {
  return reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, flags));
}

void IPlugVST::beginParameterEdit(int index) { callHost(audioMasterBeginEdit, index); }

void IPlugVST::informHostOfParameterChange(int index, double normalised) {
  callHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalised));
}

void IPlugVST::endParameterEdit(int index) { callHost(audioMasterEndEdit, index); }

void IPlugVST::informHostOfProgramChange() { callHost(audioMasterUpdateDisplay); }

bool IPlugVST::isRenderingOffline() {
  return callHost(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

int IPlugVST::samplePosition() {
  const VstTimeInfo* time = askHostTime(0);
  if (time == nullptr || !(time->samplePos >= 0.0) || time->samplePos > static_cast<double>(kLargestInt)) return 0;
  return static_cast<int>(time->samplePos + 0.5);
}

double IPlugVST::tempo() {
  const VstTimeInfo* time = askHostTime(kVstTempoValid);
  if (time != nullptr && (time->flags & kVstTempoValid) && time->tempo >= 0.0) return time->tempo;
  return 0.0;
}

void IPlugVST::timeSignature(int& numerator, int& denominator) {
  numerator = 0;
  denominator = 0;
  const VstTimeInfo* time = askHostTime(kVstTimeSigValid);
  if (time != nullptr && (time->flags & kVstTimeSigValid) && time->timeSigNumerator >= 0 &&
      time->timeSigDenominator >= 0) {
    numerator = time->timeSigNumerator;
    denominator = time->timeSigDenominator;
  }
}

void IPlugVST::timeInformation(TimeInformation& info) {
  constexpr VstInt32 wanted = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
  const VstTimeInfo* time = askHostTime(wanted);
  if (time == nullptr || (time->flags & wanted) == 0) return;
  info.samplePosition = time->samplePos;
  if ((time->flags & kVstPpqPosValid) && time->ppqPos >= 0.0) info.musicalPosition = time->ppqPos;
  if ((time->flags & kVstTempoValid) && time->tempo > 0.0) info.tempo = time->tempo;
  if ((time->flags & kVstBarsValid) && time->barStartPos >= 0.0) info.lastBarStart = time->barStartPos;
  if ((time->flags & kVstCyclePosValid) && time->cycleStartPos >= 0.0 && time->cycleEndPos >= 0.0) {
    info.cycleStart = time->cycleStartPos;
    info.cycleEnd = time->cycleEndPos;
  }
  if ((time->flags & kVstTimeSigValid) && time->timeSigNumerator > 0 && time->timeSigDenominator > 0) {
    info.numerator = time->timeSigNumerator;
    info.denominator = time->timeSigDenominator;
  }
  info.transportPlaying = (time->flags & kVstTransportPlaying) != 0;
  info.cycleActive = (time->flags & kVstTransportCycleActive) != 0;
}

int IPlugVST::hostIdentifier() {
  if (hostId_ == -1) {
    const std::string product = askHostString(audioMasterGetProductString);
    int version = 0;
    if (!product.empty()) version = static_cast<int>(callHost(audioMasterGetVendorVersion));
    hostId_ = identifyHost(product);
    hostVersion_ = storedHostVersion(version);
  }
  return hostId_;
}

bool IPlugVST::isChunkHost() {
  if (!chunkHostKnown_) {
    chunkHost_ = isChunkHostVendor(askHostString(audioMasterGetVendorString));
    chunkHostKnown_ = true;
  }
  return chunkHost_;
}

void IPlugVST::setChannelCountsInRecord() {
  effect_.numInputs = inputChannelCount();
  effect_.numOutputs = outputChannelCount();
  inputArrangement_.numChannels = inputChannelCount();
  outputArrangement_.numChannels = outputChannelCount();
}

void IPlugVST::hostSpecificInit() {
  if (hostSpecificInitDone_) return;
  hostSpecificInitDone_ = true;
  const int host = hostIdentifier();
  if (host == kHostForte || host == kHostAudition || host == kHostOrion || host == kHostSawStudio) {
    for (std::size_t c = 2; c < inputs_.size(); ++c) {
      inputs_[c].connected = false;
      inputPointers_[c] = inputs_[c].scratch.data();
    }
    for (std::size_t c = 2; c < outputs_.size(); ++c) outputs_[c].connected = true;
  }
  setChannelCountsInRecord();
  hostIdentified();
}

void IPlugVST::attachEditor(IGraphics* graphics) {
  IPlugBase::attachEditor(graphics);
  if (editor() == nullptr) return;
  effect_.flags |= effFlagsHasEditor;
  editorRect_.top = 0;
  editorRect_.left = 0;
  editorRect_.bottom = static_cast<VstInt16>(editor()->height());
  editorRect_.right = static_cast<VstInt16>(editor()->width());
}

void IPlugVST::resizeEditor() {
  if (editor() == nullptr) return;
  editorRect_.bottom = static_cast<VstInt16>(editor()->height());
  editorRect_.right = static_cast<VstInt16>(editor()->width());
  windowResized();
}

void IPlugVST::setLatency(int samples) {
  IPlugBase::setLatency(samples);
  effect_.initialDelay = samples;
}

bool IPlugVST::sendMidiMessage(const MidiMessage& message) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = message.offset;
  event.midiData[0] = static_cast<char>(message.status);
  event.midiData[1] = static_cast<char>(message.data1);
  event.midiData[2] = static_cast<char>(message.data2);
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&event);
  return callHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IPlugVST::sendSysEx(const SysExMessage& message) {
  VstMidiSysexEvent event{};
  event.type = kVstSysExType;
  event.byteSize = sizeof(VstMidiSysexEvent);
  event.deltaFrames = message.offset;
  event.dumpBytes = message.size;
  event.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(message.data));
  VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<VstEvent*>(&event);
  return callHost(audioMasterProcessEvents, 0, 0, &events) == 1;
}

// ---- Dispatcher ------------------------------------------------------------------------------

VstIntPtr IPlugVST::dispatcherEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                    float opt) {
  IPlugVST* plug = plugOf(effect);
  if (plug == nullptr) return 0;
  if (opcode == effClose) {
    // The object owns the lock; it is released before the object goes.
    plug->lock().lock();
    plug->lock().unlock();
    delete plug;
    return 0;
  }
  try {
    // The editor's opcodes draw and wait for the window system: they go without the plug-in lock,
    // and what the editor reads or writes of the plug-in takes the lock itself, briefly, so that
    // the audio thread never waits on drawing.
    const bool editorCall = opcode == effEditGetRect || opcode == effEditOpen || opcode == effEditClose ||
                            opcode == effEditIdle || opcode == effIdle;
    if (editorCall) return plug->dispatch(opcode, index, value, ptr, opt);
    LockGuard guard(plug->lock());
    return plug->dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    return 0;  // nothing may cross into the host
  }
}

VstIntPtr IPlugVST::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  // Each group answers the opcodes it knows; the audio-rate ones come first. Others get 0.
  for (const auto group : {&IPlugVST::dispatchProcessing, &IPlugVST::dispatchPrograms, &IPlugVST::dispatchParameters,
                           &IPlugVST::dispatchEditor, &IPlugVST::dispatchDescription}) {
    if (const Answer answer = (this->*group)(opcode, index, value, ptr, opt)) return *answer;
  }
  return 0;
}

// Opening, rate, block size, activation, events, state chunks and the speaker arrangements.
IPlugVST::Answer IPlugVST::dispatchProcessing(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                              float opt) {
  switch (opcode) {
    case effProcessEvents:
      return processEvents(static_cast<const VstEvents*>(ptr));
    case effOpen:
      hostSpecificInit();
      announceAllParameters();
      return 0;
    case effSetSampleRate:
      setSampleRate(opt);
      reset();
      return 0;
    case effSetBlockSize:
      setBlockSize(static_cast<int>(std::clamp<VstIntPtr>(value, 1, kMaxBlockSize)));
      reset();
      return 0;
    case effMainsChanged:
      activate(value != 0);
      if (value == 0) reset();
      return 0;
    case effGetChunk:
      return getChunk(index, ptr);
    case effSetChunk:
      return setChunk(index, value, ptr);
    case effProcessVarIo:
      return 0;
    case effSetSpeakerArrangement:
      setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value), true);
      setSpeakerArrangement(static_cast<VstSpeakerArrangement*>(ptr), false);
      return 1;
    case effGetSpeakerArrangement:
      if (value != 0) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement_;
      if (ptr != nullptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement_;
      return 1;
    default:
      return std::nullopt;
  }
}

IPlugVST::Answer IPlugVST::dispatchPrograms(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
  switch (opcode) {
    case effSetProgram:
      ModifyCurrentPreset();
      if (value >= 0 && value < programCount()) recallProgram(static_cast<int>(value));
      return 0;
    case effGetProgram:
      return currentProgram();
    case effSetProgramName:
      if (ptr != nullptr) {
        const char* text = static_cast<const char*>(ptr);
        const std::string name(text, strnlen(text, IPreset::kMaxNameLength));
        ModifyCurrentPreset(name.c_str());
        programRestored();
      }
      return 0;
    case effGetProgramName:
      if (ptr != nullptr) copyBounded(static_cast<char*>(ptr), programName(currentProgram()).c_str(), kVstMaxProgNameLen);
      return 0;
    case effGetProgramNameIndexed: {
      const std::string name = programName(index);
      if (ptr != nullptr) copyBounded(static_cast<char*>(ptr), name.c_str(), kVstMaxProgNameLen);
      return ptr != nullptr && !name.empty() ? 1 : 0;
    }
    default:
      return std::nullopt;
  }
}

// Parameter names and texts, including the two vendor-specific questions about one parameter.
IPlugVST::Answer IPlugVST::dispatchParameters(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                              float opt) {
  const IParam* p = parameter(index);
  switch (opcode) {
    case effGetParamLabel:
      if (ptr != nullptr && p != nullptr) copyBounded(static_cast<char*>(ptr), p->labelForHost(), kParameterTextCapacity);
      return 0;
    case effGetParamDisplay:
      if (ptr != nullptr && p != nullptr) {
        copyBounded(static_cast<char*>(ptr), p->formatForDisplay(p->value(), false).c_str(), kParameterTextCapacity);
      }
      return 0;
    case effGetParamName:
      if (ptr != nullptr && p != nullptr) copyBounded(static_cast<char*>(ptr), p->name(), kParameterTextCapacity);
      return 0;
    case effCanBeAutomated:
      return 1;
    case effString2Parameter:
      return stringToParameter(index, static_cast<const char*>(ptr));
    case effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    default:
      return std::nullopt;
  }
}

VstIntPtr IPlugVST::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  const bool known = value >= 0 && value < parameterCount();
  if (index == kVendorDisplayOfValue && ptr != nullptr) {
    if (known) {
      const IParam* p = parameter(static_cast<int>(value));
      copyBounded(static_cast<char*>(ptr), p->formatForDisplay(opt, true).c_str(), kParameterTextCapacity);
    }
    return kVendorAnswered;
  }
  if (index == kVendorIsStepped && known && parameter(static_cast<int>(value))->kind() != IParam::kTypeDouble) {
    return kVendorAnswered;
  }
  return 0;
}

IPlugVST::Answer IPlugVST::dispatchEditor(VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
  switch (opcode) {
    case effEditGetRect:
      if (ptr != nullptr && editor() != nullptr) {
        *static_cast<ERect**>(ptr) = &editorRect_;
        return 1;
      }
      return 0;
    case effEditOpen:
      if (editor() != nullptr && editor()->openWindow(ptr)) {
        editorOpened();
        return 1;
      }
      return 0;
    case effEditClose:
      if (editor() != nullptr) {
        editorClosing();
        editor()->closeWindow();
        return 1;
      }
      return 0;
    case effEditIdle:
    case effIdle:
      idle();
      return 0;
    default:
      return std::nullopt;
  }
}

// What the plug-in is: identity, names, pins, category, capabilities and key names.
IPlugVST::Answer IPlugVST::dispatchDescription(VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float) {
  switch (opcode) {
    case effIdentify:
      return kIdentifyAnswer;
    case effGetInputProperties:
      return pinProperties(true, index, ptr);
    case effGetOutputProperties:
      return pinProperties(false, index, ptr);
    case effGetPlugCategory:
      return isInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effGetEffectName:
      return copyName(ptr, effectName(), kVstMaxEffectNameLen);
    case effGetVendorString:
      return copyName(ptr, makerName(), kVstMaxVendorStrLen);
    case effGetProductString:
      return copyName(ptr, productName(), kVstMaxProductStrLen);
    case effGetVendorVersion:
      return decimalVersion(version());
    case effCanDo:
      return canDo(static_cast<const char*>(ptr));
    case effGetTailSize:
      return tailSize();
    case effGetVstVersion:
      return kVstVersion;
    case effGetMidiKeyName:
      return midiKeyName(static_cast<MidiKeyName*>(ptr));
    default:
      return std::nullopt;
  }
}

VstIntPtr IPlugVST::midiKeyName(MidiKeyName* key) {
  if (key == nullptr) return 0;
  key->keyName[0] = '\0';
  std::string text;
  const bool named = midiNoteName(key->thisKeyNumber, text);
  copyBounded(key->keyName, text.c_str(), kVstMaxLabelLen);
  return named ? 1 : 0;
}

VstIntPtr IPlugVST::getChunk(VstInt32 index, void* ptr) {
  if (ptr == nullptr) return 0;
  const bool bank = index == 0 && !isChunkHost();
  ByteChunk& chunk = bank ? bankChunk_ : programChunk_;
  writeChunkHeader(chunk);
  bool ok;
  if (bank) {
    ModifyCurrentPreset();
    // The current program follows the list, where readers of the list alone never look.
    ok = SerializePresets(chunk) && chunk.put(static_cast<std::int32_t>(currentProgram())) > 0;
  } else {
    ok = serializeState(chunk);
    if (ok) chunk.putString(programName(currentProgram()));
  }
  if (!ok || chunk.size() == 0) return 0;
  *static_cast<void**>(ptr) = chunk.data();
  return chunk.size();
}

VstIntPtr IPlugVST::setChunk(VstInt32 index, VstIntPtr size, void* ptr) {
  if (ptr == nullptr) return 0;
  const bool chunkHost = isChunkHost();
  const bool bank = index == 0 && !chunkHost;
  const int bytes = static_cast<int>(std::clamp<VstIntPtr>(size, 0, kLargestInt));
  ByteChunk& chunk = bank ? bankChunk_ : programChunk_;
  chunk.resize(bytes);
  if (bytes > 0) std::memcpy(chunk.data(), ptr, static_cast<std::size_t>(bytes));

  int position = 0;
  const int version = readChunkHeader(chunk, position);
  if (bank && version >= kChunkVersion) {
    position = UnserializePresets(chunk, position);
    std::int32_t current = 0;
    const int afterCurrent = position >= 0 ? chunk.get(current, position) : -1;
    if (afterCurrent >= 0 && current >= 0 && current < programCount()) {
      recallProgram(current);
      position = afterCurrent;
    }
  } else {
    position = unserializeState(chunk, position);
    std::string name;
    const int afterName = position >= 0 && position < bytes ? chunk.getString(name, position) : -1;
    if (afterName >= 0) position = afterName;
    ModifyCurrentPreset(afterName >= 0 && !name.empty() ? name.c_str() : nullptr);
  }

  if (chunkHost) {
    if (position != bytes) {
      // The host may have handed a whole bank after all: the same bytes, read again as one.
      int bankPosition = 0;
      if (readChunkHeader(chunk, bankPosition) >= kChunkVersion && UnserializePresets(chunk, bankPosition) < 0) {
        return 0;
      }
    }
  } else if (position < 0) {
    return 0;
  }
  redrawParameterControls();
  return 1;
}

VstIntPtr IPlugVST::processEvents(const VstEvents* events) {
  if (events == nullptr) return 0;
  // The host's list is longer than the two entries the record declares: walk it by pointer.
  VstEvent* const* list = events->events;
  const int lastOffset = std::max(0, blockSize());
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = list[i];
    if (event == nullptr) continue;
    if (event->type == kVstMidiType) {
      const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
      MidiMessage message;
      message.offset = std::clamp(midi->deltaFrames, 0, lastOffset);
      message.status = static_cast<std::uint8_t>(midi->midiData[0]);
      message.data1 = static_cast<std::uint8_t>(midi->midiData[1]);
      message.data2 = static_cast<std::uint8_t>(midi->midiData[2]);
      processMidiMessage(message);
    } else if (event->type == kVstSysExType) {
      const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      SysExMessage message;
      message.offset = std::clamp(sysex->deltaFrames, 0, lastOffset);
      message.size = sysex->dumpBytes;
      message.data = reinterpret_cast<const std::uint8_t*>(sysex->sysexDump);
      processSysEx(message);
    }
  }
  return 1;
}

VstIntPtr IPlugVST::stringToParameter(int index, const char* text) {
  IParam* p = parameter(index);
  if (p == nullptr) return 0;
  if (text == nullptr) return 1;
  const std::string typed(text, strnlen(text, kLongestHostText));
  double value = 0.0;
  if (p->displayTextCount() == 0) {
    if (!parseDecimal(typed, value)) value = 0.0;
    if (p->negateDisplay()) value = -value;
  } else if (!p->mapDisplayText(typed, value)) {
    return 0;
  }
  if (editor() != nullptr) editor()->setParameterFromPlug(index, value, false);
  p->setClamped(value);
  parameterChanged(index);
  return 1;
}

VstIntPtr IPlugVST::canDo(const char* text) {
  if (text == nullptr) return 0;
  const std::string what(text, strnlen(text, kLongestHostText));
  if (what == "receiveVstTimeInfo") return 1;
  if (receivesMidi() && (what == "sendVstEvents" || what == "sendVstMidiEvent" || what == "receiveVstEvents" ||
                         what == "receiveVstMidiEvent")) {
    return 1;
  }
  if (what == "hasCockosExtensions" || what == "hasCockosViewAsConfig") return kExtensionAnswer;
  return 0;
}

VstIntPtr IPlugVST::pinProperties(bool input, int index, void* ptr) {
  const auto& channels = input ? inputs_ : outputs_;
  if (ptr == nullptr || index < 0 || index >= static_cast<int>(channels.size())) return 0;
  auto* pin = static_cast<VstPinProperties*>(ptr);
  pin->flags = kVstPinIsActive;
  if (index % 2 == 0 && index < static_cast<int>(channels.size()) - 1) pin->flags |= kVstPinIsStereo;
  const std::string& label = channels[static_cast<std::size_t>(index)].label;
  if (!label.empty()) {
    copyBounded(pin->label, label.c_str(), kVstMaxLabelLen);
  } else {
    std::snprintf(pin->label, kVstMaxLabelLen, input ? "Input %d" : "Output %d", index + 1);
  }
  return 1;
}

void IPlugVST::setSpeakerArrangement(VstSpeakerArrangement* arrangement, bool input) {
  if (arrangement == nullptr) return;
  auto& channels = input ? inputs_ : outputs_;
  auto& pointers = input ? inputPointers_ : outputPointers_;
  const int count = static_cast<int>(channels.size());
  const int connected = std::clamp(arrangement->numChannels, 0, count);
  for (int c = 0; c < count; ++c) {
    auto& channel = channels[static_cast<std::size_t>(c)];
    channel.connected = c < connected;
    if (!channel.connected) pointers[static_cast<std::size_t>(c)] = channel.scratch.data();
  }
}

// ---- Audio callbacks -------------------------------------------------------------------------

void IPlugVST::processDoubleReplacingEntry(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
  IPlugVST* plug = plugOf(effect);
  if (plug == nullptr || frames <= 0) return;
  LockGuard guard(plug->lock());
  if (plug->receivesMidi()) plug->callHost(audioMasterWantMidi, 0, 1);
  // A host that passes more frames than the block size is served in pieces, so channels that
  // render into their scratch buffers never overflow them.
  const int piece = std::max(1, plug->blockSize());
  for (int offset = 0; offset < frames; offset += piece) {
    const int count = std::min(piece, frames - offset);
    int hostInput = 0;
    for (std::size_t c = 0; c < plug->inputs_.size(); ++c) {
      auto& channel = plug->inputs_[c];
      plug->inputPointers_[c] = channel.connected && inputs != nullptr && inputs[hostInput] != nullptr
                                    ? inputs[hostInput++] + offset
                                    : channel.scratch.data();
    }
    int hostOutput = 0;
    for (std::size_t c = 0; c < plug->outputs_.size(); ++c) {
      auto& channel = plug->outputs_[c];
      plug->outputPointers_[c] = channel.connected && outputs != nullptr && outputs[hostOutput] != nullptr
                                     ? outputs[hostOutput++] + offset
                                     : channel.scratch.data();
    }
    try {
      plug->render(plug->inputPointers_.data(), plug->outputPointers_.data(), count);
    } catch (...) {
    }
  }
}

void IPlugVST::processReplacingEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  IPlugVST* plug = plugOf(effect);
  if (plug == nullptr || frames <= 0) return;
  plug->renderFloat(inputs, outputs, frames, false);
}

void IPlugVST::processEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  IPlugVST* plug = plugOf(effect);
  if (plug == nullptr || frames <= 0) return;
  plug->renderFloat(inputs, outputs, frames, true);
}

void IPlugVST::renderFloat(float** inputs, float** outputs, int frames, bool accumulate) {
  LockGuard guard(lock());
  if (receivesMidi()) callHost(audioMasterWantMidi, 0, 1);
  const int piece = std::max(1, blockSize());
  for (int offset = 0; offset < frames; offset += piece) {
    renderFloatPiece(inputs, outputs, offset, std::min(piece, frames - offset), accumulate);
  }
}

void IPlugVST::renderFloatPiece(float** inputs, float** outputs, int offset, int frames, bool accumulate) {
  int hostInput = 0;
  for (std::size_t c = 0; c < inputs_.size(); ++c) {
    auto& channel = inputs_[c];
    if (channel.connected && inputs != nullptr && inputs[hostInput] != nullptr) {
      const float* source = inputs[hostInput++] + offset;
      for (int i = 0; i < frames; ++i) channel.scratch[static_cast<std::size_t>(i)] = source[i];
    }
    inputPointers_[c] = channel.scratch.data();
  }
  int hostOutput = 0;
  for (std::size_t c = 0; c < outputs_.size(); ++c) {
    auto& channel = outputs_[c];
    channel.hostFloatBuffer = nullptr;
    if (channel.connected && outputs != nullptr && outputs[hostOutput] != nullptr) {
      channel.hostFloatBuffer = outputs[hostOutput++] + offset;
    }
    outputPointers_[c] = channel.scratch.data();
  }
  try {
    render(inputPointers_.data(), outputPointers_.data(), frames);
  } catch (...) {
  }
  for (auto& channel : outputs_) {
    if (channel.hostFloatBuffer == nullptr) continue;
    const double* rendered = channel.scratch.data();
    for (int i = 0; i < frames; ++i) {
      const float sample = static_cast<float>(rendered[i]);
      channel.hostFloatBuffer[i] = accumulate ? channel.hostFloatBuffer[i] + sample : sample;
    }
  }
}

void IPlugVST::setParameterEntry(AEffect* effect, VstInt32 index, float value) {
  IPlugVST* plug = plugOf(effect);
  if (plug == nullptr) return;
  LockGuard guard(plug->lock());
  IParam* p = plug->parameter(index);
  if (p == nullptr) return;
  try {
    const double normalised = p->toNormalised(p->fromNormalised(value));
    if (plug->editor() != nullptr) plug->editor()->setParameterFromPlug(index, normalised, true);
    p->setNormalised(value);
    plug->parameterChanged(index);
  } catch (...) {
  }
}

float IPlugVST::getParameterEntry(AEffect* effect, VstInt32 index) {
  IPlugVST* plug = plugOf(effect);
  if (plug == nullptr) return 0.0f;
  LockGuard guard(plug->lock());
  const IParam* p = plug->parameter(index);
  return p == nullptr ? 0.0f : static_cast<float>(p->normalised());
}

}  // namespace sorvel
