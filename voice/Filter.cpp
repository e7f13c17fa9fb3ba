#include "voice/Filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dsp/EngineTables.h"

#include "voice/FilterRun.h"

namespace sorvel {

namespace {

constexpr double kTwoPi8 = 2.0 * std::numbers::pi * 8.0;        // 8 Hz in radians per second
constexpr double kTwoPi8000 = 2.0 * std::numbers::pi * 8000.0;  // 8000 Hz

// Coefficients and state of one section held in locals for the length of a block.
struct Run {
  double a1, a2, b0, b1;
  double x1, x2, y1, y2, guard;

  explicit Run(const Biquad& f)
      : a1(f.a1), a2(f.a2), b0(f.b0), b1(f.b1), x1(f.x1), x2(f.x2), y1(f.y1), y2(f.y2), guard(f.offset) {}

  void store(Biquad& f) const {
    f.x1 = x1;
    f.x2 = x2;
    f.y1 = y1;
    f.y2 = y2;
    f.offset = guard;
  }

  double step(double x) {
    x = guarded(x, guard);
    x1 = guarded(x1, guard);
    x2 = guarded(x2, guard);
    y1 = guarded(y1, guard);
    y2 = guarded(y2, guard);
    guard = -guard;
    const double y = b0 * (x + x2) + b1 * x1 + a1 * y1 + a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

}  // namespace

void Biquad::process(double* values, int count) { processBlock<Run>(*this, values, count); }

void Biquad::processPair(Biquad& a, double* valuesA, Biquad& b, double* valuesB, int count) {
  processBlockPair<Run>(a, valuesA, b, valuesB, count);
}

void Filter::setLimitsForRate(double sampleRate) {
  lower = kTwoPi8 / sampleRate;
  // Below about 16.3 kHz, 8 kHz lies near or past half the rate: the limit stops short of it.
  upper = std::min(kTwoPi8000, 2.0 * std::numbers::pi * kHighestCutoffShare * sampleRate) / sampleRate;
}

void Filter::sweepTo(double setting) {
  cutoff = lower + (upper - lower) * (setting * setting);
  computeCoefficients();
}

Filter::Common Filter::computeCommon() {
  // Held to 0..upper; a cutoff that is not a number counts as 0.
  double w = cutoff;
  if (!(w > 0.0)) w = 0.0;
  if (w > upper) w = upper;
  Common c;
  c.cosW = std::cos(w);
  c.alpha = std::sin(w) / (2.0 * quality);
  c.d = 1.0 / (1.0 + c.alpha);
  a1 = 2.0 * c.cosW * c.d;
  a2 = (c.alpha - 1.0) * c.d;
  return c;
}

void LowPass::computeCoefficients() {
  const Common c = computeCommon();
  b1 = (1.0 - c.cosW) * c.d;
  b0 = b1 / 2.0;
}

void HighPass::computeCoefficients() {
  const Common c = computeCommon();
  b1 = -(1.0 + c.cosW) * c.d;
  b0 = (1.0 + c.cosW) * c.d / 2.0;
}

void BandPass::computeCoefficients() {
  const Common c = computeCommon();
  b1 = 0.0;
  b0 = 0.5 * quality * c.alpha * c.d;
  b0 = b0 * rateScale;
}

}  // namespace sorvel
