// The plug-in library's exported entry point, under the two names hosts look for.
#include <mutex>
#include <new>

#include "instrument/Sorvel.h"

namespace {

// Creation of instances is serialised process-wide.
std::mutex& creationLock() {
  static std::mutex lock;
  return lock;
}

vst2::AEffect* createInstrument(vst2::audioMasterCallback hostCallback) {
  std::lock_guard<std::mutex> guard(creationLock());
  try {
    auto* plug = new sorvel::Sorvel(hostCallback);
    plug->fillEmptyPrograms(sorvel::Sorvel::kProgramCount);
    vst2::AEffect* effect = plug->effect();
    if (effect->numPrograms < 1) effect->numPrograms = 1;
    return effect;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) vst2::AEffect* VSTPluginMain(vst2::audioMasterCallback hostCallback) {
  return createInstrument(hostCallback);
}

// Older hosts look for the entry under the name "main".
extern "C" __attribute__((visibility("default"))) vst2::AEffect* sorvelLegacyMain(vst2::audioMasterCallback hostCallback)
    __asm__("main");
vst2::AEffect* sorvelLegacyMain(vst2::audioMasterCallback hostCallback) { return createInstrument(hostCallback); }
