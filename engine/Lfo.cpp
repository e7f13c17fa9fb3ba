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

void stepLfo(Lfo& lfo) { stepLfo(lfo, sineTable()); }

}  // namespace sorvel
