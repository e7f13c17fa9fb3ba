// The amplitude envelope: stage timing, end conditions, legato and retrigger.
#include <gtest/gtest.h>

#include <cmath>

#include "voice/Envelope.h"

namespace sorvel {
namespace {

Envelope envelopeAt(double rate, double attack, double decay, double sustain, double release) {
  Envelope e;
  e.sampleRate = rate;
  e.attack = attack;
  e.decay = decay;
  e.sustain = sustain;
  e.release = release;
  return e;
}

// Samples until the envelope leaves the given state (bounded).
int stepsInState(Envelope& e, int state, int limit = 10000000) {
  int n = 0;
  while (e.state == state && n < limit) {
    e.step();
    ++n;
  }
  return n;
}

// An approach from 0 towards 10/9 with factor c reaches 1 after ln(10) / -ln(1 - c) samples.
double expectedStageSamples(double time, double rate) {
  const double c = 1.0 / ((time + 0.001) * 0.4 * rate);
  return std::log(10.0) / -std::log(1.0 - c);
}

TEST(EnvelopeTiming, AttackReachesOneAfterTheExpectedTime) {
  for (double rate : {44100.0, 48000.0}) {
    for (double attack : {0.0, 0.05, 1.0}) {
      Envelope e = envelopeAt(rate, attack, 2, 1, 0.01);
      e.trigger();
      ASSERT_EQ(e.state, Envelope::kAttack);
      const int n = stepsInState(e, Envelope::kAttack);
      EXPECT_NEAR(n, std::ceil(expectedStageSamples(attack, rate)), 1.0) << rate << " " << attack;
      EXPECT_EQ(e.value, 1.0);
      EXPECT_EQ(e.state, Envelope::kDecaySustain);
      EXPECT_EQ(e.target, 1.0);
    }
  }
}

TEST(EnvelopeTiming, ReleaseFromOneTakesAboutPoint92TimesTheTime) {
  const double rate = 44100;
  for (double release : {0.01, 0.5, 2.0}) {
    Envelope e = envelopeAt(rate, 0, 0, 1, release);
    e.value = 1.0;
    e.state = Envelope::kDecaySustain;
    e.startRelease();
    const int n = stepsInState(e, Envelope::kRelease);
    EXPECT_EQ(e.state, Envelope::kIdle);
    EXPECT_EQ(e.value, 0.0);
    EXPECT_NEAR(n, std::ceil(expectedStageSamples(release, rate)), 1.0);
    EXPECT_NEAR(n / rate, 0.921 * (release + 0.001), 0.002 * (release + 0.001) + 2 / rate);
  }
}

TEST(EnvelopeTiming, DecayApproachesSustainAndStays) {
  Envelope e = envelopeAt(44100, 0, 0.1, 0.4, 0.01);
  e.trigger();
  stepsInState(e, Envelope::kAttack);
  for (int i = 0; i < 44100; ++i) e.step();
  EXPECT_EQ(e.state, Envelope::kDecaySustain);
  EXPECT_NEAR(e.value, 0.4, 1e-9);
}

TEST(EnvelopeTiming, ZeroSustainShrinksGeometricallyAndStaysInDecay) {
  Envelope e = envelopeAt(44100, 0, 0, 0.0, 0.01);
  e.trigger();
  stepsInState(e, Envelope::kAttack);
  const double c = e.coefficient;
  double previous = e.value;
  e.step();
  EXPECT_DOUBLE_EQ(e.value, previous * (1.0 - c));
  // It leaves decay/sustain only when released or when the value is exactly 0, which a factor
  // below one half never produces: the value settles on the smallest numbers instead.
  for (int i = 0; i < 200000; ++i) e.step();
  EXPECT_EQ(e.state, Envelope::kDecaySustain);
  EXPECT_GE(e.value, 0.0);
  EXPECT_LT(e.value, 1e-300);
  e.startRelease();
  stepsInState(e, Envelope::kRelease);
  EXPECT_EQ(e.state, Envelope::kIdle);
}

TEST(EnvelopeTiming, ReleaseOfAnIdleEnvelopeEndsAtTheNextStep) {
  Envelope e = envelopeAt(44100, 0, 0, 1, 0.5);
  e.startRelease();
  EXPECT_EQ(e.state, Envelope::kRelease);
  e.step();
  EXPECT_EQ(e.state, Envelope::kIdle);
  EXPECT_EQ(e.value, 0.0);
}

TEST(EnvelopeTrigger, LegatoLeavesARunningEnvelopeAlone) {
  Envelope e = envelopeAt(44100, 0.01, 1, 0.5, 0.01);
  e.trigger();
  for (int i = 0; i < 100; ++i) e.step();
  const double value = e.value;
  const double coefficient = e.coefficient;
  e.trigger();
  EXPECT_EQ(e.state, Envelope::kAttack);
  EXPECT_EQ(e.value, value);
  EXPECT_EQ(e.coefficient, coefficient);
  stepsInState(e, Envelope::kAttack);
  for (int i = 0; i < 100; ++i) e.step();
  const double decaying = e.value;
  e.trigger();
  EXPECT_EQ(e.state, Envelope::kDecaySustain);
  EXPECT_EQ(e.value, decaying);
}

TEST(EnvelopeTrigger, MultipleTriggerRestartsTheAttackFromThePresentValue) {
  Envelope e = envelopeAt(44100, 0.01, 0.01, 0.3, 0.01);
  e.multipleTrigger = true;
  e.trigger();
  stepsInState(e, Envelope::kAttack);
  for (int i = 0; i < 2000; ++i) e.step();
  const double present = e.value;
  ASSERT_LT(present, 0.5);
  e.trigger();
  EXPECT_EQ(e.state, Envelope::kAttack);
  EXPECT_EQ(e.value, present);
  EXPECT_EQ(e.target, 10.0 / 9.0);
  e.step();
  EXPECT_GT(e.value, present);
}

TEST(EnvelopeTrigger, ANoteInReleaseRestartsTheAttack) {
  Envelope e = envelopeAt(44100, 0.01, 0.01, 1.0, 0.5);
  e.trigger();
  stepsInState(e, Envelope::kAttack);
  e.startRelease();
  for (int i = 0; i < 500; ++i) e.step();
  const double present = e.value;
  ASSERT_GT(present, 0.0);
  ASSERT_LT(present, 1.0);
  e.trigger();
  EXPECT_EQ(e.state, Envelope::kAttack);
  EXPECT_EQ(e.value, present);
}

TEST(EnvelopeChanges, AttackTimeChangesARunningAttackButNotADecay) {
  Envelope e = envelopeAt(44100, 2.0, 2.0, 0.5, 0.01);
  e.trigger();
  for (int i = 0; i < 10; ++i) e.step();
  e.setAttack(0.0);
  EXPECT_EQ(e.coefficient, 1.0 / (0.001 * 0.4 * 44100));
  stepsInState(e, Envelope::kAttack);
  const double decayCoefficient = e.coefficient;
  e.setAttack(1.0);
  EXPECT_EQ(e.coefficient, decayCoefficient);
  e.setDecay(0.0);
  EXPECT_EQ(e.coefficient, 1.0 / (0.001 * 0.4 * 44100));
  e.setSustain(0.2);
  EXPECT_EQ(e.target, 0.2);
  e.setRelease(3.0);
  EXPECT_EQ(e.release, 3.0);
  EXPECT_EQ(e.coefficient, 1.0 / (0.001 * 0.4 * 44100));
}

TEST(EnvelopeSteps, SkippingAFixedPointGivesTheSameResultAsSteppingEachSample) {
  // Every stage and its transitions: attack into decay, decay onto sustain, release into idle.
  for (double sustain : {1.0, 0.5, 0.0}) {
    Envelope a = envelopeAt(44100, 0.002, 0.003, sustain, 0.004);
    Envelope b = a;
    a.trigger();
    b.trigger();
    for (int block = 0; block < 4000; ++block) {
      if (block == 3000) {
        a.startRelease();
        b.startRelease();
      }
      const int count = 1 + block % 47;
      a.stepTimes(count);
      for (int i = 0; i < count; ++i) b.step();
      ASSERT_EQ(a.value, b.value) << sustain << " " << block;
      ASSERT_EQ(a.state, b.state) << sustain << " " << block;
    }
    EXPECT_EQ(a.state, Envelope::kIdle);
  }
}

}  // namespace
}  // namespace sorvel
