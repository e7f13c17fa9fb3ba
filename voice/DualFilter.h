// A low-pass and a band-pass run side by side on the same signal and mixed by two weights.
#pragma once

#include <memory>

#include "voice/Filter.h"

namespace sorvel {

class DualFilter {
 public:
  LowPass lowPass;
  BandPass bandPass;
  double lowWeight = 0;
  double bandWeight = 0;

  // Limits and qualities for the rate, states cleared, weights zeroed; cutoffs kept.
  void setup(double sampleRate);
  // Makes room for blocks of up to length samples; only here or on a longer block is memory taken.
  void reserve(int length);
  void process(double* values, int count);
  // process() in three steps, so that the two sections can run beside other filters: the
  // low-pass's own copy of the input, then (once both sections have run) the weighted mix.
  double* lowPassInput(const double* values, int count);
  // The low-pass's own row, for a copy of the input taken later.
  double* lowPassRow(int count) {
    reserve(count);
    return scratch_.get();
  }
  void mix(double* values, int count);

  // "Flt1" (plus the tone's offset) and "Flt2" as 0..1 settings; applied at once.
  void setLowCutoff(double setting);
  void setBandCutoff(double setting);
  // Band-pass share: below 0 pure low-pass, above 1 pure band-pass.
  void setMix(double mix);

  int scratchLength() const { return scratchLength_; }

 private:
  std::unique_ptr<double[]> scratch_;
  int scratchLength_ = 0;
};

}  // namespace sorvel
