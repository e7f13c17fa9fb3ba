// The plug-in library's exported entry point, under the two names hosts look for.
#include <new>

#include "instrument/Sorvel.h"
#include "platform/RecursiveLock.h"

namespace {

// Creation of instances is serialised process-wide.
sorvel::RecursiveLock& creationLock() {
  static sorvel::RecursiveLock lock;
  return lock;
}

vst2::AEffect* createInstrument(vst2::audioMasterCallback hostCallback) {
  sorvel::LockGuard guard(creationLock());
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

#if defined(_WIN32)

// The module definition file exports this under both names.
extern "C" vst2::AEffect* VSTPluginMain(vst2::audioMasterCallback hostCallback) {
  return createInstrument(hostCallback);
}

#else

extern "C" __attribute__((visibility("default"))) vst2::AEffect* VSTPluginMain(vst2::audioMasterCallback hostCallback) {
  return createInstrument(hostCallback);
}

// Older hosts look for the entry under the name "main".
extern "C" __attribute__((visibility("default"))) vst2::AEffect* sorvelLegacyMain(vst2::audioMasterCallback hostCallback)
    __asm__("main");
vst2::AEffect* sorvelLegacyMain(vst2::audioMasterCallback hostCallback) { return createInstrument(hostCallback); }

#endif
