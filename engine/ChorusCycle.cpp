// The output stage while its buses repeat a known cycle: after one line length of that cycle the
// lines hold nothing else, so the taps read the cycle's wet mix by position and the lines are only
// written out when something else is mixed or reads them.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "engine/ChorusGlide.h"
#include "engine/ChorusKernels.h"
#include "engine/OutputStage.h"

namespace sorvel {

void OutputStage::mixCycle(const HighPassCycle& cycle, double* synthe, double* instrument, double* left,
                           double* right, int count) {
  if (chorusOn) {
    if (lineCycle_.found != cycle.found()) {
      breakCycleRun();
      makeCyclePatterns(cycle);
    }
    if (mixFromCycle(cycle, left, right, count)) return;
  }
  const int run = lineCycle_.run;
  cycle.copyFrom(cycle.outputs(), synthe, count);
  std::fill(instrument, instrument + count, 0.0);
  mix(synthe, instrument, left, right, count);
  if (chorusOn) lineCycle_.run = std::min(lineLength, run + count);
}

// The wet and dry mix of one period, as the sample loops compute them, repeated over the longest
// block from any position.
void OutputStage::makeCyclePatterns(const HighPassCycle& cycle) {
  LineCycle& c = lineCycle_;
  c.found = cycle.found();
  c.period = cycle.period();
  const std::array<double, HighPassCycle::kLongestPeriod> silence{};
  double* const wet[3] = {c.wet[0].data(), c.wet[1].data(), c.wet[2].data()};
  chorusWriteScalar(mixOf(cycle.outputs(), silence.data()), wet, 0, c.dry[0].data(), c.dry[1].data(), 0, c.period);
  const std::size_t length = static_cast<std::size_t>(c.period + longestBlock_ + 1);
  const std::size_t period = static_cast<std::size_t>(c.period);
  for (auto* pattern : {&c.wet[0], &c.wet[1], &c.wet[2], &c.dry[0], &c.dry[1]}) {
    for (std::size_t i = period; i < length; ++i) (*pattern)[i] = (*pattern)[i - period];
  }
}

bool OutputStage::mixFromCycle(const HighPassCycle& cycle, double* left, double* right, int count) {
  LineCycle& c = lineCycle_;
  const int phase = cycle.phase();
  if (c.standsIn && c.phase != phase) breakCycleRun();
  if (!closedFormGlide || c.run < lineLength || count > longestBlock_) return false;
  // A delay of 1 to lineLength - 1 samples reads two entries of the line's latest lineLength, all
  // of them the cycle's wet mix.
  std::array<double, 3> glide;
  if (!exactGlides(delays.data(), delaySteps.data(), count, lineLength, glide.data())) return false;
  for (int n = 0; n < count;) {
    int end = count;
    ChorusTap taps[3];
    for (std::size_t k = 0; k < 3; ++k) {
      const int back = static_cast<int>(delays[k] + n * glide[k]);
      end = std::min(end, wholePartChange(delays[k], glide[k], back, n, count));
      // Sample n reads the entries written back and back - 1 samples before it.
      const int at = wrapToPeriod(phase + n - back, c.period);
      taps[k] = {c.wet[k].data(), at - n, delays[k], glide[k], static_cast<double>(back)};
    }
    chorusCycle(c.dry[0].data() + phase, c.dry[1].data() + phase, taps, left, right, n, end, c.period);
    n = end;
  }
  writePosition = wrapToLine(writePosition + count);
  for (std::size_t k = 0; k < 3; ++k) delays[k] = delays[k] + count * glide[k];
  c.phase = wrapToPeriod(phase + count, c.period);
  c.standsIn = true;
  return true;
}

// The entry d samples before the write position holds the cycle's wet mix d samples before the
// cycle's position there.
void OutputStage::writeCycleInto(std::array<std::vector<double>, 3>& target) const {
  const LineCycle& c = lineCycle_;
  // One period entry by entry, then copies of what is written, doubling.
  const auto fill = [&](std::size_t k, int from, int to, int at) {
    double* line = target[k].data();
    at = wrapToPeriod(at, c.period);
    int j = from;
    for (; j < to && j < from + c.period; ++j) {
      line[j] = c.wet[k][static_cast<std::size_t>(at)];
      if (++at == c.period) at = 0;
    }
    for (int done = j - from; j < to;) {
      const int length = std::min(done, to - j);
      std::memcpy(line + j, line + from, sizeof(double) * static_cast<std::size_t>(length));
      j += length;
      done += length;
    }
  };
  for (std::size_t k = 0; k < 3; ++k) {
    fill(k, 0, writePosition, c.phase - writePosition);
    fill(k, writePosition, lineLength, c.phase - lineLength);
  }
}

void OutputStage::writeOutLines() {
  if (!lineCycle_.standsIn) return;
  lineCycle_.standsIn = false;
  writeCycleInto(lines);
}

std::array<std::vector<double>, 3> OutputStage::chorusLines() const {
  auto copy = lines;
  if (lineCycle_.standsIn) writeCycleInto(copy);
  return copy;
}

}  // namespace sorvel
