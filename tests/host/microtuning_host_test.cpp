// Microtuning through the real plug-in. Each test loads its own copy of sorvel.so, so that the
// copy connects to the tuning library the test names as it loads, the way a host's process does.
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/ParameterIds.h"
#include "tests/host/PluginHost.h"
#include "tests/host/SoundMeasures.h"
#include "tests/tuning_standin.h"

using sorvel::kOctaveDown;
using sorvel::kSaw8;
using sorvel::kPresetCutoff;
using sorvel::kPresetFilter2;
using sorvel::presetParameter;
using sorvel::presetSwitch;
using testhost::EntryPoint;
using testhost::PluginHost;

namespace {

constexpr char kLibraryVariable[] = "SORVEL_MTS_LIBRARY";
using soundtest::kRate;

// A private copy of the plug-in library, loaded while SORVEL_MTS_LIBRARY names the given path
// (or is unset when the path is empty).
class PluginCopy {
 public:
  explicit PluginCopy(const std::string& tuningLibrary) {
    namespace fs = std::filesystem;
    static int copies = 0;
    const fs::path copy = fs::temp_directory_path() /
                          ("sorvel-mts-" + std::to_string(::getpid()) + "-" + std::to_string(++copies) + ".so");
    fs::copy_file(SORVEL_PLUGIN_PATH, copy, fs::copy_options::overwrite_existing);
    if (tuningLibrary.empty()) {
      unsetenv(kLibraryVariable);
    } else {
      setenv(kLibraryVariable, tuningLibrary.c_str(), 1);
    }
    handle_ = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    unsetenv(kLibraryVariable);
    fs::remove(copy);
  }
  ~PluginCopy() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  PluginCopy(const PluginCopy&) = delete;
  PluginCopy& operator=(const PluginCopy&) = delete;

  EntryPoint entry() const {
    return handle_ == nullptr ? nullptr : reinterpret_cast<EntryPoint>(dlsym(handle_, "VSTPluginMain"));
  }

 private:
  void* handle_ = nullptr;
};

// The 8' sawtooth alone, an octave down so that it sounds at the note's own frequency, through an
// open filter without resonance.
void playPlainSawtooth(PluginHost& host) {
  host.start(static_cast<float>(kRate), 512);
  host.dispatch(vst2::effSetProgram, 0, 63);  // "Init": every parameter at its default
  host.setParameter(kOctaveDown, 1.0f);
  host.setParameter(presetSwitch(kSaw8), 1.0f);
  host.setParameter(presetParameter(kSaw8, kPresetCutoff), 0.55f);
  host.setParameter(presetParameter(kSaw8, kPresetFilter2), 0.0f);
}

// The left channel of whole 512-frame blocks.
std::vector<double> render(PluginHost& host, double seconds) {
  std::vector<double> all;
  host.renderInto(all, static_cast<int>(seconds * kRate / 512) * 512);
  return all;
}

// Frequency from the first to the last rising zero crossing, each placed between its samples.
double measuredFrequency(const std::vector<double>& samples) {
  double first = -1;
  double last = -1;
  int crossings = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    if (samples[i - 1] < 0 && samples[i] >= 0) {
      const double at = static_cast<double>(i - 1) + samples[i - 1] / (samples[i - 1] - samples[i]);
      if (first < 0) first = at;
      last = at;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return (crossings - 1) * kRate / (last - first);
}

double peak(const std::vector<double>& samples) { return soundtest::peak(samples, 0, samples.size()); }

// The frequency the plug-in plays for the note, measured over a second after it settled.
double playedFrequency(PluginHost& host, int note) {
  host.sendMidi(0, 0x90, static_cast<unsigned char>(note), 100);
  render(host, 0.3);
  return measuredFrequency(render(host, 1.0));
}

}  // namespace

TEST(MicrotuningHost, EachInstanceRegistersAndDeregistersAtClose) {
  standin::TuningStandIn library(SORVEL_TUNING_STANDIN);
  ASSERT_TRUE(library.ready());
  PluginCopy plugin(SORVEL_TUNING_STANDIN);
  ASSERT_NE(plugin.entry(), nullptr);
  EXPECT_EQ(library.clients(), 0);  // loading the library registers nobody
  auto first = std::make_unique<PluginHost>(plugin.entry());
  ASSERT_TRUE(first->loaded());
  EXPECT_EQ(library.clients(), 1);
  auto second = std::make_unique<PluginHost>(plugin.entry());
  EXPECT_EQ(library.clients(), 2);
  first.reset();
  EXPECT_EQ(library.clients(), 1);
  second.reset();
  EXPECT_EQ(library.clients(), 0);
  EXPECT_EQ(library.registrations(), 2);
}

TEST(MicrotuningHost, NotesStartAtTheMastersFrequencies) {
  standin::TuningStandIn library(SORVEL_TUNING_STANDIN);
  ASSERT_TRUE(library.ready());
  PluginCopy plugin(SORVEL_TUNING_STANDIN);
  PluginHost host(plugin.entry());
  ASSERT_TRUE(host.loaded());
  playPlainSawtooth(host);
  library.setFrequency(69, 450.0);

  // No master yet: the instrument's own tuning.
  EXPECT_NEAR(playedFrequency(host, 69), 440.0, 0.3);
  host.sendMidi(0, 0x80, 69, 0);
  render(host, 0.2);

  library.setMaster(true);
  EXPECT_NEAR(playedFrequency(host, 69), 450.0, 0.3);
  host.sendMidi(0, 0x80, 69, 0);
  render(host, 0.2);

  library.setFrequency(60, 300.0);
  EXPECT_NEAR(playedFrequency(host, 60), 300.0, 0.3);
}

TEST(MicrotuningHost, FilteredNotesStaySilentWhileTheMasterIsOnline) {
  standin::TuningStandIn library(SORVEL_TUNING_STANDIN);
  ASSERT_TRUE(library.ready());
  PluginCopy plugin(SORVEL_TUNING_STANDIN);
  PluginHost host(plugin.entry());
  ASSERT_TRUE(host.loaded());
  playPlainSawtooth(host);
  library.setFiltered(69, true);
  library.setMaster(true);

  host.sendMidi(0, 0x90, 69, 100);
  EXPECT_LT(peak(render(host, 0.3)), 1e-9);
  EXPECT_EQ(library.lastFilterChannel(), -1);

  host.sendMidi(0, 0x90, 70, 100);  // an unfiltered note sounds
  EXPECT_GT(peak(render(host, 0.3)), 1e-3);
  host.sendMidi(0, 0x80, 70, 0);
  render(host, 0.5);

  library.setMaster(false);  // with no master, nothing is filtered
  host.sendMidi(0, 0x90, 69, 100);
  EXPECT_GT(peak(render(host, 0.3)), 1e-3);
}

TEST(MicrotuningHost, WithoutAnyTuningLibraryNotesPlayInEqualTemperament) {
  PluginCopy plugin("/nonexistent/folder/libMTS.so");
  PluginHost host(plugin.entry());
  ASSERT_TRUE(host.loaded());
  playPlainSawtooth(host);
  EXPECT_NEAR(playedFrequency(host, 69), 440.0, 0.3);
}

TEST(MicrotuningHost, ALibraryMissingFunctionsFallsBackSilently) {
  for (const char* path : {SORVEL_TUNING_STANDIN_NO_TABLE, SORVEL_TUNING_STANDIN_NO_MASTER}) {
    SCOPED_TRACE(path);
    standin::TuningStandIn library(path);
    ASSERT_TRUE(library.ready());
    library.setMaster(true);
    library.setFrequency(69, 450.0);
    library.setFiltered(69, true);
    PluginCopy plugin(path);
    {
      PluginHost host(plugin.entry());
      ASSERT_TRUE(host.loaded());
      EXPECT_EQ(library.clients(), 1);
      playPlainSawtooth(host);
      EXPECT_NEAR(playedFrequency(host, 69), 440.0, 0.3);
    }
    EXPECT_EQ(library.filterQueries(), 0);
  }
}
