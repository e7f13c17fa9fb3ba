#include "voice/Filter.h"

#include <cmath>

namespace sorvel {

void Biquad::process(double* values, int count) {
  double sx1 = x1, sx2 = x2, sy1 = y1, sy2 = y2, guard = offset;
  for (int i = 0; i < count; ++i) {
    double x = values[i];
    x = std::isnan(x) ? 0.0 : x + guard;
    sx1 = std::isnan(sx1) ? 0.0 : sx1 + guard;
    sx2 = std::isnan(sx2) ? 0.0 : sx2 + guard;
    sy1 = std::isnan(sy1) ? 0.0 : sy1 + guard;
    sy2 = std::isnan(sy2) ? 0.0 : sy2 + guard;
    guard = -guard;
    const double y = b0 * (x + sx2) + b1 * sx1 + a1 * sy1 + a2 * sy2;
    sx2 = sx1;
    sx1 = x;
    sy2 = sy1;
    sy1 = y;
    values[i] = y;
  }
  x1 = sx1;
  x2 = sx2;
  y1 = sy1;
  y2 = sy2;
  offset = guard;
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
}

}  // namespace sorvel
