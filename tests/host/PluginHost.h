// A small VST 2 host for tests: loads the built plug-in library and drives it through its
// exported entry point, dispatcher and callbacks, the way a DAW does.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/vst2.h"
#include "tests/host/PluginLibrary.h"

namespace testhost {

using namespace vst2;

using EntryPoint = AEffect* (*)(audioMasterCallback);

inline void* pluginLibrary() {
  static void* handle = openLibrary(SORVEL_PLUGIN_PATH);
  return handle;
}

inline EntryPoint entryPoint(const char* name = "VSTPluginMain") {
  void* handle = pluginLibrary();
  return handle == nullptr ? nullptr : reinterpret_cast<EntryPoint>(librarySymbol(handle, name));
}

struct AutomateCall {
  int index;
  float value;
};

// One host instance around one plug-in instance. What the plug-in asks of the host is recorded.
class PluginHost {
 public:
  explicit PluginHost(std::string product = "Sorvel Test Host", std::string vendor = "Tarnwick Tests",
                      const char* entry = "VSTPluginMain")
      : PluginHost(entryPoint(entry), std::move(product), std::move(vendor)) {}

  // An instance made by the given entry point, e.g. of another copy of the plug-in library.
  explicit PluginHost(EntryPoint main, std::string product = "Sorvel Test Host",
                      std::string vendor = "Tarnwick Tests")
      : product_(std::move(product)), vendor_(std::move(vendor)) {
    if (main == nullptr) return;
    constructing() = this;
    effect_ = main(&PluginHost::callback);
    constructing() = nullptr;
    if (effect_ != nullptr) effect_->user = this;
  }

  ~PluginHost() { close(); }
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  AEffect* effect() const { return effect_; }
  bool loaded() const { return effect_ != nullptr; }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }

  // Opens the plug-in and switches it on, as a host does before playing.
  void start(float sampleRate = 44100.0f, int blockSize = 512) {
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
  }

  void close() {
    if (effect_ == nullptr) return;
    dispatch(effClose);
    effect_ = nullptr;
  }

  std::string text(VstInt32 opcode, VstInt32 index = 0, std::size_t size = 256) {
    std::vector<char> buffer(size, '\0');
    dispatch(opcode, index, 0, buffer.data());
    return std::string(buffer.data(), strnlen(buffer.data(), size));
  }

  std::string parameterName(int index) { return text(effGetParamName, index); }
  std::string parameterDisplay(int index) { return text(effGetParamDisplay, index); }
  void setParameter(int index, float value) { effect_->setParameter(effect_, index, value); }
  float getParameter(int index) { return effect_->getParameter(effect_, index); }

  int findParameter(const std::string& name) {
    for (int i = 0; i < effect_->numParams; ++i) {
      if (parameterName(i) == name) return i;
    }
    return -1;
  }

  void sendMidi(int offset, unsigned char status, unsigned char data1, unsigned char data2) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = offset;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    dispatch(effProcessEvents, 0, 0, &events);
  }

  // Several messages in one event list, in the given order, as a host hands them over before a block.
  struct Midi {
    int offset;
    unsigned char status;
    unsigned char data1;
    unsigned char data2;
  };
  void sendMidiList(const std::vector<Midi>& messages) {
    std::vector<VstMidiEvent> events(messages.size());
    std::vector<VstEvent*> pointers;
    for (std::size_t i = 0; i < messages.size(); ++i) {
      VstMidiEvent& event = events[i];
      event = VstMidiEvent{};
      event.type = kVstMidiType;
      event.byteSize = sizeof(VstMidiEvent);
      event.deltaFrames = messages[i].offset;
      event.midiData[0] = static_cast<char>(messages[i].status);
      event.midiData[1] = static_cast<char>(messages[i].data1);
      event.midiData[2] = static_cast<char>(messages[i].data2);
      pointers.push_back(reinterpret_cast<VstEvent*>(&event));
    }
    // The list's array runs past the declared two entries, as in every host.
    std::vector<VstIntPtr> storage(2 + pointers.size() + 2, 0);
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(pointers.size());
    VstEvent** slots = list->events;
    for (std::size_t i = 0; i < pointers.size(); ++i) slots[i] = pointers[i];
    dispatch(effProcessEvents, 0, 0, list);
  }

  // Renders frames in host blocks of at most blockSize and appends the left channel to sound.
  void renderInto(std::vector<double>& sound, int frames, int blockSize = 512) {
    std::vector<double> left, right;
    while (frames > 0) {
      const int count = std::min(frames, blockSize);
      renderDouble(left, right, count);
      sound.insert(sound.end(), left.begin(), left.end());
      frames -= count;
    }
  }

  // Renders frames of stereo audio in double precision.
  void renderDouble(std::vector<double>& left, std::vector<double>& right, int frames) {
    left.assign(static_cast<std::size_t>(frames), 1.0);
    right.assign(static_cast<std::size_t>(frames), 1.0);
    double* outputs[2] = {left.data(), right.data()};
    effect_->processDoubleReplacing(effect_, nullptr, outputs, frames);
  }

  void renderFloat(std::vector<float>& left, std::vector<float>& right, int frames) {
    left.assign(static_cast<std::size_t>(frames), 1.0f);
    right.assign(static_cast<std::size_t>(frames), 1.0f);
    float* outputs[2] = {left.data(), right.data()};
    effect_->processReplacing(effect_, nullptr, outputs, frames);
  }

  std::vector<unsigned char> getChunk(bool program) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || data == nullptr) return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
  }

  VstIntPtr setChunk(bool program, std::vector<unsigned char> bytes) {
    return dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(bytes.size()), bytes.data());
  }

  // Recorded host traffic.
  std::vector<AutomateCall> automations;
  std::vector<VstMidiEvent> midiOut;
  int productQueries = 0;
  int versionQueries = 0;
  int vendorQueries = 0;
  int hostVersion = 10203;

 private:
  static PluginHost*& constructing() {
    static PluginHost* host = nullptr;
    return host;
  }

  static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/, void* ptr,
                            float opt) {
    PluginHost* host = effect != nullptr && effect->user != nullptr ? static_cast<PluginHost*>(effect->user)
                                                                   : constructing();
    switch (opcode) {
      case audioMasterVersion:
        return 2400;
      case audioMasterAutomate:
        if (host) host->automations.push_back({index, opt});
        return 0;
      case audioMasterGetProductString:
        if (host) {
          ++host->productQueries;
          std::strncpy(static_cast<char*>(ptr), host->product_.c_str(), 63);
        }
        return 1;
      case audioMasterGetVendorString:
        if (host) {
          ++host->vendorQueries;
          std::strncpy(static_cast<char*>(ptr), host->vendor_.c_str(), 63);
        }
        return 1;
      case audioMasterGetVendorVersion:
        if (host) ++host->versionQueries;
        return host ? host->hostVersion : 0;
      case audioMasterProcessEvents:
        if (host && ptr) {
          const auto* events = static_cast<const VstEvents*>(ptr);
          for (int i = 0; i < events->numEvents; ++i) {
            if (events->events[i]->type == kVstMidiType) {
              host->midiOut.push_back(*reinterpret_cast<const VstMidiEvent*>(events->events[i]));
            }
          }
        }
        return 1;
      default:
        return 0;
    }
  }

  AEffect* effect_ = nullptr;
  std::string product_;
  std::string vendor_;
};

}  // namespace testhost
