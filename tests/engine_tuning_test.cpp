// Every sample rate has its own tables: engines at different rates in one process stay in tune.
#include <vector>

#include <gtest/gtest.h>

#include "dsp/EngineTables.h"
#include "engine/Engine.h"
#include "tests/engine_test_support.h"

using namespace sorvel;
using namespace sorvel::test;

namespace {

// 8' SAW, sounding an octave above the key: note 57 plays 440 Hz.
void playA440(Engine& engine, EngineHost& host) {
  engine.parameterChanged(presetSwitch(kSaw8), 1);
  engine.parameterChanged(presetParameter(kSaw8, kPresetCutoff), 0.55);  // a little above the fundamental
  engine.parameterChanged(presetParameter(kSaw8, kPresetFilter2), 0.0);  // no resonance peak
  noteOn(engine, host, 57);
}

struct Counter {
  int crossings = 0;
  double previous = 0;
  void add(const std::vector<double>& samples) {
    for (double x : samples) {
      if (previous < 0 && x >= 0) ++crossings;
      previous = x;
    }
  }
};

}  // namespace

TEST(EngineTuning, EnginesAtTwoRatesRenderSideBySideInTune) {
  Engine a;
  Engine b;
  RecordingHost host;
  a.reset(44100);
  b.reset(48000);  // after a's Reset: must not change a's tables
  playA440(a, host);
  playA440(b, host);
  ASSERT_NE(a.state().tables, b.state().tables);
  EXPECT_EQ(a.state().tables->sampleRate, 44100.0);
  EXPECT_EQ(b.state().tables->sampleRate, 48000.0);

  Counter countA, countB;
  std::vector<double> la(441), ra(441), lb(480), rb(480);
  for (int block = 0; block < 120; ++block) {  // 1.2 s in blocks of 10 ms
    a.render(la.data(), ra.data(), 441, host);
    b.render(lb.data(), rb.data(), 480, host);
    if (block < 20) {
      countA.previous = la.back();
      countB.previous = lb.back();
      continue;
    }
    countA.add(la);
    countB.add(lb);
  }
  // One second after the first 0.2 s: about 440 rising zero crossings each.
  EXPECT_NEAR(countA.crossings, 440, 1);
  EXPECT_NEAR(countB.crossings, 440, 1);
}

TEST(EngineTuning, ResetToAnotherRateSwitchesToThatRatesTables) {
  Engine engine;
  engine.reset(44100);
  const auto first = engine.state().tables;
  engine.reset(96000);
  EXPECT_EQ(engine.state().tables->sampleRate, 96000.0);
  EXPECT_EQ(first->sampleRate, 44100.0);  // tables are never rebuilt in place
  EXPECT_EQ(engine.state().tables, EngineTables::forRate(96000));
}
