#include "engine/ChorusKernels.h"

#include "dsp/VectorLevel.h"

namespace sorvel {

namespace {

// Whether a positive period divides a power-of-two width, without a division.
bool dividesWidth(int width, int period) { return period <= width && (period & (period - 1)) == 0; }

}  // namespace

void chorusWriteScalar(const ChorusMix& m, double* const* lines, int shift, double* left, double* right, int from,
                       int to) {
  for (int n = from; n < to; ++n) {
    const double s = m.synthe[n];
    const double i = m.instrument[n];
    if (lines != nullptr) {
      const double wetLeft = i * m.instrumentWetLeft + s * m.syntheWetLeft;
      const double wetRight = i * m.instrumentWetRight + s * m.syntheWetRight;
      lines[0][n + shift] = 0.5 * wetLeft;
      lines[1][n + shift] = 0.25 * (wetLeft + wetRight);
      lines[2][n + shift] = 0.5 * wetRight;
    }
    left[n] = i * m.instrumentDryLeft + s * m.syntheDryLeft;
    right[n] = i * m.instrumentDryRight + s * m.syntheDryRight;
  }
}

void chorusTapScalar(const ChorusTap& t, double* out, double* out2, int from, int to) {
  for (int n = from; n < to; ++n) {
    const double f = (t.start + n * t.glide) - t.whole;
    const double tap = f * t.line[n + t.shift] + (1 - f) * t.line[n + t.shift + 1];
    out[n] = out[n] + tap;
    if (out2 != nullptr) out2[n] = out2[n] + tap;
  }
}

void chorusBlockScalar(const ChorusMix& m, double* const* lines, int shift, const ChorusTap* taps, double* left,
                       double* right, int from, int to) {
  for (int n = from; n < to; ++n) {
    const double s = m.synthe[n];
    const double i = m.instrument[n];
    const double wetLeft = i * m.instrumentWetLeft + s * m.syntheWetLeft;
    const double wetRight = i * m.instrumentWetRight + s * m.syntheWetRight;
    lines[0][n + shift] = 0.5 * wetLeft;
    lines[1][n + shift] = 0.25 * (wetLeft + wetRight);
    lines[2][n + shift] = 0.5 * wetRight;
    double tap[3];
    for (int k = 0; k < 3; ++k) {
      const ChorusTap& t = taps[k];
      const double f = (t.start + n * t.glide) - t.whole;
      tap[k] = f * t.line[n + t.shift] + (1 - f) * t.line[n + t.shift + 1];
    }
    left[n] = i * m.instrumentDryLeft + s * m.syntheDryLeft + tap[0] + tap[2];
    right[n] = i * m.instrumentDryRight + s * m.syntheDryRight + tap[1] + tap[2];
  }
}

void chorusCycleScalar(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left,
                       double* right, int from, int to) {
  for (int n = from; n < to; ++n) {
    double tap[3];
    for (int k = 0; k < 3; ++k) {
      const ChorusTap& t = taps[k];
      const double f = (t.start + n * t.glide) - t.whole;
      tap[k] = f * t.line[n + t.shift] + (1 - f) * t.line[n + t.shift + 1];
    }
    left[n] = dryLeft[n] + tap[0] + tap[2];
    right[n] = dryRight[n] + tap[1] + tap[2];
  }
}

void chorusBlock(const ChorusMix& mix, double* const* lines, int shift, const ChorusTap* taps, double* left,
                 double* right, int from, int to) {
  const VectorLevel level = vectorLevel();
  if (level >= VectorLevel::kAvx512) {
    from = chorusBlockAvx512(mix, lines, shift, taps, left, right, from, to);
  } else if (level >= VectorLevel::kAvx2) {
    from = chorusBlockAvx2(mix, lines, shift, taps, left, right, from, to);
  }
  if (from < to) chorusBlockScalar(mix, lines, shift, taps, left, right, from, to);
}

void chorusCycle(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left, double* right,
                 int from, int to, int period) {
  const VectorLevel level = vectorLevel();
  if (level >= VectorLevel::kAvx512) {
    from = dividesWidth(8, period) ? chorusCycleRepeatingAvx512(dryLeft, dryRight, taps, left, right, from, to)
                           : chorusCycleAvx512(dryLeft, dryRight, taps, left, right, from, to);
  } else if (level >= VectorLevel::kAvx2) {
    from = dividesWidth(4, period) ? chorusCycleRepeatingAvx2(dryLeft, dryRight, taps, left, right, from, to)
                           : chorusCycleAvx2(dryLeft, dryRight, taps, left, right, from, to);
  }
  if (from < to) chorusCycleScalar(dryLeft, dryRight, taps, left, right, from, to);
}

void chorusWrite(const ChorusMix& mix, double* const* lines, int shift, double* left, double* right, int from, int to) {
  const VectorLevel level = vectorLevel();
  if (level >= VectorLevel::kAvx512) {
    from = chorusWriteAvx512(mix, lines, shift, left, right, from, to);
  } else if (level >= VectorLevel::kAvx2) {
    from = chorusWriteAvx2(mix, lines, shift, left, right, from, to);
  }
  if (from < to) chorusWriteScalar(mix, lines, shift, left, right, from, to);
}

void chorusTap(const ChorusTap& tap, double* out, double* out2, int from, int to) {
  const VectorLevel level = vectorLevel();
  if (level >= VectorLevel::kAvx512) {
    from = chorusTapAvx512(tap, out, out2, from, to);
  } else if (level >= VectorLevel::kAvx2) {
    from = chorusTapAvx2(tap, out, out2, from, to);
  }
  if (from < to) chorusTapScalar(tap, out, out2, from, to);
}

}  // namespace sorvel
