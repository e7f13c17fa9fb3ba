// The output stage: section gains and the three-line chorus.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "engine/OutputStage.h"

using namespace sorvel;

namespace {

struct Stereo {
  std::vector<double> left, right;
};

// Mixes count samples of constant bus values.
Stereo mixConstant(OutputStage& stage, double synthe, double instrument, int count) {
  std::vector<double> s(static_cast<std::size_t>(count), synthe), i(static_cast<std::size_t>(count), instrument);
  Stereo out{std::vector<double>(static_cast<std::size_t>(count)), std::vector<double>(static_cast<std::size_t>(count))};
  stage.mix(s.data(), i.data(), out.left.data(), out.right.data(), count);
  return out;
}

OutputStage stageAt(double rate) {
  OutputStage stage;
  stage.setSampleRate(rate, static_cast<int>(rate) / 1000);
  stage.updateGains();
  return stage;
}

}  // namespace

TEST(OutputGains, BalanceSelectsTheSection) {
  OutputStage stage = stageAt(44100);
  stage.setVolume(1.0);
  stage.setSyntheMix(0.0);
  stage.setInstrumentMix(0.0);
  stage.setBalance(0.0);
  Stereo out = mixConstant(stage, 0.0, 1.0, 4);
  EXPECT_EQ(out.left[3], 0.0);
  EXPECT_EQ(out.right[3], 0.0);
  out = mixConstant(stage, 1.0, 0.0, 4);
  EXPECT_EQ(out.left[3], 0.5);
  EXPECT_EQ(out.right[3], 0.5);

  stage.setBalance(1.0);
  out = mixConstant(stage, 1.0, 0.0, 4);
  EXPECT_EQ(out.left[3], 0.0);
  EXPECT_EQ(out.right[3], 0.0);
  out = mixConstant(stage, 0.0, 1.0, 4);
  EXPECT_EQ(out.left[3], 0.5);
  EXPECT_EQ(out.right[3], 0.5);
}

TEST(OutputGains, VolumeIsSquaredAndPansSplitEachSection) {
  OutputStage stage = stageAt(44100);
  stage.setVolume(0.5);
  EXPECT_EQ(stage.volumeFactor, 0.25);
  stage.setBalance(0.5);
  stage.setSynthePan(0.0);
  stage.setInstrumentPan(0.75);
  EXPECT_EQ(stage.syntheGain.left, 0.5 * 0.25);
  EXPECT_EQ(stage.syntheGain.right, 0.0);
  EXPECT_EQ(stage.instrumentGain.left, 0.5 * 0.25 * 0.25);
  EXPECT_EQ(stage.instrumentGain.right, 0.5 * 0.25 * 0.75);
}

TEST(OutputGains, ChorusOffKeepsTheDryShareOfTheMix) {
  OutputStage stage = stageAt(44100);
  stage.setVolume(1.0);
  stage.setBalance(0.5);
  stage.setSyntheMix(0.5);
  stage.setInstrumentMix(0.5);
  stage.setChorusOn(false);
  const Stereo out = mixConstant(stage, 1.0, 0.0, 8);
  // Full dry level would be (1 - balance) x volume x pan = 0.25 per side.
  EXPECT_DOUBLE_EQ(out.left[7], 0.25 * std::sqrt(0.5));
  EXPECT_DOUBLE_EQ(out.right[7], 0.25 * std::sqrt(0.5));
  EXPECT_EQ(stage.syntheWet.left, 0.25 * std::sqrt(0.5));

  stage.setSyntheMix(1.0);
  EXPECT_EQ(mixConstant(stage, 1.0, 0.0, 1).left[0], 0.0);
}

TEST(OutputChorus, TriangleLfosStartAThirdApartAndWrap) {
  TriangleLfo lfo;
  lfo.increment = 0.5;
  lfo.step();
  EXPECT_EQ(lfo.o1, 1.0);
  EXPECT_DOUBLE_EQ(lfo.o2, 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(lfo.o3, 1.0 / 3.0);
  EXPECT_EQ(lfo.q1, -0.5);
  EXPECT_DOUBLE_EQ(lfo.q2, -0.5 + 2.0 / 3.0);
  EXPECT_DOUBLE_EQ(lfo.q3, -0.5 + 4.0 / 3.0);
  lfo.step();
  EXPECT_DOUBLE_EQ(lfo.q3, 4.0 / 3.0 - 2.0);  // a phase at 1 or more loses 2
  EXPECT_DOUBLE_EQ(lfo.o3, -0.5 + 4.0 / 3.0);
  for (int i = 0; i < 2; ++i) lfo.step();
  EXPECT_EQ(lfo.q1, -1.0);  // 1.0 wraps to -1
}

TEST(OutputChorus, DelaysStayInsideTheLineAtMaximumDepth) {
  for (double rate : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0}) {
    OutputStage stage = stageAt(rate);
    stage.setChorusOn(true);
    stage.setChorusDepth(1.0);
    stage.setChorusRate(0, 0.37);
    stage.setChorusRate(1, 0.11);
    const int period = static_cast<int>(rate) / 1000;
    std::vector<double> zero(static_cast<std::size_t>(period), 0.0), left(zero), right(zero);
    double longest = 0;
    for (int tick = 0; tick < 20000; ++tick) {
      stage.stepModulation();
      stage.mix(zero.data(), zero.data(), left.data(), right.data(), period);
      for (double d : stage.delays) longest = std::max(longest, d);
    }
    EXPECT_LT(longest, stage.lineLength) << rate;
    // The sum of both triangles reaches close to 2, so the delay nears 0.9 x 16 ms + 1 ms.
    EXPECT_GT(longest, 0.0150 * rate) << rate;
  }
}

TEST(OutputChorus, DelayGlidesToItsTargetWithinATick) {
  OutputStage stage = stageAt(44100);
  stage.setChorusOn(true);
  stage.setChorusDepth(0.0);
  stage.stepModulation();
  const double target = 0.001 * 44100;
  EXPECT_DOUBLE_EQ(stage.delaySteps[0], target * 999 / 44100);
  std::vector<double> zero(44, 0.0), left(zero), right(zero);
  stage.mix(zero.data(), zero.data(), left.data(), right.data(), 44);
  EXPECT_NEAR(stage.delays[0], target * 44 * 999 / 44100, 1e-9);
  EXPECT_LT(stage.delays[0], target);
}

TEST(OutputChorus, TapsInterpolateBetweenTheTwoNeighbours) {
  OutputStage stage = stageAt(44100);
  stage.setVolume(1.0);
  stage.setBalance(0.0);
  stage.setSynthePan(0.5);
  stage.setSyntheMix(1.0);  // all wet: the output is the taps alone
  stage.setChorusOn(true);
  stage.delays = {10.25, 10.25, 10.25};
  stage.delaySteps = {0, 0, 0};
  const int count = 16;
  std::vector<double> synthe(count, 0.0), instrument(count, 0.0), left(count), right(count);
  synthe[0] = 1.0;
  stage.mix(synthe.data(), instrument.data(), left.data(), right.data(), count);
  // The wet signal per side is 0.5; line 1 holds half of it, line 3 half, line 2 a quarter of both.
  const double line1 = 0.25, line3 = 0.25;
  // Tap = f x line[w - 10] + (1 - f) x line[w - 9], f = 0.25.
  for (int n = 0; n < count; ++n) {
    double expected = 0;
    if (n == 9) expected = 0.75 * (line1 + line3);
    if (n == 10) expected = 0.25 * (line1 + line3);
    EXPECT_DOUBLE_EQ(left[static_cast<std::size_t>(n)], expected) << n;
  }
  EXPECT_DOUBLE_EQ(right[9], 0.75 * (0.25 + line3));
}

TEST(OutputChorus, LowSampleRateGlideStaysBounded) {
  OutputStage stage = stageAt(400);
  stage.setSampleRate(400, 1);
  stage.setChorusOn(true);
  stage.setChorusDepth(1.0);
  stage.setChorusRate(0, 1.0);
  double zero = 0, left = 0, right = 0;
  for (int i = 0; i < 100000; ++i) {
    stage.stepModulation();
    stage.mix(&zero, &zero, &left, &right, 1);
    for (double d : stage.delays) ASSERT_TRUE(d >= 0 && d < stage.lineLength) << i;
  }
}
