// Today's plug-in beside a baseline build, both loaded with dlopen and driven through the VST 2
// interface, each case measured for each in one run. Build the baseline with bench/build_baseline.sh,
// then run build/bench/sorvel_compare_bench --benchmark_repetitions=5
// --benchmark_enable_random_interleaving=true (repetitions interleaved: the machine's load varies).
// SORVEL_BASELINE_PLUGIN names the baseline's sorvel.so (default /tmp/sorvel-baseline/build/sorvel.so).
// The real-time factor is seconds of audio rendered per second of processing time.
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "framework/vst2.h"

namespace {

using namespace vst2;

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;

using EntryPoint = AEffect* (*)(audioMasterCallback);

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// A private copy of a plug-in library: its process-wide tables start unbuilt.
class Library {
 public:
  explicit Library(const std::string& path) {
    namespace fs = std::filesystem;
    static int copies = 0;
    const fs::path copy = fs::temp_directory_path() /
                          ("sorvel-bench-" + std::to_string(::getpid()) + "-" + std::to_string(++copies) + ".so");
    std::error_code failed;
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing, failed);
    if (failed) return;
    handle_ = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    fs::remove(copy, failed);
  }
  ~Library() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  EntryPoint entry() const {
    return handle_ == nullptr ? nullptr : reinterpret_cast<EntryPoint>(dlsym(handle_, "VSTPluginMain"));
  }

 private:
  void* handle_ = nullptr;
};

class Instance {
 public:
  explicit Instance(EntryPoint entry) : effect_(entry != nullptr ? entry(&quietHost) : nullptr) {}
  ~Instance() {
    if (effect_ != nullptr) dispatch(effClose);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool loaded() const { return effect_ != nullptr; }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  void start() {
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
    dispatch(effSetBlockSize, 0, kBlock);
    dispatch(effMainsChanged, 0, 1);
  }
  int index(const std::string& name) {
    if (names_.empty()) {
      for (int i = 0; i < effect_->numParams; ++i) {
        char text[64] = {};
        dispatch(effGetParamName, i, 0, text);
        names_[text] = i;
      }
    }
    const auto found = names_.find(name);
    return found != names_.end() ? found->second : -1;
  }
  void set(int index, float value) {
    if (index >= 0) effect_->setParameter(effect_, index, value);
  }
  void set(const std::string& name, float value) { set(index(name), value); }
  void notes(int count) {
    std::vector<VstMidiEvent> events(static_cast<std::size_t>(count));
    std::vector<VstIntPtr> storage(2 + static_cast<std::size_t>(count) + 2, 0);
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = count;
    for (int i = 0; i < count; ++i) {
      VstMidiEvent& e = events[static_cast<std::size_t>(i)];
      e = VstMidiEvent{};
      e.type = kVstMidiType;
      e.byteSize = sizeof(VstMidiEvent);
      e.midiData[0] = static_cast<char>(0x90);
      e.midiData[1] = static_cast<char>(36 + i);
      e.midiData[2] = 100;
      list->events[i] = reinterpret_cast<VstEvent*>(&e);
    }
    dispatch(effProcessEvents, 0, 0, list);
  }
  void render() {
    double* outputs[2] = {left_.data(), right_.data()};
    effect_->processDoubleReplacing(effect_, nullptr, outputs, kBlock);
    benchmark::DoNotOptimize(left_.data());
  }

 private:
  AEffect* effect_;
  std::map<std::string, int> names_;
  std::vector<double> left_ = std::vector<double>(kBlock), right_ = std::vector<double>(kBlock);
};

struct Patch {
  float voices;                      // "Voices": 0 = "1" .. 1 = "64"
  std::vector<std::string> presets;  // empty: all of them
  int notes;
  bool chorus = true;
};

const Patch kWorst{1.0f, {}, 64};
const Patch kTypical{0.5f, {"8' Saw", "16' PWM", "8'String"}, 8};
const Patch kIdle{0.5f, {"8' Saw", "16' PWM", "8'String"}, 0};
const Patch kIdleDry{0.5f, {"8' Saw", "16' PWM", "8'String"}, 0, false};

std::string libraryPath(bool baseline) {
  if (!baseline) return SORVEL_PLUGIN_PATH;
  const char* path = ::getenv("SORVEL_BASELINE_PLUGIN");
  return path != nullptr && *path != '\0' ? path : "/tmp/sorvel-baseline/build/sorvel.so";
}

void renderPatch(benchmark::State& state, bool baseline, const Patch& patch) {
  Library library(libraryPath(baseline));
  Instance instance(library.entry());
  if (!instance.loaded()) {
    state.SkipWithError("plug-in not loaded");
    return;
  }
  instance.start();
  instance.dispatch(effSetProgram, 0, 63);  // "Init"
  instance.set("Voices", patch.voices);
  if (patch.presets.empty()) {
    for (int i = instance.index("Noise"); i <= instance.index("4'HPerc"); ++i) instance.set(i, 1.0f);
  }
  for (const auto& name : patch.presets) instance.set(name, 1.0f);
  instance.set("Chorus", patch.chorus ? 1.0f : 0.0f);
  instance.notes(patch.notes);
  for (int b = 0; b < 2 * static_cast<int>(kRate) / kBlock; ++b) instance.render();  // past attacks and tails
  for (auto _ : state) instance.render();
  state.counters["realtime_factor"] = benchmark::Counter(kBlock / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

// A fresh library each time, so that its tables are built by this instance's first Reset.
void firstInstance(benchmark::State& state, bool baseline) {
  for (auto _ : state) {
    state.PauseTiming();
    auto library = std::make_unique<Library>(libraryPath(baseline));
    state.ResumeTiming();
    {
      Instance instance(library->entry());
      instance.start();
    }
    state.PauseTiming();
    library.reset();
    state.ResumeTiming();
  }
}

void secondInstance(benchmark::State& state, bool baseline) {
  Library library(libraryPath(baseline));
  Instance first(library.entry());
  first.start();
  for (auto _ : state) {
    Instance instance(library.entry());
    instance.start();
  }
}

void registerAll() {
  for (bool baseline : {true, false}) {
    const std::string build = baseline ? "/baseline" : "/current";
    benchmark::RegisterBenchmark(("WorstCase" + build).c_str(), renderPatch, baseline, kWorst)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("TypicalPatch" + build).c_str(), renderPatch, baseline, kTypical)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("IdleInstance" + build).c_str(), renderPatch, baseline, kIdle)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("IdleInstanceNoChorus" + build).c_str(), renderPatch, baseline, kIdleDry)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("FirstInstanceAndReset" + build).c_str(), firstInstance, baseline)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark(("SecondInstanceAndReset" + build).c_str(), secondInstance, baseline)
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Instances write their settings file: keep it away from the user's own.
  char folder[] = "/tmp/sorvel-bench-XXXXXX";
  if (::mkdtemp(folder) != nullptr) ::setenv("XDG_CONFIG_HOME", folder, 1);
  registerAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
