// Block rendering: sub-blocks that never cross a control tick, the control period, sample rates
// and the allocation-free audio path.
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Engine.h"
#include "tests/alloc_counter.h"
#include "tests/engine_test_support.h"

using namespace sorvel;
using namespace sorvel::test;

namespace {

struct Output {
  std::vector<double> left, right;
};

void render(Engine& engine, EngineHost& host, int frames) {
  std::vector<double> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
  engine.render(left.data(), right.data(), frames, host);
}

// A sound whose pitch moves at every tick, so that the tick positions shape the output. The
// envelopes reach their full level within the first ticks and stay there: a voice steps its
// envelopes once less per render call, so only a constant envelope makes the output independent
// of where the host cuts a tick's samples.
void playMovingSound(Engine& engine, EngineHost& host) {
  for (int preset : {kSaw8, kTrumpet8, kString8}) engine.parameterChanged(presetParameter(preset, kPresetAttack), 0.0);
  engine.parameterChanged(kVoices, 3);  // 8 voices
  engine.parameterChanged(presetSwitch(kSaw8), 1);
  engine.parameterChanged(presetSwitch(kTrumpet8), 1);
  engine.parameterChanged(presetSwitch(kString8), 1);
  engine.parameterChanged(kJoystickSynthe, 1);  // joystick on both sections
  engine.parameterChanged(kJoystickInstrument, 1);
  engine.parameterChanged(kVibratoSource, 1);  // vibrato by the "On" source
  engine.parameterChanged(kVibratoDepth, 1.0);
  engine.parameterChanged(kLfoSpeed, 1.0);  // fastest LFO
  engine.parameterChanged(kChorus, 1);  // chorus
  engine.parameterChanged(kChorusDepth, 1.0);
  noteOn(engine, host, 60);
  noteOn(engine, host, 67);
}

Output renderInBlocks(const std::vector<int>& blocks) {
  restartGenerators();
  Engine engine;
  RecordingHost host;
  playMovingSound(engine, host);
  Output out;
  for (int frames : blocks) {
    std::vector<double> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
    engine.render(left.data(), right.data(), frames, host);
    out.left.insert(out.left.end(), left.begin(), left.end());
    out.right.insert(out.right.end(), right.begin(), right.end());
  }
  return out;
}

}  // namespace

TEST(EngineRender, ABlockOfOnePeriodAfterResetTicksOnce) {
  Engine engine;
  RecordingHost host;
  engine.reset(44100);
  ASSERT_EQ(engine.controlPeriod(), 44);
  render(engine, host, 44);
  EXPECT_EQ(host.drains, 1);
  EXPECT_EQ(host.lastPeriod, 44);
  EXPECT_EQ(engine.tickCountdown(), 0);
  render(engine, host, 44);
  EXPECT_EQ(host.drains, 2);
}

TEST(EngineRender, ShortBlocksTickOnlyWhenTheCountdownRunsOut) {
  Engine engine;
  RecordingHost host;
  engine.reset(44100);
  render(engine, host, 10);
  EXPECT_EQ(host.drains, 1);
  EXPECT_EQ(engine.tickCountdown(), 34);
  render(engine, host, 30);
  EXPECT_EQ(host.drains, 1);
  EXPECT_EQ(engine.tickCountdown(), 4);
  render(engine, host, 10);  // ticks after its fourth sample
  EXPECT_EQ(host.drains, 2);
  EXPECT_EQ(engine.tickCountdown(), 38);
}

TEST(EngineRender, LongBlocksTickEveryPeriod) {
  Engine engine;
  RecordingHost host;
  engine.reset(48000);
  render(engine, host, 100);  // ticks at 0, 48 and 96
  EXPECT_EQ(host.drains, 3);
  EXPECT_EQ(engine.tickCountdown(), 44);
  render(engine, host, 1000);
  EXPECT_EQ(host.drains, 23);  // 1100 samples need ceil(1100 / 48) ticks
}

TEST(EngineRender, TickCountFollowsTheStreamWhateverTheBlocks) {
  std::mt19937 random(7);
  Engine engine;
  RecordingHost host;
  int total = 0;
  for (int i = 0; i < 300; ++i) {
    const int frames = std::uniform_int_distribution<int>(0, 200)(random);
    render(engine, host, frames);
    total += frames;
    ASSERT_EQ(host.drains, (total + 43) / 44) << "after " << total << " samples";
  }
}

TEST(EngineRender, OutputDoesNotDependOnHowTheHostCutsTheStream) {
  const Output whole = renderInBlocks({440, 3960});
  std::mt19937 random(11);
  std::vector<int> blocks(10, 44);  // the attacks, in whole ticks
  int total = 440;
  while (total < 4400) {
    int frames = std::min(4400 - total, std::uniform_int_distribution<int>(1, 97)(random));
    blocks.push_back(frames);
    total += frames;
  }
  const Output pieces = renderInBlocks(blocks);
  ASSERT_EQ(pieces.left.size(), whole.left.size());
  double energy = 0;
  for (std::size_t n = 0; n < whole.left.size(); ++n) {
    ASSERT_EQ(pieces.left[n], whole.left[n]) << n;
    ASSERT_EQ(pieces.right[n], whole.right[n]) << n;
    energy += whole.left[n] * whole.left[n];
  }
  EXPECT_GT(energy, 0.0);
}

TEST(EngineRender, OutputsAreOverwrittenAndMayBeMissing) {
  Engine engine;
  RecordingHost host;
  std::vector<double> left(100, 7.0), right(100, 7.0);
  engine.render(left.data(), right.data(), 100, host);
  for (std::size_t n = 0; n < 100; ++n) EXPECT_LT(std::abs(left[n]), 1e-12);  // silence but for the denormal guard
  engine.render(nullptr, right.data(), 100, host);
  engine.render(nullptr, nullptr, 100, host);
  engine.render(left.data(), right.data(), 0, host);
  engine.render(left.data(), right.data(), -5, host);
  EXPECT_EQ(host.drains, 7);
}

TEST(EngineRender, ControlPeriodFollowsTheRateAndNeverReachesZero) {
  Engine engine;
  RecordingHost host;
  const std::vector<std::pair<double, int>> cases = {
      {44100, 44}, {48000, 48}, {96000, 96}, {1000, 1}, {999.9, 1}, {500, 1}, {1, 1}};
  for (auto [rate, period] : cases) {
    engine.reset(rate);
    EXPECT_EQ(engine.controlPeriod(), period) << rate;
  }
  engine.reset(500);
  engine.parameterChanged(presetSwitch(kSaw8), 1);
  engine.parameterChanged(presetSwitch(kString8), 1);
  noteOn(engine, host, 60);
  render(engine, host, 64);  // would never advance with a period of 0
  host.drains = 0;
  render(engine, host, 10);
  EXPECT_EQ(host.drains, 10);
}

TEST(EngineRender, UnusableRatesKeepTheDefault) {
  Engine engine;
  for (double rate : {0.0, -48000.0, std::nan(""), HUGE_VAL}) {
    engine.reset(rate);
    EXPECT_EQ(engine.sampleRate(), 44100.0);
    EXPECT_EQ(engine.controlPeriod(), 44);
  }
}

TEST(EngineRender, ResetStartsWithATickAndEmptyNoteState) {
  Engine engine;
  RecordingHost host;
  noteOn(engine, host, 60);
  render(engine, host, 20);
  EXPECT_EQ(engine.noteCounter(), 1);
  engine.reset(48000);
  EXPECT_EQ(engine.tickCountdown(), 0);
  EXPECT_EQ(engine.noteCounter(), 0);
  EXPECT_TRUE(engine.heldNotes().empty());
  EXPECT_FALSE(engine.voice(0).active);
}

TEST(EngineRender, RenderAndTicksAllocateNothing) {
  // A host whose queue plays a note at some ticks, so event handling is on the measured path.
  class NoteHost : public RecordingHost {
   public:
    explicit NoteHost(Engine& e) : engine(e) {}
    void drainEvents(int period) override {
      RecordingHost::drainEvents(period);
      if (drains % 5 == 0) {
        const int note = 36 + (drains / 5) % 64;
        engine.handleEvent(0x90, static_cast<std::uint8_t>(note), 90, *this);
        if (drains % 15 == 0) engine.handleEvent(0x80, static_cast<std::uint8_t>(note - 12), 0, *this);
        engine.handleEvent(0xB0, 1, static_cast<std::uint8_t>(drains % 128), *this);
        engine.handleEvent(0xE0, 0, static_cast<std::uint8_t>(drains % 128), *this);
      }
    }
    Engine& engine;
  };

  Engine engine;
  NoteHost host(engine);
  engine.reset(44100);
  engine.parameterChanged(kVoices, 6);  // 64 voices
  for (int preset = 0; preset < kPresetCount; ++preset) engine.parameterChanged(presetSwitch(preset), 1);
  engine.parameterChanged(kChorus, 1);
  std::vector<double> left(4096), right(4096);
  std::mt19937 random(3);
  std::vector<int> blocks;
  for (int i = 0; i < 200; ++i) blocks.push_back(std::uniform_int_distribution<int>(1, 600)(random));
  // A first pass settles whatever the voices prepare on their first use.
  for (int frames : blocks) engine.render(left.data(), right.data(), frames, host);

  AllocationScope scope;
  for (int frames : blocks) engine.render(left.data(), right.data(), frames, host);
  EXPECT_EQ(scope.count(), 0);
}

// At low sample rates the highest filter cutoffs would lie past half the rate; every tone must
// still stay finite and bounded with its filter opened and swept by its envelope.
TEST(EngineRender, EveryToneStaysFiniteAtLowSampleRates) {
  for (double rate : {8000.0, 11025.0, 22050.0, 32000.0, 38000.0}) {
    for (int preset = 0; preset < kPresetCount; ++preset) {
      restartGenerators();
      Engine engine;
      RecordingHost host;
      engine.reset(rate);
      engine.parameterChanged(presetSwitch(kSaw32), 0);  // the default 32' Saw off: the tone plays alone
      engine.parameterChanged(presetSwitch(preset), 1);
      engine.parameterChanged(presetParameter(preset, kPresetCutoff), 1.0);  // filter settings fully open
      engine.parameterChanged(presetParameter(preset, kPresetFilter2), 1.0);
      engine.parameterChanged(presetParameter(preset, kPresetEnvToFilter), 1.0);  // envelope to filter at most
      noteOn(engine, host, 60, 127);
      noteOn(engine, host, 96, 127);
      const int frames = static_cast<int>(rate);
      std::vector<double> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
      engine.render(left.data(), right.data(), frames, host);
      double loudest = 0;
      for (int n = 0; n < frames; ++n) {
        ASSERT_TRUE(std::isfinite(left[static_cast<std::size_t>(n)]) && std::isfinite(right[static_cast<std::size_t>(n)]))
            << "rate " << rate << " preset " << preset << " sample " << n;
        loudest = std::max({loudest, std::fabs(left[static_cast<std::size_t>(n)]), std::fabs(right[static_cast<std::size_t>(n)])});
      }
      EXPECT_LT(loudest, 8.0) << "rate " << rate << " preset " << preset;
    }
  }
}
