// Binds the plug-in base to the VST 2.4 interface: the effect record the host holds, the
// dispatcher, the audio callbacks and the host services reached through the host callback.
#pragma once

#include <optional>
#include <string>

#include "framework/IPlugBase.h"
#include "framework/vst2.h"

namespace sorvel {

class IPlugVST : public IPlugBase {
 public:
  IPlugVST(const PlugDescription& description, vst2::audioMasterCallback hostCallback);

  vst2::AEffect* effect() { return &effect_; }

  // Host services.
  void beginParameterEdit(int index) override;
  void informHostOfParameterChange(int index, double normalised) override;
  void endParameterEdit(int index) override;
  void informHostOfProgramChange() override;
  bool isRenderingOffline() override;
  int samplePosition() override;
  double tempo() override;
  void timeSignature(int& numerator, int& denominator) override;
  void timeInformation(TimeInformation& info) override;
  int hostIdentifier() override;
  void resizeEditor() override;
  void hostSpecificInit() override;
  void attachEditor(IGraphics* graphics) override;
  void setLatency(int samples) override;
  bool sendMidiMessage(const MidiMessage& message) override;
  bool sendSysEx(const SysExMessage& message) override;

  bool isChunkHost();
  int hostVersion() const { return hostVersion_; }

  // Entry points handed to the host in the effect record.
  static vst2::VstIntPtr dispatcherEntry(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                         vst2::VstIntPtr value, void* ptr, float opt);
  static void processEntry(vst2::AEffect* effect, float** inputs, float** outputs, vst2::VstInt32 frames);
  static void processReplacingEntry(vst2::AEffect* effect, float** inputs, float** outputs, vst2::VstInt32 frames);
  static void processDoubleReplacingEntry(vst2::AEffect* effect, double** inputs, double** outputs,
                                          vst2::VstInt32 frames);
  static void setParameterEntry(vst2::AEffect* effect, vst2::VstInt32 index, float value);
  static float getParameterEntry(vst2::AEffect* effect, vst2::VstInt32 index);

 private:
  vst2::VstIntPtr dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt);
  // The dispatcher's opcode groups: each returns nothing for an opcode outside its group.
  using Answer = std::optional<vst2::VstIntPtr>;
  Answer dispatchProcessing(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt);
  Answer dispatchPrograms(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt);
  Answer dispatchParameters(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt);
  Answer dispatchEditor(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt);
  Answer dispatchDescription(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt);
  vst2::VstIntPtr vendorSpecific(vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr, float opt);
  vst2::VstIntPtr midiKeyName(vst2::MidiKeyName* key);
  vst2::VstIntPtr callHost(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f);
  std::string askHostString(vst2::VstInt32 opcode);
  const vst2::VstTimeInfo* askHostTime(vst2::VstInt32 flags);

  vst2::VstIntPtr getChunk(vst2::VstInt32 index, void* ptr);
  vst2::VstIntPtr setChunk(vst2::VstInt32 index, vst2::VstIntPtr size, void* ptr);
  vst2::VstIntPtr processEvents(const vst2::VstEvents* events);
  vst2::VstIntPtr stringToParameter(int index, const char* text);
  vst2::VstIntPtr canDo(const char* text);
  vst2::VstIntPtr pinProperties(bool input, int index, void* ptr);
  void setSpeakerArrangement(vst2::VstSpeakerArrangement* arrangement, bool input);
  void setChannelCountsInRecord();

  // Single-precision render: process and processReplacing differ only in adding or replacing.
  void renderFloat(float** inputs, float** outputs, int frames, bool accumulate);
  void renderFloatPiece(float** inputs, float** outputs, int offset, int frames, bool accumulate);

  vst2::audioMasterCallback hostCallback_;
  vst2::AEffect effect_{};
  vst2::ERect editorRect_{};
  vst2::VstSpeakerArrangement inputArrangement_{};
  vst2::VstSpeakerArrangement outputArrangement_{};
  bool hostSpecificInitDone_ = false;
  bool chunkHost_ = false;
  bool chunkHostKnown_ = false;
  ByteChunk programChunk_;
  ByteChunk bankChunk_;
};

}  // namespace sorvel
