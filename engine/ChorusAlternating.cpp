#include "engine/ChorusAlternating.h"

#include "dsp/VectorLevel.h"

namespace sorvel {

void chorusAlternatingScalar(const AlternatingChorus& chorus, double* left, double* right, int from, int count) {
  for (int n = from; n < count; ++n) {
    double taps[3];
    for (int k = 0; k < 3; ++k) {
      const double delay = chorus.start[k] + n * chorus.glide[k];
      const int back = static_cast<int>(delay);  // the delay's floor: it is at least 1
      const double f = delay - back;
      // The line entries from back and back - 1 samples ago, by their samples' parities.
      const int older = (n - back) & 1;
      taps[k] = f * chorus.values[k][older] + (1 - f) * chorus.values[k][older ^ 1];
    }
    left[n] = chorus.dryLeft[n & 1] + taps[0] + taps[2];
    right[n] = chorus.dryRight[n & 1] + taps[1] + taps[2];
  }
}

void chorusAlternating(const AlternatingChorus& chorus, double* left, double* right, int count) {
  const VectorLevel level = vectorLevel();
  int done = 0;
  if (level >= VectorLevel::kAvx512) {
    done = chorusAlternatingAvx512(chorus, left, right, count);
  } else if (level >= VectorLevel::kAvx2) {
    done = chorusAlternatingAvx2(chorus, left, right, count);
  }
  chorusAlternatingScalar(chorus, left, right, done, count);
}

}  // namespace sorvel
