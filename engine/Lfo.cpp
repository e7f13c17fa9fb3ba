#include "engine/Lfo.h"

#include <cmath>

#include "dsp/Conversions.h"
#include "dsp/EngineTables.h"
#include "dsp/Random.h"

namespace sorvel {

namespace {
constexpr double kMaximumLfoRate = 16.0;
}

void setUpLfo(Lfo& lfo) {
  sineTable();  // built here, never first on the audio thread
  lfo = Lfo{};
  lfo.pendingRandom = lfoRandom().next();
}

void setLfoRate(Lfo& lfo, double rate) {
  // The rate laws give 0.0017 to 1; anything else is a corrupt value and is held to a sane range
  // so that the phase wrap below stays a single step.
  rate = std::isfinite(rate) ? std::fmin(std::fmax(rate, 0.0), kMaximumLfoRate) : 0.0;
  lfo.rate = rate;
  lfo.increment = kLfoIncrementPerRate * rate;
}

void stepLfo(Lfo& lfo) {
  // A phase that is not finite or far outside the cycle (only from a corrupt rate) restarts the
  // cycle instead of looping for ever below.
  if (!(lfo.phase >= 0.0 && lfo.phase < 2.0 * kLfoPeriod)) lfo.phase = 0.0;
  lfo.value = sineTable()[truncateToInt(lfo.phase) & 4095];
  lfo.unipolar = (lfo.value + 1.0) * 0.5;
  lfo.phase += lfo.increment;
  if (lfo.phase > kLfoPeriod) lfo.pendingRandom = lfoRandom().next();
  lfo.held = lfo.pendingRandom;
  while (lfo.phase >= kLfoPeriod) lfo.phase -= kLfoPeriod;
}

}  // namespace sorvel
