// Every factory program played through the plug-in as a host plays it: a short phrase and a
// four-note chord at velocity 100. Each must be audible, finite and below full scale.
#include <cmath>
#include <cstdio>

#include "tests/host/PluginHost.h"

using namespace testhost;

namespace {

struct NoteEvent {
  int sample;
  unsigned char status;
  unsigned char note;
};

constexpr int kRate = 44100;
constexpr int kBlock = 512;

std::vector<NoteEvent> phraseAndChord() {
  std::vector<NoteEvent> events;
  const unsigned char phrase[] = {48, 52, 55, 60, 55, 52};
  const int step = kRate / 5;
  int at = 0;
  for (const unsigned char note : phrase) {
    events.push_back({at, 0x90, note});
    events.push_back({at + step * 9 / 10, 0x80, note});
    at += step;
  }
  for (const unsigned char note : {60, 64, 67, 71}) events.push_back({at, 0x90, note});
  at += kRate * 3 / 2;
  for (const unsigned char note : {60, 64, 67, 71}) events.push_back({at, 0x80, note});
  return events;
}

struct Level {
  double peak = 0;
  double rms = 0;
  bool finite = true;
};

Level play(int program) {
  PluginHost host;
  Level level;
  if (!host.loaded()) return level;
  host.start(static_cast<float>(kRate), kBlock);
  host.dispatch(effSetProgram, 0, program);
  const auto events = phraseAndChord();
  const int total = events.back().sample + kRate;
  std::size_t next = 0;
  double sum = 0;
  std::vector<double> left, right;
  for (int start = 0; start < total; start += kBlock) {
    while (next < events.size() && events[next].sample < start + kBlock) {
      host.sendMidi(events[next].sample - start, events[next].status, events[next].note, 100);
      ++next;
    }
    host.renderDouble(left, right, kBlock);
    for (int i = 0; i < kBlock; ++i) {
      for (const double v : {left[static_cast<std::size_t>(i)], right[static_cast<std::size_t>(i)]}) {
        if (!std::isfinite(v)) level.finite = false;
        level.peak = std::max(level.peak, std::abs(v));
        sum += v * v;
      }
    }
  }
  level.rms = std::sqrt(sum / (2.0 * total));
  return level;
}

double decibels(double v) { return 20.0 * std::log10(std::max(v, 1e-12)); }

}  // namespace

TEST(FactoryPrograms, EachIsAudibleFiniteAndBelowFullScale) {
  // The last, "Init", has every preset switched off: it is the silent starting point.
  for (int program = 0; program < 63; ++program) {
    PluginHost probe;
    ASSERT_TRUE(probe.loaded());
    const std::string name = [&] {
      char text[64] = {};
      probe.dispatch(effGetProgramNameIndexed, program, 0, text);
      return std::string(text);
    }();
    probe.close();
    const Level level = play(program);
    std::printf("%2d %-26s peak %7.2f dBFS  rms %7.2f dBFS\n", program, name.c_str(), decibels(level.peak),
                decibels(level.rms));
    EXPECT_TRUE(level.finite) << name;
    EXPECT_LT(level.peak, 1.0) << name;
    EXPECT_GT(level.peak, 0.03) << name;  // about -30 dBFS
    EXPECT_GT(level.rms, 0.003) << name;  // about -50 dBFS
  }
}
