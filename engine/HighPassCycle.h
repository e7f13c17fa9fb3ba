// The global high-pass fed with silence. With its coefficients unchanged its state can settle into
// an exact cycle of a few samples (the denormal guard flips its sign every sample, so the period is
// even); once such a cycle is found, the filter's outputs and states follow from it without
// running the filter.
#pragma once

#include <array>

#include "voice/Filter.h"

namespace sorvel {

// x modulo period, from 0 to period - 1: the cycles' periods are mostly powers of two, which need
// no division.
inline int wrapToPeriod(int x, int period) {
  if ((period & (period - 1)) == 0) return x & (period - 1);
  x %= period;
  return x < 0 ? x + period : x;
}

class HighPassCycle {
 public:
  static constexpr int kLongestPeriod = 256;

  bool known() const { return known_; }
  int period() const { return period_; }
  // Position in the cycle of the next output.
  int phase() const { return phase_; }
  // The filter's coefficients or state are about to change other than by silence.
  void forget() { known_ = watching_ = false; }

  // Filters count samples of silence (out holds zeros) while watching for the filter's state to
  // come back to one it had before; when it does, the cycle is known.
  void processWatching(Biquad& filter, double* out, int count);

  // For a known cycle: the next count outputs into out, and the filter's state moved on.
  void advance(Biquad& filter, double* out, int count);
  // The filter's state moved on by count samples.
  void skip(Biquad& filter, int count);

  // The outputs repeated over span() samples, from the cycle's first state; a pattern laid out the
  // same way (something computed from each output) is read by copyFrom. found() counts the cycles
  // found, so that such a pattern knows when it is out of date.
  const double* outputs() const { return outputs_.data(); }
  int span() const { return span_; }
  long found() const { return found_; }
  // The next count samples of such a pattern, from the current position in the cycle.
  void copyFrom(const double* pattern, double* out, int count) const;

 private:
  struct State {
    double x1, x2, y1, y2, offset;
  };
  static State stateOf(const Biquad& filter) { return {filter.x1, filter.x2, filter.y1, filter.y2, filter.offset}; }
  static bool same(const State& a, const Biquad& b);

  bool known_ = false;
  bool watching_ = false;
  int period_ = 2;
  int phase_ = 0;    // position in the cycle of the filter's current state
  int watched_ = 0;  // samples since the first watched state
  std::array<State, kLongestPeriod> states_{};  // the cycle's states, from the first watched one
  // The cycle's outputs, repeated over span_ samples so that a block is one copy.
  std::array<double, 4 * kLongestPeriod> outputs_{};
  int span_ = 0;
  long found_ = 0;
};

}  // namespace sorvel
