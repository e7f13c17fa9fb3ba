#include "engine/OutputStage.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "dsp/Conversions.h"
#include "engine/ChorusAlternating.h"

namespace sorvel {

namespace {

constexpr double kDelayGlidePerSecond = 999.0;
constexpr double kChorusRateScale = 30.0;
constexpr double kChorusRateOffset = 0.05;
constexpr double kTicksPerSecond = 1000.0;

// Parameter values reach here already limited to their ranges; this only keeps corrupt ones
// from turning into a delay that is not a number.
double unitInterval(double x) {
  if (!(x > 0.0)) return 0.0;
  return x > 1.0 ? 1.0 : x;
}

// out[n] = pair[n & 1].
void fillAlternating(double* out, const double pair[2], int count) {
  const double even = pair[0];
  const double odd = pair[1];
  int n = 0;
  for (; n + 2 <= count; n += 2) {
    out[n] = even;
    out[n + 1] = odd;
  }
  if (n < count) out[n] = even;
}

bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// Whether count steps of `delay += step`, rounded at each step, are delay + n x glide exactly for
// one glide, with every delay of the run whole samples inside a line of this length (1 to
// length - 1 back). Between two powers of two the doubles are the multiples of one grid step u;
// a delay on that grid plus the step rounds to the delay plus the step rounded to the grid, as
// long as the sum stays between those powers and the step is no tie between two grid points.
bool exactGlide(double delay, double step, int count, int length, double& glide) {
  if (!(delay >= 1.0 && delay < 1e9) || !(std::fabs(step) < 1e9) || count < 1) return false;
  // The power of two at or below the delay, and the grid step 2^-52 of it.
  const double lower = std::bit_cast<double>(std::bit_cast<std::uint64_t>(delay) & 0x7FF0000000000000ull);
  const double upper = 2.0 * lower;
  const double grid = lower * 0x1p-52;
  const double steps = step * (0x1p52 / lower);  // exact: powers of two
  if (!(std::fabs(steps) < 0x1p50)) return false;
  // Rounded to the nearest whole number, ties to even: exact below 2^51.
  const double whole = (steps + 0x1.8p52) - 0x1.8p52;
  if (std::fabs(steps - whole) == 0.5) return false;
  glide = whole * grid;
  const double last = delay + (count - 1) * glide;
  // One grid step of margin covers the rounding of these checks themselves.
  const double first = delay + step;
  const double final = last + step;
  if (std::min(first, final) < lower + grid || std::max(first, final) >= upper - grid) return false;
  return std::min(delay, last) >= 1.0 && std::max(delay, last) < length;
}

}  // namespace

void OutputStage::setSampleRate(double rate, int controlPeriod) {
  if (rate != sampleRate) {
    sampleRate = rate;
    inverseRate = 1.0 / rate;
    lineLength = std::max(1, truncateToInt(kMaximumDelaySeconds * rate + 1.0));
    for (auto& line : lines) line.assign(static_cast<std::size_t>(lineLength), 0.0);
  }
  const auto period = static_cast<std::size_t>(std::max(1, controlPeriod));
  alternatingSynthe_.assign(period, 0.0);
  silence_.assign(period, 0.0);
  linesAlternating_ = false;
  // 999/R covers the distance in about one millisecond; below 1000 Hz a tick is longer than a
  // millisecond and the glide is held to one tick so that it never overshoots.
  delayGlide = std::min(kDelayGlidePerSecond / rate, 1.0 / std::max(1, controlPeriod));
  for (auto& line : lines) std::fill(line.begin(), line.end(), 0.0);
  writePosition = 0;
  delays.fill(0.0);
  delaySteps.fill(0.0);
}

void OutputStage::setVolume(double volume) {
  volumeFactor = volume * volume;
  updateGains();
}

void OutputStage::setBalance(double value) {
  balance = value;
  updateGains();
}

void OutputStage::setSynthePan(double pan) {
  synthePan = pan;
  updateGains();
}

void OutputStage::setInstrumentPan(double pan) {
  instrumentPan = pan;
  updateGains();
}

void OutputStage::setSyntheMix(double mix) {
  syntheMix = mix;
  updateGains();
}

void OutputStage::setInstrumentMix(double mix) {
  instrumentMix = mix;
  updateGains();
}

void OutputStage::setChorusDepth(double value) { chorusDepth = kDepthScale * value; }

void OutputStage::setChorusRate(int lfo, double value) {
  const double increment = (2.0 * value * kChorusRateScale + kChorusRateOffset) / kTicksPerSecond;
  (lfo == 0 ? chorusLfo1 : chorusLfo2).increment = finiteOr(increment, 0.0);
}

void OutputStage::updateGains() {
  const double v = volumeFactor;
  const double b = balance;
  syntheGain.left = (1 - b) * v * (1 - synthePan);
  syntheGain.right = (1 - b) * v * synthePan;
  instrumentGain.left = b * v * (1 - instrumentPan);
  instrumentGain.right = b * v * instrumentPan;

  const double syntheDryShare = std::sqrt(1 - syntheMix);
  const double syntheWetShare = std::sqrt(syntheMix);
  const double instrumentDryShare = std::sqrt(1 - instrumentMix);
  const double instrumentWetShare = std::sqrt(instrumentMix);
  syntheDry = {syntheGain.left * syntheDryShare, syntheGain.right * syntheDryShare};
  syntheWet = {syntheGain.left * syntheWetShare, syntheGain.right * syntheWetShare};
  instrumentDry = {instrumentGain.left * instrumentDryShare, instrumentGain.right * instrumentDryShare};
  instrumentWet = {instrumentGain.left * instrumentWetShare, instrumentGain.right * instrumentWetShare};
}

void OutputStage::stepModulation() {
  chorusLfo1.step();
  chorusLfo2.step();
  const std::array<double, 3> sum = {chorusLfo1.o1 + chorusLfo2.o1, chorusLfo1.o2 + chorusLfo2.o2,
                                     chorusLfo1.o3 + chorusLfo2.o3};
  for (std::size_t k = 0; k < 3; ++k) {
    const double x = unitInterval(sum[k] * chorusDepth);
    const double target = (kMaximumDelaySeconds * x + kMinimumDelaySeconds) * sampleRate;
    delaySteps[k] = (target - delays[k]) * delayGlide;
  }
}

void OutputStage::mix(const double* synthe, const double* instrument, double* left, double* right, int count) {
  if (chorusOn) {
    linesAlternating_ = false;
    mixChorus(synthe, instrument, left, right, count);
  } else {
    mixDry(synthe, instrument, left, right, count);
  }
}

void OutputStage::mixAlternating(const std::array<double, 2>& synthe, double* left, double* right, int count) {
  if (count <= 0) return;
  if (!chorusOn) {
    const double silent[2] = {0.0, 0.0};
    double l[2], r[2];
    mixDry(synthe.data(), silent, l, r, 2);
    fillAlternating(left, l, count);
    fillAlternating(right, r, count);
    return;
  }
  if (!mixChorusAlternating(synthe, left, right, count)) {
    const int piece = static_cast<int>(alternatingSynthe_.size());
    for (int done = 0; done < count; done += piece) {
      const int length = std::min(piece, count - done);
      for (int n = 0; n < length; ++n) alternatingSynthe_[static_cast<std::size_t>(n)] = synthe[(done + n) & 1];
      mixChorus(alternatingSynthe_.data(), silence_.data(), left + done, right + done, length);
    }
    // Lines that held the alternation still do, count samples on.
    if (linesAlternating_ && (count & 1) != 0) {
      for (auto& values : lineValues_) std::swap(values[0], values[1]);
    }
  }
}

bool OutputStage::linesAlternate(const std::array<std::array<double, 2>, 3>& values) const {
  for (std::size_t k = 0; k < 3; ++k) {
    const double* line = lines[k].data();
    // The entry m places before the write position holds the sample m back, of m's parity.
    // Oldest first: a stale entry is likeliest there.
    for (int m = lineLength; m >= 1; --m) {
      int j = writePosition - m;
      if (j < 0) j += lineLength;
      if (!sameBits(line[j], values[k][static_cast<std::size_t>(m & 1)])) return false;
    }
  }
  return true;
}

bool OutputStage::mixChorusAlternating(const std::array<double, 2>& synthe, double* left, double* right,
                                       int count) {
  // What mixChorus computes from each of the two bus values: the lines' inputs and the dry mix.
  std::array<std::array<double, 2>, 3> values;
  std::array<double, 2> dryLeft, dryRight;
  for (std::size_t p = 0; p < 2; ++p) {
    const double s = synthe[p];
    const double i = 0.0;
    const double wetLeft = i * instrumentWet.left + s * syntheWet.left;
    const double wetRight = i * instrumentWet.right + s * syntheWet.right;
    values[0][p] = 0.5 * wetLeft;
    values[1][p] = 0.25 * (wetLeft + wetRight);
    values[2][p] = 0.5 * wetRight;
    dryLeft[p] = i * instrumentDry.left + s * syntheDry.left;
    dryRight[p] = i * instrumentDry.right + s * syntheDry.right;
  }
  bool same = linesAlternating_;
  for (std::size_t k = 0; k < 3 && same; ++k) {
    same = sameBits(values[k][0], lineValues_[k][0]) && sameBits(values[k][1], lineValues_[k][1]);
  }
  if (!same) {
    linesAlternating_ = linesAlternate(values);
    lineValues_ = values;
    if (!linesAlternating_) return false;
  }
  std::array<double, 3> glide;
  for (std::size_t k = 0; k < 3; ++k) {
    if (!exactGlide(delays[k], delaySteps[k], count, lineLength, glide[k])) return false;
  }

  AlternatingChorus run;
  for (std::size_t k = 0; k < 3; ++k) {
    run.start[k] = delays[k];
    run.glide[k] = glide[k];
    run.values[k][0] = values[k][0];
    run.values[k][1] = values[k][1];
  }
  for (std::size_t p = 0; p < 2; ++p) {
    run.dryLeft[p] = dryLeft[p];
    run.dryRight[p] = dryRight[p];
  }
  chorusAlternating(run, left, right, count);

  for (std::size_t k = 0; k < 3; ++k) delays[k] = run.start[k] + count * glide[k];
  // Each entry written takes the value of the sample a line's length back; in a line of even
  // length that is the value it holds already.
  if (lineLength % 2 != 0) {
    for (std::size_t k = 0; k < 3; ++k) {
      double* line = lines[k].data();
      int j = writePosition;
      for (int n = 0; n < count; ++n) {
        line[j] = values[k][static_cast<std::size_t>(n & 1)];
        if (++j == lineLength) j = 0;
      }
    }
  }
  writePosition = (writePosition + count) % lineLength;
  if ((count & 1) != 0) {
    for (auto& v : lineValues_) std::swap(v[0], v[1]);
  }
  return true;
}

void OutputStage::mixDry(const double* synthe, const double* instrument, double* left, double* right,
                         int count) const {
  for (int n = 0; n < count; ++n) {
    const double s = synthe[n];
    const double i = instrument[n];
    left[n] = i * instrumentDry.left + s * syntheDry.left;
    right[n] = i * instrumentDry.right + s * syntheDry.right;
  }
}

void OutputStage::mixChorus(const double* synthe, const double* instrument, double* left, double* right,
                            int count) {
  double* line1 = lines[0].data();
  double* line2 = lines[1].data();
  double* line3 = lines[2].data();
  const int length = lineLength;
  for (int n = 0; n < count; ++n) {
    const double s = synthe[n];
    const double i = instrument[n];
    const double wetLeft = i * instrumentWet.left + s * syntheWet.left;
    const double wetRight = i * instrumentWet.right + s * syntheWet.right;
    line1[writePosition] = 0.5 * wetLeft;
    line2[writePosition] = 0.25 * (wetLeft + wetRight);
    line3[writePosition] = 0.5 * wetRight;

    std::array<double, 3> taps;
    for (std::size_t k = 0; k < 3; ++k) {
      const double whole = std::floor(delays[k]);
      // The delay always lies inside the line; the clamp only guards the index.
      const int back = std::clamp(truncateToInt(whole), 0, length - 1);
      int j0 = writePosition - back;
      if (j0 < 0) j0 += length;
      const int j1 = j0 + 1 == length ? 0 : j0 + 1;
      const double f = delays[k] - whole;
      const double* line = lines[k].data();
      taps[k] = f * line[j0] + (1 - f) * line[j1];
    }

    left[n] = i * instrumentDry.left + s * syntheDry.left + taps[0] + taps[2];
    right[n] = i * instrumentDry.right + s * syntheDry.right + taps[1] + taps[2];

    if (++writePosition == length) writePosition = 0;
    for (std::size_t k = 0; k < 3; ++k) delays[k] += delaySteps[k];
  }
}

}  // namespace sorvel
