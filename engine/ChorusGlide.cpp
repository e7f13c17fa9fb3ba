#include "engine/ChorusGlide.h"

#include "dsp/VectorLevel.h"

namespace sorvel {

bool exactGlidesScalar(const double* delay, const double* step, int count, double limit, double* glide) {
  double g[3];
  for (int k = 0; k < 3; ++k) {
    if (!exactGlide(delay[k], step[k], count, limit, g[k])) return false;
  }
  for (int k = 0; k < 3; ++k) glide[k] = g[k];
  return true;
}

bool exactGlides(const double* delay, const double* step, int count, double limit, double* glide) {
  if (vectorLevel() >= VectorLevel::kAvx2) return exactGlidesAvx2(delay, step, count, limit, glide);
  return exactGlidesScalar(delay, step, count, limit, glide);
}

}  // namespace sorvel
