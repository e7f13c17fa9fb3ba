#include "voice/ChannelFilter.h"

#include <cmath>

#include "engine/EngineTables.h"

namespace sorvel {

int ChannelFilter::tableIndex(double control) {
  const double scaled = control * kPitchTableSize;
  if (!(scaled >= 0.0)) return 0;
  if (scaled >= kPitchTableSize) return kPitchTableSize - 1;
  return static_cast<int>(scaled);
}

void ChannelFilter::computeCoefficients(const double* cutoffTable) {
  k = resonance * 1.8 + 0.01;
  const double G = cutoffTable[tableIndex(envValue * envAmount + cutoff + modulation)];
  g = G / (1.0 + G);
  beta3 = -1.0 / (1.0 + G);
  beta2 = (k - k * g) / (1.0 + G);
  G0 = 1.0 / (1.0 - k * g + k * g * g);
}

void ChannelFilter::process(double* values, int count) {
  double a = s1, b = s2, c = s3, guard = offset;
  for (int i = 0; i < count; ++i) {
    double x = values[i];
    x = std::isnan(x) ? 0.0 : x + guard;
    a = std::isnan(a) ? 0.0 : a + guard;
    b = std::isnan(b) ? 0.0 : b + guard;
    c = std::isnan(c) ? 0.0 : c + guard;
    guard = -guard;

    const double v = (x - a) * g;
    const double lp1 = a + v;
    a = lp1 + v;

    // The positive half of the feedback is 17 percent stronger than the negative half.
    double f = c * beta3 + b * beta2;
    if (f > 0.0) f *= 1.17;

    const double u = ((f + lp1) * G0 - b) * g;
    const double y = b + u;
    b = y + u;

    const double h = (y * k - c) * g;
    c = c + 2.0 * h;
    values[i] = y;
  }
  s1 = a;
  s2 = b;
  s3 = c;
  offset = guard;
}

}  // namespace sorvel
