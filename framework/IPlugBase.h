// The host-independent core of the plug-in: parameters, programs, description, stream format,
// channel buffers, the plug-in lock and the serialization of parameters and programs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/ByteChunk.h"
#include "framework/IParam.h"
#include "framework/IPreset.h"
#include "framework/MidiMessage.h"
#include "platform/RecursiveLock.h"

namespace sorvel {

class IGraphics;

constexpr std::int32_t makeFourCC(const char (&code)[5]) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
                                   (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
                                   (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
                                   static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])));
}

// Version major << 16 | minor << 8 | patch, shown to hosts as major * 10000 + minor * 100 + patch.
inline int decimalVersion(int version) {
  return ((version >> 16) & 0xFFFF) * 10000 + ((version >> 8) & 0xFF) * 100 + (version & 0xFF);
}

struct PlugDescription {
  int parameterCount = 0;
  const char* channelConfigurations = "";
  int programCount = 0;
  const char* effectName = "";
  const char* productName = "";
  const char* makerName = "";
  int version = 0;
  std::int32_t uniqueId = 0;
  std::int32_t makerId = 0;
  int latency = 0;
  bool receivesMidi = false;
  bool stateChunks = false;
  bool isInstrument = false;
};

// An audio channel of the plug-in: whether the host connected it, its slot in the pointer array
// render receives, and a scratch buffer of one block for the single-precision callbacks.
struct ChannelRecord {
  bool connected = false;
  std::vector<double> scratch;
  std::string label;
  float* hostFloatBuffer = nullptr;  // output channels: where the current block goes
};

class IPlugBase {
 public:
  static constexpr std::int32_t kChunkMagic = 0x70666674;  // "tffp" stored little-endian
  static constexpr std::int32_t kChunkVersion = 0x00010000;

  explicit IPlugBase(const PlugDescription& description);
  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // Virtual operations in the order of the plug-in's table of operations: the instrument layers
  // override and add to them in that order, so the order is kept even where a slot does nothing.
  virtual ~IPlugBase();
  virtual void reset();
  virtual void parameterChanged(int index);
  virtual void render(double** inputs, double** outputs, int frames);
  virtual void editorOpened() {}
  virtual void editorClosing() {}
  virtual void idle() {}
  virtual void activate(bool on);
  virtual void processMidiMessage(const MidiMessage& message);
  virtual void processSysEx(const SysExMessage& /*message*/) {}
  virtual bool midiNoteName(int note, std::string& text);
  virtual bool serializeState(ByteChunk& chunk);
  virtual int unserializeState(const ByteChunk& chunk, int position);
  virtual void windowResized() {}
  virtual bool hookReturningFalse() { return false; }
  virtual void hostIdentified() {}
  virtual void hookDoingNothing() {}
  virtual void setParameterFromEditor(int index, double normalised);
  virtual void beginParameterEdit(int index) = 0;
  virtual void informHostOfParameterChange(int index, double normalised) = 0;
  virtual void endParameterEdit(int index) = 0;
  virtual void informHostOfProgramChange() = 0;
  virtual bool isRenderingOffline() = 0;
  virtual int samplePosition() = 0;
  virtual double tempo() = 0;
  virtual void timeSignature(int& numerator, int& denominator) = 0;
  virtual void timeInformation(TimeInformation& info) = 0;
  virtual int hostIdentifier() { return hostId_; }
  virtual void resizeEditor() = 0;
  virtual void hostSpecificInit() {}
  virtual void attachEditor(IGraphics* graphics);
  virtual void setLatency(int samples) { latency_ = samples; }
  virtual bool sendMidiMessage(const MidiMessage& message) = 0;
  virtual bool sendSysEx(const SysExMessage& /*message*/) { return false; }
  virtual void redrawParameterControls();
  virtual int UnserializePresets(const ByteChunk& chunk, int position);
  virtual void ModifyCurrentPreset(const char* name = nullptr);
  virtual void hookUnused() {}
  virtual void programRestored() {}
  virtual void setSampleRate(double rate) { sampleRate_ = rate; }
  virtual void setBlockSize(int frames);

  // Operations that are not virtual.
  bool LegalIO(int inputs, int outputs) const;
  bool SerializeParams(ByteChunk& chunk);
  int UnserializeParams(const ByteChunk& chunk, int position);
  bool SerializePresets(ByteChunk& chunk);
  bool recallProgram(int index);
  void fillEmptyPrograms(int count);
  void announceAllParameters();

  // Program files (one program) and bank files (all programs). Writers produce the chunk forms;
  // readers accept the chunk and the parameter forms. A load that fails leaves the parameters
  // and programs as they were before it.
  bool saveProgramFile(const std::string& fileName);
  bool saveBankFile(const std::string& fileName);
  bool loadProgramFile(const std::string& fileName);
  bool loadBankFile(const std::string& fileName);

  // The framework chunk header at the start of every state chunk handed out.
  static void writeChunkHeader(ByteChunk& chunk);
  // Returns the version when the header is there (position moves past it), else 0.
  static int readChunkHeader(const ByteChunk& chunk, int& position);

  IParam* parameter(int index);
  const IParam* parameter(int index) const;
  int parameterCount() const { return static_cast<int>(parameters_.size()); }
  int programCount() const { return static_cast<int>(programs_.size()); }
  IPreset* program(int index);
  std::string programName(int index) const;
  int currentProgram() const { return currentProgram_; }

  const std::string& effectName() const { return effectName_; }
  const std::string& productName() const { return productName_; }
  const std::string& makerName() const { return makerName_; }
  std::int32_t uniqueId() const { return uniqueId_; }
  std::int32_t makerId() const { return makerId_; }
  int version() const { return version_; }
  int latency() const { return latency_; }
  bool receivesMidi() const { return receivesMidi_; }
  bool stateChunks() const { return stateChunks_; }
  bool isInstrument() const { return isInstrument_; }
  double sampleRate() const { return sampleRate_; }
  int blockSize() const { return blockSize_; }
  int tailSize() const { return tailSize_; }
  int inputChannelCount() const { return static_cast<int>(inputs_.size()); }
  int outputChannelCount() const { return static_cast<int>(outputs_.size()); }
  IGraphics* editor() const { return editor_.get(); }
  RecursiveLock& lock() { return lock_; }

 protected:
  int hostId_ = -1;
  int hostVersion_ = 0;

  std::vector<std::pair<int, int>> channelConfigurations_;
  std::vector<double*> inputPointers_;
  std::vector<double*> outputPointers_;
  std::vector<ChannelRecord> inputs_;
  std::vector<ChannelRecord> outputs_;
  // Set while a new instance reads its first bank: nothing sounds yet, so only the last program's
  // values need reach the plug-in before the current program is recalled. Any later bank load
  // announces each program as it is read, with whatever that does to the sound.
  bool firstBankQuiet_ = false;

 private:
  struct ProgramsSnapshot;
  ProgramsSnapshot takeSnapshot();
  void restoreSnapshot(const ProgramsSnapshot& snapshot);
  void putFileHeader(ByteChunk& file, std::int32_t byteSize, std::int32_t kind, std::int32_t formatVersion,
                     std::int32_t count) const;
  int applyNormalisedFloats(const ByteChunk& file, int position);
  bool loadProgramImages(const ByteChunk& file);

  RecursiveLock lock_;
  std::string effectName_, productName_, makerName_;
  std::int32_t uniqueId_;
  std::int32_t makerId_;
  int version_;
  bool stateChunks_, isInstrument_, receivesMidi_;
  int currentProgram_ = 0;
  double sampleRate_ = 44100.0;
  int blockSize_ = 0;
  int latency_ = 0;
  int tailSize_ = 0;
  std::vector<IParam> parameters_;
  std::unique_ptr<IGraphics> editor_;
  std::vector<IPreset> programs_;
  bool announcementsHeld_ = false;  // announcements wait (see firstBankQuiet_)
  bool announcementWaiting_ = false;
};

}  // namespace sorvel
