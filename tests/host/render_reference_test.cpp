// Renders of a fixed set of inputs through the loaded plug-in, compared sample for sample with renders
// recorded earlier (tests/reference/renders.txt: one line per scenario, a hash of the exact bits of
// each channel). Any change of output, however small, shows here.
//
// To re-record after a deliberate change of sound, run the host test binary directly:
//   SORVEL_RECORD_REFERENCES=tests/reference/renders.txt build/tests/sorvel_host_tests --gtest_filter=RenderReferences.*
// With SORVEL_RECORD_RATES=22050,48000 only the lines at those sample rates are rewritten.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/PluginHost.h"

using namespace testhost;

namespace {

// The random generators are shared by every instance in a library: each group of scenarios loads a
// private copy, so its renders do not depend on what ran before it in the process.
class PrivateLibrary {
 public:
  PrivateLibrary() {
    namespace fs = std::filesystem;
    static int copies = 0;
    const fs::path copy = fs::temp_directory_path() /
                          ("sorvel-ref-" + std::to_string(::getpid()) + "-" + std::to_string(++copies) + ".so");
    fs::copy_file(SORVEL_PLUGIN_PATH, copy, fs::copy_options::overwrite_existing);
    handle_ = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    fs::remove(copy);
  }
  ~PrivateLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  PrivateLibrary(const PrivateLibrary&) = delete;
  PrivateLibrary& operator=(const PrivateLibrary&) = delete;

  EntryPoint entry() const {
    return handle_ == nullptr ? nullptr : reinterpret_cast<EntryPoint>(dlsym(handle_, "VSTPluginMain"));
  }

 private:
  void* handle_ = nullptr;
};

struct TimedMidi {
  double seconds;
  unsigned char status, data1, data2;
};

struct TimedParameter {
  double seconds;
  int index;
  float value;
};

struct Scenario {
  std::string name;
  int rate = 44100;
  int block = 64;
  bool doubles = true;
  double seconds = 0.25;
  int program = 63;  // "Init": every parameter at its default
  std::vector<std::pair<int, float>> settings;  // applied in order after the program
  std::vector<TimedMidi> midi;
  std::vector<TimedParameter> automation;
};

// Parameter indices looked up by their names once.
class Names {
 public:
  explicit Names(EntryPoint entry) {
    PluginHost probe(entry);
    for (int i = 0; probe.loaded() && i < probe.effect()->numParams; ++i) index_[probe.parameterName(i)] = i;
  }
  int operator[](const std::string& name) const {
    const auto found = index_.find(name);
    EXPECT_NE(found, index_.end()) << name;
    return found == index_.end() ? 0 : found->second;
  }

 private:
  std::map<std::string, int> index_;
};

constexpr unsigned char kNoteOn = 0x90;
constexpr unsigned char kNoteOff = 0x80;
constexpr unsigned char kControl = 0xB0;
constexpr unsigned char kPressure = 0xD0;
constexpr unsigned char kBend = 0xE0;
constexpr int kPresets = 19;
constexpr int kLowPassSources = 128;  // the low-pass source list alone ends with "Velocity"

float switchOn() { return 1.0f; }
float voices(int position) { return static_cast<float>(position) / 6.0f; }  // "1" .. "64"

// A phrase with overlapping notes of several velocities, a sustained release, and the pitch bend,
// modulation wheel and channel pressure moving throughout.
std::vector<TimedMidi> phrase() {
  std::vector<TimedMidi> m = {
      {0.0, kNoteOn, 48, 100},    {0.0, kNoteOn, 55, 64},     {0.003, kNoteOn, 64, 127},
      {0.02, kBend, 0, 80},       {0.03, kControl, 1, 40},    {0.04, kPressure, 70, 0},
      {0.06, kBend, 0, 30},       {0.08, kControl, 1, 110},   {0.09, kPressure, 127, 0},
      {0.1, kBend, 0x7F, 0x7F},   {0.12, kNoteOn, 67, 90},    {0.13, kControl, 1, 10},
      {0.14, kBend, 0, 64},       {0.15, kNoteOff, 55, 0},    {0.15, kPressure, 20, 0},
      {0.16, kControl, 64, 127},  {0.17, kNoteOff, 48, 64},   {0.18, kNoteOn, 72, 110},
      {0.2, kControl, 64, 0},     {0.2, kNoteOff, 64, 0},     {0.21, kNoteOff, 67, 0},
      {0.22, kNoteOn, 43, 1},     {0.23, kNoteOff, 72, 0},    {0.24, kNoteOff, 43, 0}};
  return m;
}

// Legato notes on one voice, for glides and the single-voice note rules.
std::vector<TimedMidi> legato() {
  return {{0.0, kNoteOn, 48, 100},  {0.05, kNoteOn, 60, 90},  {0.09, kNoteOff, 48, 0},
          {0.1, kNoteOn, 55, 120},  {0.14, kNoteOff, 60, 0},  {0.15, kNoteOn, 72, 80},
          {0.19, kNoteOff, 55, 0},  {0.2, kNoteOff, 72, 0},   {0.21, kNoteOn, 36, 100},
          {0.23, kNoteOff, 36, 0}};
}

class Catalogue {
 public:
  explicit Catalogue(const Names& names) : n_(names) {}

  // Preset p (0-based) switched on with quick envelopes, the envelope on its filter and both
  // filters part-way, so that every stage acts within a short render.
  void addPreset(Scenario& s, int p) const {
    s.settings.push_back({n_["Noise"] + p, switchOn()});
    const int block = n_["P1 Gain"] + 8 * p;
    for (const auto& [slot, value] : std::vector<std::pair<int, float>>{
             {1, 0.6f}, {2, 0.3f}, {3, 0.4f}, {4, 0.01f}, {5, 0.1f}, {6, 0.7f}, {7, 0.05f}}) {
      s.settings.push_back({block + slot, value});
    }
  }

  // Eight voices, keyboard sensor and both joysticks on, every global modulation given depth, the
  // chorus on; no preset yet.
  Scenario performance(const std::string& name) const {
    Scenario s;
    s.name = name;
    s.midi = phrase();
    s.settings = {{n_["Voices"], voices(3)},   {n_["Velocity"], 0.6f},  {n_["KBD Sens"], switchOn()},
                  {n_["Joy Syn."], switchOn()}, {n_["Joy Ins."], switchOn()}, {n_["NoiseDpt"], 0.3f},
                  {n_["LPF Dpt"], 0.5f},       {n_["HPF Dpt"], 0.3f},   {n_["Chorus"], switchOn()}};
    return s;
  }

  // The performance settings with a sound from both sections.
  Scenario mixed(const std::string& name) const {
    Scenario s = performance(name);
    for (const char* preset : {"8' Saw", "16' PWM", "32'Tuba", "8'String", "16'Clavi"}) {
      addPreset(s, n_[preset] - n_["Noise"]);
    }
    return s;
  }

  Scenario allPresets(const std::string& name) const {
    Scenario s = performance(name);
    for (int p = 0; p < kPresets; ++p) addPreset(s, p);
    return s;
  }

  std::vector<Scenario> presets() const {
    std::vector<Scenario> list;
    for (int p = 0; p < kPresets; ++p) {
      Scenario s = performance("preset-" + std::to_string(p + 1));
      addPreset(s, p);
      list.push_back(s);
    }
    list.push_back(allPresets("all-presets"));
    Scenario synthe = performance("synthe-presets");
    for (int p = 0; p < 8; ++p) addPreset(synthe, p);
    list.push_back(synthe);
    Scenario instrument = performance("instrument-presets");
    for (int p = 8; p < kPresets; ++p) addPreset(instrument, p);
    list.push_back(instrument);
    // Factory programs as they are stored, slow envelopes and all.
    for (int program : {0, 7, 15, 23, 31, 39, 47, 55, 62}) {
      Scenario s;
      s.name = "program-" + std::to_string(program);
      s.program = program;
      s.midi = phrase();
      list.push_back(s);
    }
    // Presets switched and reshaped while notes sound.
    Scenario moving = mixed("presets-switched-while-playing");
    moving.automation = {{0.05, n_["8' Saw"], 0.0f},       {0.07, n_["4'HPerc"], 1.0f},
                         {0.09, n_["P5 Flt1"], 0.9f},      {0.11, n_["32'Tuba"], 0.0f},
                         {0.13, n_["Noise"], 1.0f},        {0.16, n_["P17 Gain"], 0.2f}};
    list.push_back(moving);
    return list;
  }

  // Every performance control and tone control moved away from the performance settings alone.
  std::vector<Scenario> controls() const {
    std::vector<Scenario> list;
    const auto moved = [&](const std::string& base, int index, float value, const std::string& label) {
      Scenario s = base == "all" ? allPresets(label) : mixed(label);
      s.settings.push_back({index, value});
      return s;
    };
    // Each control to the far side of where the performance settings leave it.
    for (int i = n_["Voices"]; i <= n_["RingMod"]; ++i) {
      list.push_back(moved("mixed", i, -1.0f, "control-" + std::to_string(i)));
    }
    for (int i = n_["Syn.Ptch"]; i <= n_["PWM Speed"]; ++i) {
      list.push_back(moved("all", i, -1.0f, "control-" + std::to_string(i)));
    }
    // Each modulation source for each global modulation.
    for (const char* source : {"Vib. Src", "NoiseSrc", "LPF Src", "HPF Src"}) {
      const bool lowPass = std::string(source) == "LPF Src";
      const float last = lowPass ? kLowPassSources - 1 : kLowPassSources - 2;
      std::vector<int> choices = {0, 1, 2, 3, 4, 5, 6, 8};
      if (lowPass) choices.push_back(kLowPassSources - 1);
      for (int choice : choices) {
        list.push_back(moved("mixed", n_[source], static_cast<float>(choice) / last,
                             "source-" + std::to_string(n_[source]) + "-" + std::to_string(choice)));
      }
    }
    for (const auto& [mode, destination] : std::vector<std::pair<int, int>>{{0, 2}, {2, 1}, {1, 0}}) {
      Scenario s = mixed("keyboard-sensor-" + std::to_string(mode) + "-" + std::to_string(destination));
      s.settings.push_back({n_["KBS Mode"], static_cast<float>(mode) / 2.0f});
      s.settings.push_back({n_["KBS Dest"], static_cast<float>(destination) / 2.0f});
      list.push_back(s);
    }
    Scenario ring = allPresets("ring-modulation-all-presets");
    ring.settings.push_back({n_["RingMod"], switchOn()});
    list.push_back(ring);
    for (int count : {1, 6}) {
      Scenario glide = mixed("portamento-" + std::to_string(count));
      glide.midi = legato();
      glide.settings.push_back({n_["Voices"], voices(count == 1 ? 0 : 6)});
      glide.settings.push_back({n_["Porta"], switchOn()});
      glide.settings.push_back({n_["Porta T."], 0.3f});
      list.push_back(glide);
    }
    Scenario single = mixed("single-voice-multiple-trigger");
    single.midi = legato();
    single.settings.push_back({n_["Voices"], voices(0)});
    single.settings.push_back({n_["Mult.Trg"], switchOn()});
    list.push_back(single);
    Scenario vibrato = mixed("delayed-vibrato");
    vibrato.settings.push_back({n_["Del Vib."], switchOn()});
    vibrato.settings.push_back({n_["LFO Dly"], 0.1f});
    vibrato.settings.push_back({n_["Vib. Src"], 1.0f / (kLowPassSources - 2)});
    list.push_back(vibrato);
    Scenario chorus = mixed("chorus-settings");
    for (const auto& [name, value] : std::vector<std::pair<const char*, float>>{
             {"Cho SMix", 0.9f}, {"Cho IMix", 0.2f}, {"Cho LFO1", 0.6f}, {"Cho LFO2", 0.05f}, {"Cho Dpt", 0.8f}}) {
      chorus.settings.push_back({n_[name], value});
    }
    list.push_back(chorus);
    return list;
  }

  // One sound through every block size and both process callbacks.
  std::vector<Scenario> blocks() const {
    std::vector<Scenario> list;
    for (bool doubles : {true, false}) {
      for (int block : {1, 7, 64, 512, 4096}) {
        Scenario s = mixed(std::string("blocks-") + (doubles ? "double" : "float"));
        s.block = block;
        s.doubles = doubles;
        s.automation = {{0.1, n_["4'Flute"] , 1.0f}, {0.12, n_["Volume"], 0.8f}};
        list.push_back(s);
      }
    }
    return list;
  }

  // Every sound group at each sample rate the host may choose.
  std::vector<Scenario> rates() const {
    std::vector<Scenario> list;
    for (int rate : {22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000}) {
      Scenario all = allPresets("rate-all-presets");
      all.rate = rate;
      all.block = 512;
      all.seconds = 0.2;
      list.push_back(all);
      Scenario mixedFloat = mixed("rate-mixed");
      mixedFloat.rate = rate;
      mixedFloat.doubles = false;
      list.push_back(mixedFloat);
      Scenario glide = mixed("rate-portamento");
      glide.rate = rate;
      glide.midi = legato();
      glide.settings.push_back({n_["Porta"], switchOn()});
      glide.settings.push_back({n_["Porta T."], 0.3f});
      list.push_back(glide);
    }
    return list;
  }


 private:
  const Names& n_;
};

std::uint64_t hashBits(std::uint64_t h, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    h ^= bytes[i];
    h *= 1099511628211ull;  // 64-bit FNV-1a
  }
  return h;
}

struct Render {
  long frames = 0;
  std::uint64_t left = 14695981039346656037ull;
  std::uint64_t right = 14695981039346656037ull;
};

Render render(EntryPoint entry, const Scenario& s) {
  PluginHost host(entry);
  Render r;
  if (!host.loaded()) return r;
  host.start(static_cast<float>(s.rate), s.block);
  host.dispatch(effSetProgram, 0, s.program);
  for (const auto& [index, value] : s.settings) {
    // A value below zero asks for the far side of where the earlier settings left it.
    host.setParameter(index, value >= 0 ? value : (host.getParameter(index) < 0.5f ? 0.85f : 0.15f));
  }
  const auto frameOf = [&](double seconds) { return static_cast<long>(std::lround(seconds * s.rate)); };
  const long total = frameOf(s.seconds);
  std::size_t nextMidi = 0, nextChange = 0;
  std::vector<double> left, right;
  std::vector<float> leftFloat, rightFloat;
  for (long start = 0; start < total; start += s.block) {
    const int count = static_cast<int>(std::min<long>(s.block, total - start));
    while (nextChange < s.automation.size() && frameOf(s.automation[nextChange].seconds) <= start) {
      host.setParameter(s.automation[nextChange].index, s.automation[nextChange].value);
      ++nextChange;
    }
    std::vector<PluginHost::Midi> due;
    while (nextMidi < s.midi.size() && frameOf(s.midi[nextMidi].seconds) < start + count) {
      const TimedMidi& m = s.midi[nextMidi++];
      due.push_back({static_cast<int>(frameOf(m.seconds) - start), m.status, m.data1, m.data2});
    }
    if (!due.empty()) host.sendMidiList(due);
    if (s.doubles) {
      host.renderDouble(left, right, count);
      r.left = hashBits(r.left, left.data(), left.size() * sizeof(double));
      r.right = hashBits(r.right, right.data(), right.size() * sizeof(double));
    } else {
      host.renderFloat(leftFloat, rightFloat, count);
      r.left = hashBits(r.left, leftFloat.data(), leftFloat.size() * sizeof(float));
      r.right = hashBits(r.right, rightFloat.data(), rightFloat.size() * sizeof(float));
    }
    r.frames += count;
  }
  return r;
}

// A line's key: rate, block size, callback and name.
std::string key(const Scenario& s) {
  return std::to_string(s.rate) + " " + std::to_string(s.block) + " " + (s.doubles ? "double" : "float") + " " +
         s.name;
}

std::string line(const Scenario& s, const Render& r) {
  char hashes[64];
  std::snprintf(hashes, sizeof(hashes), " %ld %016llx %016llx", r.frames, static_cast<unsigned long long>(r.left),
                static_cast<unsigned long long>(r.right));
  return key(s) + hashes;
}

// Recorded lines by key (the first four fields).
std::map<std::string, std::string> readLines(std::istream& in) {
  std::map<std::string, std::string> lines;
  std::string text;
  while (std::getline(in, text)) {
    if (text.empty() || text[0] == '#') continue;
    std::istringstream fields(text);
    std::string rate, block, callback, name;
    fields >> rate >> block >> callback >> name;
    lines[rate + " " + block + " " + callback + " " + name] = text;
  }
  return lines;
}

bool rateChosen(int rate) {
  const char* rates = ::getenv("SORVEL_RECORD_RATES");
  if (rates == nullptr || *rates == '\0') return true;
  std::istringstream list(rates);
  std::string item;
  while (std::getline(list, item, ',')) {
    if (item == std::to_string(rate)) return true;
  }
  return false;
}

// Rewrites the given scenarios' lines in the file, keeping every other line; the file is locked, so
// groups running at the same time do not lose each other's lines.
void record(const char* path, const std::vector<Scenario>& scenarios, const std::vector<Render>& renders) {
  const int fd = ::open(path, O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0) << path;
  ::flock(fd, LOCK_EX);
  std::map<std::string, std::string> lines;
  {
    std::ifstream in(path);
    lines = readLines(in);
  }
  for (std::size_t i = 0; i < scenarios.size(); ++i) {
    if (rateChosen(scenarios[i].rate)) lines[key(scenarios[i])] = line(scenarios[i], renders[i]);
  }
  {
    std::ofstream out(path, std::ios::trunc);
    out << "# rate block callback scenario frames left-hash right-hash (64-bit FNV-1a of the sample bits)\n";
    for (const auto& [k, text] : lines) out << text << "\n";
  }
  ::flock(fd, LOCK_UN);
  ::close(fd);
}

// Renders the group with the plug-in's vector kernels limited to level ("" = what the processor has).
std::vector<Render> renderGroup(const std::function<std::vector<Scenario>(const Catalogue&)>& group,
                                const char* level, std::vector<Scenario>& scenarios) {
  ::setenv("SORVEL_VECTOR_LEVEL", level, 1);
  PrivateLibrary library;
  ::unsetenv("SORVEL_VECTOR_LEVEL");
  std::vector<Render> renders;
  if (library.entry() == nullptr) return renders;
  const Names names(library.entry());
  scenarios = group(Catalogue(names));
  for (const Scenario& s : scenarios) renders.push_back(render(library.entry(), s));
  return renders;
}

// Every level of vector code the processor has must give the recorded renders.
void checkGroup(const std::function<std::vector<Scenario>(const Catalogue&)>& group) {
  if (const char* path = ::getenv("SORVEL_RECORD_REFERENCES"); path != nullptr && *path != '\0') {
    std::vector<Scenario> scenarios;
    const std::vector<Render> renders = renderGroup(group, "", scenarios);
    ASSERT_FALSE(renders.empty());
    record(path, scenarios, renders);
    return;
  }
  std::ifstream in(SORVEL_REFERENCE_RENDERS);
  ASSERT_TRUE(in.good()) << SORVEL_REFERENCE_RENDERS;
  const auto recorded = readLines(in);
  for (const char* level : {"scalar", "avx2", ""}) {
    std::vector<Scenario> scenarios;
    const std::vector<Render> renders = renderGroup(group, level, scenarios);
    ASSERT_FALSE(renders.empty()) << level;
    for (std::size_t i = 0; i < scenarios.size(); ++i) {
      const auto found = recorded.find(key(scenarios[i]));
      ASSERT_NE(found, recorded.end()) << "no recorded render for " << key(scenarios[i]);
      EXPECT_EQ(line(scenarios[i], renders[i]), found->second) << "vector level '" << level << "'";
    }
  }
}

}  // namespace

TEST(RenderReferences, PresetsAloneAndInGroups) {
  checkGroup([](const Catalogue& c) { return c.presets(); });
}

TEST(RenderReferences, PerformanceControls) {
  checkGroup([](const Catalogue& c) { return c.controls(); });
}

TEST(RenderReferences, BlockSizesAndCallbacks) {
  checkGroup([](const Catalogue& c) { return c.blocks(); });
}

TEST(RenderReferences, SampleRates) {
  checkGroup([](const Catalogue& c) { return c.rates(); });
}
