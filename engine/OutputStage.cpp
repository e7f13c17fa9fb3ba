#include "engine/OutputStage.h"

#include <algorithm>
#include <cmath>

#include "dsp/Conversions.h"
#include "engine/ChorusGlide.h"
#include "engine/ChorusKernels.h"

namespace sorvel {

namespace {

constexpr double kDelayGlidePerSecond = 999.0;
constexpr double kChorusRateScale = 30.0;
constexpr double kChorusRateOffset = 0.05;
constexpr double kTicksPerSecond = 1000.0;

// Parameter values reach here already limited to their ranges; this only keeps corrupt ones
// from turning into a delay that is not a number.
double unitInterval(double x) {
  // Without branches: not a number gives 0.
  const double positive = x > 0.0 ? x : 0.0;
  return positive > 1.0 ? 1.0 : positive;
}

}  // namespace

void OutputStage::setSampleRate(double rate, int controlPeriod) {
  lineCycle_.standsIn = false;
  lineCycle_.run = 0;
  lineCycle_.found = -1;
  longestBlock_ = std::max(1, controlPeriod);
  const auto patternLength = static_cast<std::size_t>(HighPassCycle::kLongestPeriod + longestBlock_ + 1);
  for (auto& pattern : lineCycle_.wet) pattern.assign(patternLength, 0.0);
  for (auto& pattern : lineCycle_.dry) pattern.assign(patternLength, 0.0);
  if (rate != sampleRate) {
    sampleRate = rate;
    inverseRate = 1.0 / rate;
    lineLength = std::max(1, truncateToInt(kMaximumDelaySeconds * rate + 1.0));
    for (auto& line : lines) line.assign(static_cast<std::size_t>(lineLength), 0.0);
  }

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

void OutputStage::setChorusOn(bool on) {
  // The lines stand still while the chorus is off, and the cycle moves on.
  if (on != chorusOn) breakCycleRun();
  chorusOn = on;
}

void OutputStage::setChorusDepth(double value) { chorusDepth = kDepthScale * value; }

void OutputStage::setChorusRate(int lfo, double value) {
  const double increment = (2.0 * value * kChorusRateScale + kChorusRateOffset) / kTicksPerSecond;
  (lfo == 0 ? chorusLfo1 : chorusLfo2).increment = finiteOr(increment, 0.0);
}

void OutputStage::updateGains() {
  // The lines hold the wet mix of the gains before.
  breakCycleRun();
  lineCycle_.found = -1;
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
  const auto stepOf = [&](double sum, double delay) {
    const double x = unitInterval(sum * chorusDepth);
    const double target = (kMaximumDelaySeconds * x + kMinimumDelaySeconds) * sampleRate;
    return (target - delay) * delayGlide;
  };
  delaySteps[0] = stepOf(chorusLfo1.o1 + chorusLfo2.o1, delays[0]);
  delaySteps[1] = stepOf(chorusLfo1.o2 + chorusLfo2.o2, delays[1]);
  delaySteps[2] = stepOf(chorusLfo1.o3 + chorusLfo2.o3, delays[2]);
}

void OutputStage::mix(const double* synthe, const double* instrument, double* left, double* right, int count) {
  breakCycleRun();
  if (chorusOn) {
    mixChorus(synthe, instrument, left, right, count);
  } else {
    mixDry(synthe, instrument, left, right, count);
  }
}

void OutputStage::mixDry(const double* synthe, const double* instrument, double* left, double* right,
                         int count) const {
  chorusWrite(mixOf(synthe, instrument), nullptr, 0, left, right, 0, count);
}

ChorusMix OutputStage::mixOf(const double* synthe, const double* instrument) const {
  return {synthe,           instrument,        syntheWet.left,  syntheWet.right, instrumentWet.left, instrumentWet.right,
          syntheDry.left,   syntheDry.right,   instrumentDry.left, instrumentDry.right};
}

// The common case in one pass over a few pieces: no line wraps where the block writes it, and
// within a piece no tap's read wraps and no delay's whole part changes.
bool OutputStage::mixChorusInOnePass(const ChorusMix& mix, double* const* lineStarts, const std::array<double, 3>& glide,
                                     double* left, double* right, int count) {
  if (writePosition + count > lineLength) return false;
  constexpr int kMostPieces = 8;
  ChorusTap taps[kMostPieces][3];
  int ends[kMostPieces];
  int pieces = 0;
  for (int n = 0; n < count; ++pieces) {
    if (pieces == kMostPieces) return false;
    int end = count;
    for (std::size_t k = 0; k < 3; ++k) {
      const int back = static_cast<int>(delays[k] + n * glide[k]);
      end = std::min(end, wholePartChange(delays[k], glide[k], back, n, count));
      int shift = writePosition - back;
      if (shift < 0) shift += lineLength;
      taps[pieces][k] = {lines[k].data(), shift, delays[k], glide[k], static_cast<double>(back)};
    }
    for (const ChorusTap& tap : taps[pieces]) {
      if (tap.shift + end > lineLength - 1) return false;
    }
    ends[pieces] = end;
    n = end;
  }
  for (int piece = 0, n = 0; piece < pieces; n = ends[piece++]) {
    chorusBlock(mix, lineStarts, writePosition, taps[piece], left, right, n, ends[piece]);
  }
  writePosition = wrapToLine(writePosition + count);
  for (std::size_t k = 0; k < 3; ++k) delays[k] = delays[k] + count * glide[k];
  return true;
}

// With every delay's glide exact over the block, the lines' inputs and the dry mix are written
// first and each tap is added afterwards. That reads what the serial loop reads: a delay of at
// least one sample reads entries written earlier, and one of at most lineLength - count never
// reaches an entry this block writes later.
void OutputStage::mixChorus(const double* synthe, const double* instrument, double* left, double* right,
                            int count) {
  std::array<double, 3> glide;
  if (!closedFormGlide || !exactGlides(delays.data(), delaySteps.data(), count, lineLength - count + 1, glide.data())) {
    mixChorusSerial(synthe, instrument, left, right, count);
    return;
  }
  double* const lineStarts[3] = {lines[0].data(), lines[1].data(), lines[2].data()};
  const ChorusMix mix = mixOf(synthe, instrument);
  if (mixChorusInOnePass(mix, lineStarts, glide, left, right, count)) return;
  const int beforeWrap = std::min(count, lineLength - writePosition);
  chorusWrite(mix, lineStarts, writePosition, left, right, 0, beforeWrap);
  chorusWrite(mix, lineStarts, writePosition - lineLength, left, right, beforeWrap, count);

  addTaps(0, glide[0], left, nullptr, count);
  addTaps(1, glide[1], right, nullptr, count);
  addTaps(2, glide[2], left, right, count);

  writePosition = wrapToLine(writePosition + count);
  for (std::size_t k = 0; k < 3; ++k) delays[k] = delays[k] + count * glide[k];
}


void OutputStage::addTaps(std::size_t k, double glide, double* out, double* out2, int count) {
  const double* line = lines[k].data();
  const double start = delays[k];
  for (int n = 0; n < count;) {
    const int back = static_cast<int>(start + n * glide);
    const int end = wholePartChange(start, glide, back, n, count);
    while (n < end) {
      int p = writePosition + n - back;
      if (p < 0) p += lineLength;
      if (p >= lineLength) p -= lineLength;
      const ChorusTap tap{line, p - n, start, glide, static_cast<double>(back)};
      if (p == lineLength - 1) {
        // The entry after the last is the first.
        const double f = (start + n * glide) - tap.whole;
        const double value = f * line[p] + (1 - f) * line[0];
        out[n] = out[n] + value;
        if (out2 != nullptr) out2[n] = out2[n] + value;
        ++n;
        continue;
      }
      const int length = std::min(end - n, lineLength - 1 - p);
      chorusTap(tap, out, out2, n, n + length);
      n += length;
    }
  }
}

void OutputStage::mixChorusSerial(const double* synthe, const double* instrument, double* left, double* right,
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
