// The three global LFOs: set-up, rate and the once-per-tick step.
#pragma once

#include "dsp/EngineState.h"
#include "dsp/Random.h"

namespace sorvel {

constexpr double kLfoPeriod = 4096.0;            // phase units per cycle (the sine table's length)
constexpr double kLfoIncrementPerRate = 122.88;  // phase advance per tick per unit of rate

// Zeroes every field and draws the pending random from the LFO generator.
void setUpLfo(Lfo& lfo);

void setLfoRate(Lfo& lfo, double rate);

// One control tick: read the sine at the current phase, advance, draw a new random number when
// the phase passes the end of the cycle, then wrap.
void stepLfo(Lfo& lfo);

// A phase that is not finite or far outside the cycle (only from a corrupt rate) restarts the
// cycle instead of looping for ever in the wrap.
inline void keepPhaseInCycle(Lfo& lfo) {
  if (!(lfo.phase >= 0.0 && lfo.phase < 2.0 * kLfoPeriod)) lfo.phase = 0.0;
}

// What only the cycle's next step reads: the phase, its wrap and the draws.
inline void advanceLfo(Lfo& lfo) {
  keepPhaseInCycle(lfo);
  lfo.phase += lfo.increment;
  if (lfo.phase > kLfoPeriod) lfo.pendingRandom = lfoRandom().next();
  while (lfo.phase >= kLfoPeriod) lfo.phase -= kLfoPeriod;
}

// The whole step with the sine table at hand (sineTable()), for the control tick's three steps.
inline void stepLfo(Lfo& lfo, const double* sine) {
  keepPhaseInCycle(lfo);
  lfo.value = sine[static_cast<int>(lfo.phase) & 4095];
  lfo.unipolar = (lfo.value + 1.0) * 0.5;
  advanceLfo(lfo);
  lfo.held = lfo.pendingRandom;
}

}  // namespace sorvel
