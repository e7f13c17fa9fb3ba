#include "voice/DualFilter.h"

#include <algorithm>

#include "dsp/VectorLevel.h"
#include "voice/FilterLanes.h"

namespace sorvel {

void DualFilter::setup(double sampleRate) {
  for (Filter* f : {static_cast<Filter*>(&lowPass), static_cast<Filter*>(&bandPass)}) {
    f->setLimitsForRate(sampleRate);
    f->clearState();
    f->quality = 0.55;
  }
  // A program sounds as loud in a session at any rate as at 44.1 kHz.
  bandPass.rateScale = sampleRate > 0.0 ? 44100.0 / sampleRate : 1.0;
  lowPass.computeCoefficients();
  bandPass.computeCoefficients();
  lowWeight = 0;
  bandWeight = 0;
}

void DualFilter::reserve(int length) {
  if (length <= scratchLength_) return;
  scratch_ = std::make_unique<double[]>(length);
  scratchLength_ = length;
}

void DualFilter::process(double* values, int count) {
  if (count <= 0) return;
  double* scratch = lowPassInput(values, count);
  Biquad::processPair(lowPass, scratch, bandPass, values, count);
  mix(values, count);
}

double* DualFilter::lowPassInput(const double* values, int count) {
  double* row = lowPassRow(count);
  std::copy(values, values + count, row);
  return row;
}

void DualFilter::mix(double* values, int count) {
  const double* low = scratch_.get();
  if (vectorLevel() >= VectorLevel::kAvx512) {
    mixRowsAvx512(low, lowWeight, values, bandWeight, count);
    return;
  }
  const double lowShare = lowWeight;
  const double bandShare = bandWeight;
  for (int i = 0; i < count; ++i) values[i] = low[i] * lowShare + bandShare * values[i];
}

void DualFilter::setLowCutoff(double setting) { lowPass.sweepTo(setting); }

void DualFilter::setBandCutoff(double setting) { bandPass.sweepTo(setting); }

void DualFilter::setMix(double mix) {
  if (!(mix >= 0.0)) {  // also a mix that is not a number
    lowWeight = 1.0;
    bandWeight = 0.0;
  } else if (mix > 1.0) {
    lowWeight = 0.0;
    bandWeight = 1.0;
  } else {
    bandWeight = mix;
    lowWeight = 1.0 - mix;
  }
}

}  // namespace sorvel
