#include "voice/ChannelFilter.h"

#include <cmath>

#include "voice/FilterRun.h"

#include "dsp/EngineTables.h"

namespace sorvel {

int ChannelFilter::tableIndex(double control) {
  const double scaled = control * kPitchTableSize;
  if (!(scaled >= 0.0)) return 0;
  if (scaled >= kPitchTableSize) return kPitchTableSize - 1;
  return static_cast<int>(scaled);
}

void ChannelFilter::computeCoefficients(const double* cutoffTable) {
  setCoefficients(cutoffTable[tableIndex(control())]);
}

void ChannelFilter::updateCoefficients(const double* cutoffTable) {
  const double value = control();
  const bool sameSettings = resonance == computedFrom.resonance && cutoffTable == computedFrom.table;
  if (sameSettings && value == computedFrom.control) return;
  const int index = tableIndex(value);
  if (!sameSettings || index != computedFrom.index) setCoefficients(cutoffTable[index]);
  computedFrom = {cutoffTable, value, index, resonance};
}

void ChannelFilter::setCoefficients(double G) {
  k = resonance * 1.8 + 0.01;
  g = G / (1.0 + G);
  beta3 = -1.0 / (1.0 + G);
  beta2 = (k - k * g) / (1.0 + G);
  G0 = 1.0 / (1.0 - k * g + k * (g * g));
}

namespace {

// The filter's coefficients and state held in locals for the length of a block.
struct Run {
  double G0, g, beta2, beta3, k;
  double s1, s2, s3, guard;

  explicit Run(const ChannelFilter& f)
      : G0(f.G0), g(f.g), beta2(f.beta2), beta3(f.beta3), k(f.k), s1(f.s1), s2(f.s2), s3(f.s3), guard(f.offset) {}

  void store(ChannelFilter& f) const {
    f.s1 = s1;
    f.s2 = s2;
    f.s3 = s3;
    f.offset = guard;
  }

  double step(double x) {
    x = guarded(x, guard);
    s1 = guarded(s1, guard);
    s2 = guarded(s2, guard);
    s3 = guarded(s3, guard);
    guard = -guard;

    const double v = (x - s1) * g;
    const double lp1 = s1 + v;
    s1 = lp1 + v;

    // The positive half of the feedback is 17 percent stronger than the negative half.
    double f = s3 * beta3 + s2 * beta2;
    if (f > 0.0) f *= 1.17;

    const double u = ((f + lp1) * G0 - s2) * g;
    const double y = s2 + u;
    s2 = y + u;

    const double h = (y * k - s3) * g;
    s3 = s3 + 2.0 * h;
    return y;
  }
};

}  // namespace

void ChannelFilter::process(double* values, int count) { processBlock<Run>(*this, values, count); }

void ChannelFilter::processPair(ChannelFilter& a, double* valuesA, ChannelFilter& b, double* valuesB, int count) {
  processBlockPair<Run>(a, valuesA, b, valuesB, count);
}

}  // namespace sorvel
