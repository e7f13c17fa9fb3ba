// One plug-in instance loaded from its library and driven through its VST 2 entry point, as a
// host does: open, sample rate and block size, mains on, events and process calls, mains off, close.
#pragma once

#include <string>
#include <vector>

#include "framework/vst2.h"

namespace render {

// What the plug-in may ask of the host while rendering.
struct HostState {
  double sampleRate = 44100.0;
  int blockSize = 512;
  vst2::VstTimeInfo time{};
};

class PluginInstance {
 public:
  // Loads the library and creates the instance; throws RenderError when the library does not
  // load, has no entry point, or what it creates is not an instrument with outputs.
  PluginInstance(const std::string& libraryPath, double sampleRate, int blockSize);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  vst2::AEffect& effect() { return *effect_; }
  vst2::VstIntPtr dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f);

  int programCount() const { return effect_->numPrograms; }
  int parameterCount() const { return effect_->numParams; }
  int outputCount() const { return effect_->numOutputs; }
  bool canProcessDouble() const;

  std::string programName(int index);
  std::string parameterName(int index);
  std::string parameterDisplay(int index);
  std::string parameterLabel(int index);

  void selectProgram(int index);

  void start();  // mains on, start process
  void stop();   // stop process, mains off
  void sendEvents(vst2::VstEvents* events);
  void setSamplePosition(double frames) { host_.time.samplePos = frames; }

 private:
  std::string text(vst2::VstInt32 opcode, vst2::VstInt32 index);
  static vst2::VstIntPtr callback(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                  vst2::VstIntPtr value, void* ptr, float opt);

  void* library_ = nullptr;
  vst2::AEffect* effect_ = nullptr;
  HostState host_;
  bool running_ = false;
};

// The plug-in beside the running renderer.
std::string defaultPluginPath();

}  // namespace render
