#include "tools/render/PluginInstance.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "SorvelVersion.h"
#include "tools/render/RenderError.h"

namespace render {
namespace {

using namespace vst2;

using EntryPoint = AEffect* (*)(audioMasterCallback);

constexpr char kHostVendor[] = "Tarnwick Music";
constexpr char kHostProduct[] = "Sorvel Render";
constexpr VstInt32 kHostVersion = sorvel::kVersionNumber;

// The host an instance is being created by: the plug-in may call back before the host has its
// effect pointer to look itself up by.
thread_local HostState* constructingHost = nullptr;

HostState* hostOf(AEffect* effect) {
  if (effect != nullptr && effect->user != nullptr) return static_cast<HostState*>(effect->user);
  return constructingHost;
}

void copyText(void* destination, const char* text, std::size_t capacity) {
  if (destination == nullptr) return;
  std::strncpy(static_cast<char*>(destination), text, capacity - 1);
  static_cast<char*>(destination)[capacity - 1] = '\0';
}

bool hostCanDo(const char* what) {
  static constexpr std::array<const char*, 6> kAnswers = {
      "sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents", "receiveVstMidiEvent",
      "offline"};
  if (what == nullptr) return false;
  for (const char* answer : kAnswers) {
    if (std::strcmp(answer, what) == 0) return true;
  }
  return false;
}

}  // namespace

std::string defaultPluginPath() {
  std::array<char, 4096> self{};
  const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
  if (length <= 0) return "sorvel.so";
  std::string path(self.data(), static_cast<std::size_t>(length));
  const auto slash = path.rfind('/');
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "sorvel.so";
}

VstIntPtr PluginInstance::callback(AEffect* effect, VstInt32 opcode, VstInt32 /*index*/, VstIntPtr /*value*/,
                                   void* ptr, float /*opt*/) {
  HostState* host = hostOf(effect);
  switch (opcode) {
    case audioMasterVersion:
      return 2400;
    case audioMasterCurrentId:
      return effect != nullptr ? effect->uniqueID : 0;
    case audioMasterGetTime:
      return host != nullptr ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
    case audioMasterProcessEvents:  // MIDI the plug-in sends on: nobody listens here
      return 1;
    case audioMasterGetSampleRate:
      return host != nullptr ? static_cast<VstIntPtr>(host->sampleRate) : 0;
    case audioMasterGetBlockSize:
      return host != nullptr ? host->blockSize : 0;
    case audioMasterGetCurrentProcessLevel:
      return kVstProcessLevelOffline;
    case audioMasterGetVendorString:
      copyText(ptr, kHostVendor, kVstMaxVendorStrLen);
      return 1;
    case audioMasterGetProductString:
      copyText(ptr, kHostProduct, kVstMaxProductStrLen);
      return 1;
    case audioMasterGetVendorVersion:
      return kHostVersion;
    case audioMasterCanDo:
      return hostCanDo(static_cast<const char*>(ptr)) ? 1 : 0;
    default:
      return 0;
  }
}

PluginInstance::PluginInstance(const std::string& libraryPath, double sampleRate, int blockSize) {
  host_.sampleRate = sampleRate;
  host_.blockSize = blockSize;
  host_.time.sampleRate = sampleRate;
  host_.time.flags = kVstTransportPlaying;

  library_ = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    const char* reason = dlerror();
    throw RenderError(kExitBadPlugin, "cannot load plug-in '" + libraryPath + "': " + (reason ? reason : "unknown error"));
  }
  auto entry = reinterpret_cast<EntryPoint>(dlsym(library_, "VSTPluginMain"));
  if (entry == nullptr) entry = reinterpret_cast<EntryPoint>(dlsym(library_, "main"));
  if (entry == nullptr) {
    dlclose(library_);
    throw RenderError(kExitBadPlugin, "'" + libraryPath + "' is not a VST 2 plug-in (no entry point)");
  }
  constructingHost = &host_;
  effect_ = entry(&PluginInstance::callback);
  constructingHost = nullptr;
  if (effect_ == nullptr || effect_->magic != kEffectMagic) {
    effect_ = nullptr;
    dlclose(library_);
    throw RenderError(kExitBadPlugin, "'" + libraryPath + "' did not create a VST 2 instance");
  }
  effect_->user = &host_;
  dispatch(effOpen);
  if ((effect_->flags & effFlagsIsSynth) == 0 || effect_->numOutputs < 1 || effect_->numOutputs > 64 ||
      effect_->numInputs < 0 || effect_->numInputs > 64 || effect_->processReplacing == nullptr) {
    dispatch(effClose);
    effect_ = nullptr;
    dlclose(library_);
    throw RenderError(kExitBadPlugin, "'" + libraryPath + "' is not an instrument plug-in");
  }
  dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  dispatch(effSetBlockSize, 0, blockSize);
}

PluginInstance::~PluginInstance() {
  if (effect_ != nullptr) {
    stop();
    dispatch(effClose);  // the plug-in frees itself here
  }
  if (library_ != nullptr) dlclose(library_);
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

bool PluginInstance::canProcessDouble() const {
  return (effect_->flags & effFlagsCanDoubleReplacing) != 0 && effect_->processDoubleReplacing != nullptr;
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) {
  // Generous room: some plug-ins write past the published lengths.
  std::array<char, 512> buffer{};
  dispatch(opcode, index, 0, buffer.data());
  buffer.back() = '\0';
  return buffer.data();
}

std::string PluginInstance::programName(int index) {
  std::array<char, 512> buffer{};
  if (dispatch(effGetProgramNameIndexed, index, -1, buffer.data()) == 0) {
    // Hosts fall back to switching programs when the indexed query is not answered.
    const auto current = static_cast<VstInt32>(dispatch(effGetProgram));
    dispatch(effSetProgram, 0, index);
    dispatch(effGetProgramName, 0, 0, buffer.data());
    dispatch(effSetProgram, 0, current);
  }
  buffer.back() = '\0';
  return buffer.data();
}

std::string PluginInstance::parameterName(int index) { return text(effGetParamName, index); }
std::string PluginInstance::parameterDisplay(int index) { return text(effGetParamDisplay, index); }
std::string PluginInstance::parameterLabel(int index) { return text(effGetParamLabel, index); }

void PluginInstance::selectProgram(int index) {
  dispatch(effBeginSetProgram);
  dispatch(effSetProgram, 0, index);
  dispatch(effEndSetProgram);
}

void PluginInstance::start() {
  if (running_) return;
  dispatch(effMainsChanged, 0, 1);
  dispatch(effStartProcess);
  running_ = true;
}

void PluginInstance::stop() {
  if (!running_) return;
  dispatch(effStopProcess);
  dispatch(effMainsChanged, 0, 0);
  running_ = false;
}

void PluginInstance::sendEvents(VstEvents* events) { dispatch(effProcessEvents, 0, 0, events); }

}  // namespace render
