// Attack / decay-sustain / release amplitude envelope, stepped once per sample. Attack and release
// aim beyond their end points (10/9 and -1/9) so that both finish in finite time.
#pragma once

namespace sorvel {

struct Envelope {
  enum State { kIdle = 0, kAttack = 1, kDecaySustain = 2, kRelease = 3 };

  static constexpr double kAttackTarget = 10.0 / 9.0;
  static constexpr double kReleaseTarget = -1.0 / 9.0;

  double value = 0;
  bool multipleTrigger = false;
  double attack = 0;   // effective times in "EnvA"/"EnvD"/"EnvR" units (0..4)
  double decay = 0;
  double sustain = 1.0;
  double release = 0.01;
  int state = kIdle;
  double sampleRate = 44100;
  double target = 0;
  double coefficient = 0;  // per-sample approach factor

  // Time t gives a time constant of 0.4 t seconds.
  double coefficientFor(double time) const { return 1.0 / ((time + 0.001) * 0.4 * sampleRate); }

  void step() {
    if (state == kIdle) return;
    value = value + (target - value) * coefficient;
    if (state == kAttack) {
      if (value >= 1.0) {
        value = 1.0;
        state = kDecaySustain;
        target = sustain;
        coefficient = coefficientFor(decay);
      }
      return;
    }
    if (value <= 0.0) {
      value = 0.0;
      state = kIdle;
    } else if (value > 1.0) {
      value = 1.0;
    }
  }

  // count steps. A step that changes neither value nor state has reached a fixed point, and every
  // further step would repeat it exactly, so the rest are skipped.
  void stepTimes(int count) {
    for (int i = 0; i < count; ++i) {
      const double before = value;
      const int stateBefore = state;
      step();
      if (value == before && state == stateBefore) return;
    }
  }

  // Note start: a new attack from the present value, unless the envelope is already in attack or
  // decay/sustain and multiple trigger is off (legato).
  void trigger() {
    if (multipleTrigger || state == kIdle || state == kRelease) {
      state = kAttack;
      target = kAttackTarget;
      coefficient = coefficientFor(attack);
    }
  }

  void startRelease() {
    state = kRelease;
    target = kReleaseTarget;
    coefficient = coefficientFor(release);
  }

  // Time and level changes; a running stage takes a new time at once.
  void setAttack(double time) {
    attack = time;
    if (state == kAttack) coefficient = coefficientFor(attack);
  }
  void setDecay(double time) {
    decay = time;
    if (state == kDecaySustain) coefficient = coefficientFor(decay);
  }
  void setRelease(double time) {
    release = time;
    if (state == kRelease) coefficient = coefficientFor(release);
  }
  void setSustain(double level) {
    sustain = level;
    if (state == kDecaySustain) target = sustain;
  }
};

}  // namespace sorvel
