// What every fuzz target shares: a private settings folder, dialogs that answer nobody, and a
// host that can call itself a chunk host.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "framework/vst2.h"
#include "instrument/Sorvel.h"
#include "platform/UserDialogs.h"

namespace fuzzing {

// Settings and documents go to a folder of their own, made once per process.
inline const std::string& scratchFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/sorvel-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    const std::string path = made != nullptr ? made : "/tmp";
    ::setenv("HOME", path.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
    return path;
  }();
  return folder;
}

class NoDialogs : public sorvel::UserDialogs {
 public:
  sorvel::MessageAnswer showMessage(const std::string&, const std::string&, sorvel::MessageButtons) override {
    return sorvel::MessageAnswer::No;
  }
  bool chooseFileToOpen(const std::string&, const std::string&, std::string&) override { return false; }
  bool chooseFileToSave(const std::string&, const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool openWebPage(const std::string&) override { return false; }
};

inline bool chunkHostWanted = false;

inline vst2::VstIntPtr hostCallback(vst2::AEffect*, vst2::VstInt32 opcode,
                                            vst2::VstInt32, vst2::VstIntPtr, void* ptr, float) {
  if (opcode == vst2::audioMasterGetVendorString && ptr != nullptr) {
    std::strcpy(static_cast<char*>(ptr), chunkHostWanted ? "Native Instruments" : "Fuzz Host");
    return 1;
  }
  return 0;
}

// A fresh instance, opened and running as a host starts it.
inline std::unique_ptr<sorvel::Sorvel> makeInstance(bool chunkHost = false, float rate = 44100.0f, int block = 512) {
  scratchFolder();
  chunkHostWanted = chunkHost;
  auto plug = std::make_unique<sorvel::Sorvel>(&hostCallback);
  plug->setDialogs(std::make_unique<NoDialogs>());
  vst2::AEffect* e = plug->effect();
  e->dispatcher(e, vst2::effOpen, 0, 0, nullptr, 0.0f);
  e->dispatcher(e, vst2::effSetSampleRate, 0, 0, nullptr, rate);
  e->dispatcher(e, vst2::effSetBlockSize, 0, block, nullptr, 0.0f);
  e->dispatcher(e, vst2::effMainsChanged, 0, 1, nullptr, 0.0f);
  return plug;
}

// One instance of each kind for the whole run, since building one (the factory bank is read and
// every program re-stored) is slow under the sanitizers. Each input starts it on program 0 with
// silence and an empty MIDI queue; programs an earlier input changed stay changed, as in a host.
inline sorvel::Sorvel& instanceAsNew(bool chunkHost = false, float rate = 44100.0f, int block = 512) {
  static std::unique_ptr<sorvel::Sorvel> kept[2];
  std::unique_ptr<sorvel::Sorvel>& k = kept[chunkHost ? 1 : 0];
  if (!k) k = makeInstance(chunkHost);
  sorvel::Sorvel& plug = *k;
  vst2::AEffect* e = plug.effect();
  e->dispatcher(e, vst2::effMainsChanged, 0, 0, nullptr, 0.0f);
  plug.recallProgram(0);
  plug.allNotesOff();
  plug.midiQueue().clear();
  e->dispatcher(e, vst2::effSetSampleRate, 0, 0, nullptr, rate);
  e->dispatcher(e, vst2::effSetBlockSize, 0, block, nullptr, 0.0f);
  e->dispatcher(e, vst2::effMainsChanged, 0, 1, nullptr, 0.0f);
  return plug;
}

inline void renderFrames(sorvel::Sorvel& plug, int frames) {
  static double left[4096], right[4096];
  double* outputs[2] = {left, right};
  vst2::AEffect* e = plug.effect();
  while (frames > 0) {
    const int count = frames < 4096 ? frames : 4096;
    e->processDoubleReplacing(e, nullptr, outputs, count);
    frames -= count;
  }
}

}  // namespace fuzzing
