// An engine skips the work whose result it knows, most of all while no voice sounds; its output must
// stay that of the full computation through every change that ends or alters a quiet stretch.
#include <cmath>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/Conversions.h"
#include "dsp/VectorLevel.h"
#include "engine/ChorusGlide.h"
#include "engine/ChorusKernels.h"
#include "tests/engine_test_support.h"

using namespace sorvel;
using namespace sorvel::test;

namespace {

// Each engine draws from the process-wide generators as if it were alone.
struct Side {
  Engine engine;
  std::int32_t lfoState = 1, noiseState = 1;
};

// Applies a change at one control tick of the next render, as a host's queued events arrive.
struct TickHost : RecordingHost {
  int tick = -1;
  std::function<void()> change;
  void drainEvents(int controlPeriod) override {
    RecordingHost::drainEvents(controlPeriod);
    if (tick-- == 0 && change) change();
  }
};

struct Pair {
  Side quiet, full;
  TickHost host;
  long blocks = 0;

  Pair() {
    full.engine.setShortcuts(false);
    for (Side* s : {&quiet, &full}) {
      Engine& e = s->engine;
      e.parameterChanged(kVoices, 3);  // 8 voices
      for (int preset : {kSaw8, kPwm16, kString8}) e.parameterChanged(presetSwitch(preset), 1);
      e.parameterChanged(kChorus, 1);
      // The smoothed noise bends the Synthe pitch; the Synthe filters follow a controller.
      e.parameterChanged(kNoiseSource, 1);
      e.parameterChanged(kNoiseDepth, 0.5);
      e.parameterChanged(kJoystickSynthe, 1);
      e.parameterChanged(kLowPassDepth, 0.5);
      e.parameterChanged(kSampleHoldClock, 0.9);
    }
  }

  template <typename Change>
  void both(Change change) {
    for (Side* s : {&quiet, &full}) run(*s, [&] { change(s->engine); });
  }

  template <typename Work>
  void run(Side& side, Work work) {
    lfoRandom().setState(side.lfoState);
    noiseRandom().setState(side.noiseState);
    work();
    side.lfoState = lfoRandom().state();
    side.noiseState = noiseRandom().state();
  }

  // Renders about seconds of audio in blocks of changing length, comparing every sample.
  void render(double seconds) {
    const int frames = static_cast<int>(seconds * quiet.engine.sampleRate());
    std::vector<double> out[4];
    for (auto& o : out) o.resize(700);
    for (int done = 0; done < frames; ++blocks) {
      const int length = 1 + static_cast<int>((blocks * 131) % 700);
      run(quiet, [&] { quiet.engine.render(out[0].data(), out[1].data(), length, host); });
      run(full, [&] { full.engine.render(out[2].data(), out[3].data(), length, host); });
      const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(length);
      ASSERT_EQ(std::memcmp(out[0].data(), out[2].data(), bytes), 0) << "block " << blocks;
      ASSERT_EQ(std::memcmp(out[1].data(), out[3].data(), bytes), 0) << "block " << blocks;
      done += length;
    }
  }

  // One block of 512 frames whose tick-th control tick makes the change.
  template <typename Change>
  void changeWithinBlock(int tick, Change change) {
    std::vector<double> out[4];
    for (auto& o : out) o.resize(512);
    for (int i = 0; i < 2; ++i) {
      Side& side = i == 0 ? quiet : full;
      host.tick = tick;
      host.change = [&] { change(side.engine); };
      run(side, [&] { side.engine.render(out[2 * i].data(), out[2 * i + 1].data(), 512, host); });
    }
    host.change = nullptr;
    EXPECT_EQ(out[0], out[2]) << "block " << blocks;
    EXPECT_EQ(out[1], out[3]) << "block " << blocks;
    ++blocks;
  }

  // A quiet stretch that the shortcuts must have taken part of; the chorus lines and the voices'
  // oscillators end it as the full computation leaves them.
  void quietStretch(double seconds) {
    const long before = quiet.engine.quietSubBlocks();
    render(seconds);
    EXPECT_GT(quiet.engine.quietSubBlocks(), before + 100) << "block " << blocks;
    EXPECT_EQ(quiet.engine.output().chorusLines(), full.engine.output().chorusLines()) << "block " << blocks;
    const Engine& q = quiet.engine;
    EXPECT_EQ(q.voice(0).syntheOscillator().phase, full.engine.voice(0).syntheOscillator().phase) << "block " << blocks;
    // The global modulation and its draws, stepped late while quiet.
    const EngineState& a = q.state();
    const EngineState& b = full.engine.state();
    EXPECT_EQ(quiet.noiseState, full.noiseState) << "block " << blocks;
    EXPECT_EQ(quiet.lfoState, full.lfoState) << "block " << blocks;
    for (const auto& [x, y] : {std::pair{a.noiseValue, b.noiseValue}, {a.synthePitchModulation, b.synthePitchModulation},
                               {a.lowPassModulation, b.lowPassModulation}, {a.vibratoLfo.phase, b.vibratoLfo.phase},
                               {a.sampleHoldLfo.held, b.sampleHoldLfo.held}, {a.pwmLfo.unipolar, b.pwmLfo.unipolar},
                               {a.sources[kSourcePwmLfo], b.sources[kSourcePwmLfo]}}) {
      EXPECT_TRUE(sameBits(x, y)) << "block " << blocks;
    }
  }
};

TEST(QuietRender, ShortcutsGiveTheFullOutputAcrossNotesParameterChangesAndResets) {
  Pair p;
  p.quietStretch(2.0);
  p.both([&](Engine& e) { noteOn(e, p.host, 60); });
  p.render(0.3);
  p.both([&](Engine& e) { noteOff(e, p.host, 60); });
  p.quietStretch(3.0);

  // A high-pass cutoff moved by the "On" source, then the chorus reshaped, then the chorus off.
  p.both([](Engine& e) {
    e.parameterChanged(kHighPassSource, 1);
    e.parameterChanged(kHighPassDepth, 0.4);
  });
  p.quietStretch(1.5);
  // Then moved by an LFO, which the quiet ticks must step.
  p.both([](Engine& e) { e.parameterChanged(kHighPassSource, kSourcePwmLfo); });
  p.render(0.5);
  p.both([](Engine& e) { e.parameterChanged(kHighPassSource, 1); });
  p.quietStretch(1.0);
  p.both([](Engine& e) {
    e.parameterChanged(kChorusDepth, 0.9);
    e.parameterChanged(kChorusLfo1, 0.7);
    e.parameterChanged(kChorusSyntheMix, 0.8);
  });
  p.quietStretch(1.5);
  p.both([](Engine& e) { e.parameterChanged(kChorus, 0); });
  p.quietStretch(1.0);
  p.both([](Engine& e) { e.parameterChanged(kBalance, 0.3); });
  p.quietStretch(0.5);
  p.changeWithinBlock(4, [](Engine& e) { e.parameterChanged(kBalance, 0.4); });
  p.quietStretch(0.5);
  p.changeWithinBlock(7, [](Engine& e) { e.parameterChanged(kChorus, 1); });
  p.both([](Engine& e) { e.parameterChanged(kChorus, 0); });
  p.quietStretch(0.5);
  p.both([](Engine& e) { e.parameterChanged(kChorus, 1); });
  p.quietStretch(1.0);
  // Off for a block or two while the cycle moves on, then on again.
  for (int i = 0; i < 2; ++i) {
    p.both([](Engine& e) { e.parameterChanged(kChorus, 0); });
    p.render(0.0001);
    p.both([](Engine& e) { e.parameterChanged(kChorus, 1); });
    p.quietStretch(1.0);
  }
  // Within a block: the chorus mix, then a note.
  p.changeWithinBlock(6, [](Engine& e) { e.parameterChanged(kChorusSyntheMix, 0.6); });
  p.quietStretch(0.5);
  p.changeWithinBlock(3, [&](Engine& e) { noteOn(e, p.host, 62); });
  p.render(0.1);
  p.both([&](Engine& e) { noteOff(e, p.host, 62); });
  p.quietStretch(2.0);

  // A rate whose chorus lines have an odd length, more voices, and a note after the long silence.
  p.both([](Engine& e) {
    e.reset(48000.0);
    e.parameterChanged(kVoices, 4);  // 16 voices
  });
  p.quietStretch(2.5);
  p.both([&](Engine& e) { noteOn(e, p.host, 64); });
  p.render(0.2);
}

// The vector kernels against the scalar loops, over a run that no kernel width divides.
TEST(QuietRender, ChorusKernelsMatchTheScalarLoops) {
  constexpr int kCount = 45;
  double synthe[kCount], instrument[kCount], line[kCount + 8];
  for (int n = 0; n < kCount; ++n) {
    synthe[n] = 0.1 * std::sin(n * 0.7);
    instrument[n] = 0.2 * std::cos(n * 1.3);
  }
  for (int n = 0; n < kCount + 8; ++n) line[n] = std::sin(n * 0.31);
  const ChorusMix mix{synthe, instrument, 0.31, 0.17, 0.23, 0.41, 0.29, 0.13, 0.37, 0.19};
  // Glides in closed form, each over one whole part of its delay; the same over inputs that repeat
  // every two samples.
  const ChorusTap taps[3] = {{line, 3, 40.75, -0.0078125, 40.0}, {line, 2, 20.5, 0.00390625, 20.0}, {line, 1, 7.125, 0.015625, 7.0}};
  const ChorusTap& tap = taps[0];
  double pair[kCount + 8], dryPair[2][kCount];
  for (int n = 0; n < kCount + 8; ++n) pair[n] = n % 2 == 0 ? 0.37 : -0.61;
  for (int n = 0; n < kCount; ++n) {
    dryPair[0][n] = n % 2 == 0 ? 0.11 : -0.23;
    dryPair[1][n] = n % 2 == 0 ? -0.17 : 0.29;
  }
  ChorusTap pairTaps[3];
  for (int k = 0; k < 3; ++k) pairTaps[k] = {pair, taps[k].shift, taps[k].start, taps[k].glide, taps[k].whole};

  struct Result {
    double lines[3][kCount] = {}, left[kCount] = {}, right[kCount] = {};
    double cycleLeft[kCount] = {}, cycleRight[kCount] = {};  // the dry inputs read as the dry mix
    double pairLeft[kCount] = {}, pairRight[kCount] = {};
  };
  const auto run = [&](Result& r, auto write, auto tapKernel, auto cycleKernel, auto repeatingKernel) {
    double* const lines[3] = {r.lines[0], r.lines[1], r.lines[2]};
    const int written = write(mix, lines, 0, r.left, r.right, 1, kCount);
    chorusWriteScalar(mix, lines, 0, r.left, r.right, written, kCount);
    const int tapped = tapKernel(tap, r.left, r.right, 1, kCount);
    chorusTapScalar(tap, r.left, r.right, tapped, kCount);
    const int cycled = cycleKernel(synthe, instrument, taps, r.cycleLeft, r.cycleRight, 1, kCount);
    chorusCycleScalar(synthe, instrument, taps, r.cycleLeft, r.cycleRight, cycled, kCount);
    const int paired = repeatingKernel(dryPair[0], dryPair[1], pairTaps, r.pairLeft, r.pairRight, 1, kCount);
    chorusCycleScalar(dryPair[0], dryPair[1], pairTaps, r.pairLeft, r.pairRight, paired, kCount);
  };
  const auto none = [](auto&&...) { return 1; };
  Result expected, actual;
  run(expected, none, none, none, none);
  const bool avx2 = vectorLevel() >= VectorLevel::kAvx2, avx512 = vectorLevel() >= VectorLevel::kAvx512;
  for (bool wide : {false, true}) {
    if (!(wide ? avx512 : avx2)) continue;
    actual = Result{};
    if (wide) {
      run(actual, chorusWriteAvx512, chorusTapAvx512, chorusCycleAvx512, chorusCycleRepeatingAvx512);
    } else {
      run(actual, chorusWriteAvx2, chorusTapAvx2, chorusCycleAvx2, chorusCycleRepeatingAvx2);
    }
    EXPECT_EQ(std::memcmp(&expected, &actual, sizeof expected), 0) << (wide ? "AVX-512" : "AVX2");
  }
  // Inputs whose period the kernels' width does not hold read every entry.
  for (int period : {6, 16}) {
    actual = Result{};
    chorusCycle(synthe, instrument, taps, actual.cycleLeft, actual.cycleRight, 1, kCount, period);
    EXPECT_EQ(std::memcmp(expected.cycleLeft, actual.cycleLeft, sizeof actual.cycleLeft), 0) << period;
  }
}

// The three delays' glide checks in one vector against the scalar check, around every bound it
// tests: the delay's binade and range, steps that tie between two grid points, counts and limits.
TEST(QuietRender, VectorGlideChecksMatchTheScalarCheck) {
  if (vectorLevel() < VectorLevel::kAvx2) GTEST_SKIP() << "no AVX2";
  const double nan = std::nan("");
  const double delays[] = {0.5, std::nextafter(1.0, 0.0), 1.0, 1.5, std::nextafter(2.0, 0.0), 2.0, 40.75,
                           std::nextafter(64.0, 0.0), 64.0, 700.3, 705.99, 1e9, nan, -3.0};
  for (double d : delays) {
    const double grid = std::ldexp(1.0, std::ilogb(std::isfinite(d) && d > 0 ? d : 1.0) - 52);
    const double steps[] = {0.0, 0.5 * grid, -1.5 * grid, 0.3 * grid, 1e-3, -2e-3, 0.7, -0.7, 1e9, nan};
    for (double s : steps) {
      for (int count : {1, 44, 700}) {
        for (double limit : {706.0, 64.0, 50.0}) {
          for (int k = 0; k < 3; ++k) {
            double delay[3] = {40.75, 20.5, 7.125}, step[3] = {-0.0078125, 0.00390625, 0.015625};
            delay[k] = d;
            step[k] = s;
            double expected[3] = {}, actual[3] = {};
            const bool exact = exactGlidesScalar(delay, step, count, limit, expected);
            ASSERT_EQ(exactGlidesAvx2(delay, step, count, limit, actual), exact) << d << " " << s << " " << count;
            EXPECT_EQ(std::memcmp(expected, actual, sizeof expected), 0) << d << " " << s << " " << count;
          }
        }
      }
    }
  }
}

}  // namespace
