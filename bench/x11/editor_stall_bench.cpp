// How long the audio thread waits while the editor is open and busy: 10 s of real-time rendering
// in blocks of 64 frames while a user drags a knob, the host automates another and ticks the
// editor. Reports the longest and the mean time in processReplacing against the block's period;
// with argument 0 the same runs with the editor closed, to tell the editor's share from the
// machine's own scheduling.
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "dsp/ParameterIds.h"
#include "framework/MidiMessage.h"
#include "framework/vst2.h"
#include "tests/x11/XServerRig.h"

namespace {

using namespace vst2;
using Clock = std::chrono::steady_clock;

constexpr float kRate = 44100.0f;
constexpr int kBlock = 64;
constexpr int kSeconds = 10;

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// Four notes that sound through the whole run.
void startChord(AEffect* effect) {
  VstMidiEvent chord[4]{};
  VstIntPtr listStorage[8] = {};
  auto* list = reinterpret_cast<VstEvents*>(listStorage);
  list->numEvents = 4;
  for (int i = 0; i < 4; ++i) {
    chord[i].type = kVstMidiType;
    chord[i].byteSize = sizeof(VstMidiEvent);
    chord[i].midiData[0] = static_cast<char>(sorvel::statusByte(sorvel::kMidiNoteOn, 0));
    chord[i].midiData[1] = static_cast<char>(48 + 4 * i);
    chord[i].midiData[2] = 100;
    list->events[i] = reinterpret_cast<VstEvent*>(&chord[i]);
  }
  effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
}

struct BlockTimes {
  double longest = 0.0;  // seconds
  double mean = 0.0;
};

// kSeconds of blocks, each started at its own time as a real-time host would.
BlockTimes renderInRealTime(AEffect* effect) {
  std::vector<float> left(kBlock), right(kBlock);
  float* outputs[2] = {left.data(), right.data()};
  const auto period = std::chrono::duration<double>(kBlock / static_cast<double>(kRate));
  const int blocks = static_cast<int>(kSeconds * kRate / kBlock);
  BlockTimes times;
  double total = 0.0;
  auto deadline = Clock::now();
  for (int b = 0; b < blocks; ++b) {
    const auto start = Clock::now();
    effect->processReplacing(effect, nullptr, outputs, kBlock);
    const double spent = std::chrono::duration<double>(Clock::now() - start).count();
    times.longest = std::max(times.longest, spent);
    total += spent;
    deadline += std::chrono::duration_cast<Clock::duration>(period);
    std::this_thread::sleep_until(deadline);
  }
  times.mean = total / blocks;
  return times;
}

void EditorOpenAudioWaits(benchmark::State& state) {
  testx11::XvfbServer server;
  if (!server.running()) {
    state.SkipWithError("no X server");
    return;
  }
  void* library = dlopen(SORVEL_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  auto* main = library != nullptr ? reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(library, "VSTPluginMain"))
                                  : nullptr;
  AEffect* effect = main != nullptr ? main(quietHost) : nullptr;
  if (effect == nullptr) {
    state.SkipWithError("plug-in not loaded");
    return;
  }
  const auto dispatch = [&](VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                            float opt = 0.0f) { return effect->dispatcher(effect, opcode, index, value, ptr, opt); };
  dispatch(effOpen);
  dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
  dispatch(effSetBlockSize, 0, kBlock);
  dispatch(effMainsChanged, 0, 1);

  testx11::TestDisplay display;
  const xcb_window_t window = display.makeTopWindow(0, 0, 1104, 488);
  const bool editorOpen = state.range(0) != 0;
  if (editorOpen) dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)));

  for (auto _ : state) {
    std::atomic<bool> done{false};
    // The host's user-interface thread, and the host automating "Balance".
    std::thread ui([&] {
      int tick = 0;
      while (!done) {
        dispatch(effEditIdle);
        effect->setParameter(effect, sorvel::kBalance, static_cast<float>(tick++ % 100) / 100.0f);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
      }
    });
    // A user dragging "Volume" up and down.
    std::thread user([&] {
      display.moveTo(68, 304);
      display.button(1, true);
      for (int step = 0; !done; ++step) {
        display.moveTo(68, 304 - (step % 80) + 40);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      display.button(1, false);
    });

    startChord(effect);
    const BlockTimes times = renderInRealTime(effect);
    done = true;
    user.join();
    ui.join();
    state.counters["block_ms"] = kBlock / static_cast<double>(kRate) * 1000.0;
    state.counters["longest_ms"] = times.longest * 1000.0;
    state.counters["mean_ms"] = times.mean * 1000.0;
  }

  if (editorOpen) dispatch(effEditClose);
  dispatch(effMainsChanged, 0, 0);
  dispatch(effClose);
}
BENCHMARK(EditorOpenAudioWaits)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
