#include "engine/HighPassCycle.h"

#include <algorithm>
#include <cstring>

#include "dsp/Conversions.h"

namespace sorvel {

bool HighPassCycle::same(const State& a, const Biquad& b) {
  return sameBits(a.x1, b.x1) && sameBits(a.x2, b.x2) && sameBits(a.y1, b.y1) && sameBits(a.y2, b.y2) &&
         sameBits(a.offset, b.offset);
}

void HighPassCycle::processWatching(Biquad& filter, double* out, int count) {
  for (int n = 0; n < count; ++n) {
    if (known_) {
      advance(filter, out + n, count - n);
      return;
    }
    if (!watching_ || watched_ == kLongestPeriod) {
      watching_ = true;
      watched_ = 0;
    }
    states_[static_cast<std::size_t>(watched_)] = stateOf(filter);
    filter.process(out + n, 1);
    outputs_[static_cast<std::size_t>(watched_)] = out[n];
    ++watched_;
    if (watched_ % 2 == 0 && same(states_[0], filter)) {
      known_ = true;
      watching_ = false;
      period_ = watched_;
      phase_ = 0;
      span_ = static_cast<int>(outputs_.size()) / period_ * period_;
      ++found_;
      for (int i = period_; i < span_; ++i) outputs_[static_cast<std::size_t>(i)] = outputs_[static_cast<std::size_t>(i - period_)];
    }
  }
}

void HighPassCycle::advance(Biquad& filter, double* out, int count) {
  copyFrom(outputs_.data(), out, count);
  skip(filter, count);
}

void HighPassCycle::copyFrom(const double* pattern, double* out, int count) const {
  int phase = phase_;
  for (int done = 0; done < count;) {
    const int length = std::min(count - done, span_ - phase);
    std::memcpy(out + done, pattern + phase, sizeof(double) * static_cast<std::size_t>(length));
    done += length;
    phase = wrapToPeriod(phase + length, period_);
  }
}

void HighPassCycle::skip(Biquad& filter, int count) {
  phase_ = wrapToPeriod(phase_ + count, period_);
  const State& s = states_[static_cast<std::size_t>(phase_)];
  filter.x1 = s.x1;
  filter.x2 = s.x2;
  filter.y1 = s.y1;
  filter.y2 = s.y2;
  filter.offset = s.offset;
}

}  // namespace sorvel
