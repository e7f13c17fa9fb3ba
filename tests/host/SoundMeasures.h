// Measures of rendered sound for host tests: level, the strength of one frequency, and the period
// at which a signal repeats.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstddef>
#include <vector>

namespace soundtest {

constexpr double kRate = 44100.0;

inline double noteFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

inline std::size_t samples(double seconds) { return static_cast<std::size_t>(seconds * kRate); }

inline double rms(const std::vector<double>& x, std::size_t from, std::size_t count) {
  double sum = 0;
  for (std::size_t i = from; i < from + count && i < x.size(); ++i) sum += x[i] * x[i];
  return count == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(count));
}

inline double peak(const std::vector<double>& x, std::size_t from, std::size_t count) {
  double largest = 0;
  for (std::size_t i = from; i < from + count && i < x.size(); ++i) largest = std::max(largest, std::fabs(x[i]));
  return largest;
}

// Amplitude of the component at frequency f: a sine of amplitude A reads about A. A Hann window
// keeps other partials more than a few window bins away from leaking in.
inline double toneAmplitude(const std::vector<double>& x, std::size_t from, std::size_t count, double f) {
  const double w = 2.0 * std::numbers::pi * f / kRate;
  double re = 0, im = 0, weights = 0;
  for (std::size_t i = 0; i < count && from + i < x.size(); ++i) {
    const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(count));
    const double v = x[from + i] * hann;
    re += v * std::cos(w * static_cast<double>(i));
    im -= v * std::sin(w * static_cast<double>(i));
    weights += hann;
  }
  return weights == 0 ? 0.0 : 2.0 * std::hypot(re, im) / weights;
}

// Normalised correlation of count samples from `from` with the same signal lag samples later:
// 1 for a signal that repeats after lag samples, -1 for one that turns over.
inline double selfSimilarity(const std::vector<double>& x, std::size_t from, std::size_t count, int lag) {
  if (lag < 0 || from + count + static_cast<std::size_t>(lag) > x.size()) return 0;
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    const double a = x[i];
    const double b = x[i + static_cast<std::size_t>(lag)];
    ab += a * b;
    aa += a * a;
    bb += b * b;
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

struct Repetition {
  double lag = 0;         // samples, between whole samples
  double similarity = 0;  // at the best whole-sample lag
};

// The lag of greatest self-similarity within centre +- halfWidth, refined by a parabola.
inline Repetition bestRepetition(const std::vector<double>& x, std::size_t from, std::size_t count, double centre,
                                 double halfWidth) {
  const int first = std::max(1, static_cast<int>(std::floor(centre - halfWidth)));
  const int last = static_cast<int>(std::ceil(centre + halfWidth));
  Repetition best;
  int bestLag = first;
  best.similarity = -2;
  for (int lag = first; lag <= last; ++lag) {
    const double r = selfSimilarity(x, from, count, lag);
    if (r > best.similarity) {
      best.similarity = r;
      bestLag = lag;
    }
  }
  best.lag = bestLag;
  if (bestLag > first && bestLag < last) {
    const double before = selfSimilarity(x, from, count, bestLag - 1);
    const double after = selfSimilarity(x, from, count, bestLag + 1);
    const double curve = before - 2 * best.similarity + after;
    if (curve < 0) best.lag += 0.5 * (before - after) / curve;
  }
  return best;
}

struct Pitch {
  double frequency = 0;     // from the repetition nearest about 800 samples, so to a few hundredths of a percent
  double atPeriod = 0;      // self-similarity one expected period later
  double atHalfPeriod = 0;  // and half a period later: high only if the signal sounds an octave above
};

// Where the signal repeats near the expected frequency. A tone at the expected pitch gives
// atPeriod near 1, atHalfPeriod well below it and a frequency within a small fraction of a semitone.
inline Pitch pitchNear(const std::vector<double>& x, std::size_t from, std::size_t count, double expected) {
  const double period = kRate / expected;
  Pitch pitch;
  const Repetition one = bestRepetition(x, from, count, period, 0.15 * period);
  pitch.atPeriod = one.similarity;
  pitch.atHalfPeriod = selfSimilarity(x, from, count, static_cast<int>(std::lround(period / 2)));
  const double k = std::max(1.0, std::round(800.0 / one.lag));
  const Repetition many = bestRepetition(x, from, count, k * one.lag, 0.4 * one.lag);
  pitch.frequency = kRate * k / many.lag;
  return pitch;
}

// Peak level in consecutive windows of the given length over [from, to).
inline std::vector<double> peakEnvelope(const std::vector<double>& x, std::size_t from, std::size_t to,
                                        std::size_t window) {
  std::vector<double> peaks;
  for (std::size_t start = from; start + window <= to; start += window) peaks.push_back(peak(x, start, window));
  return peaks;
}

}  // namespace soundtest
