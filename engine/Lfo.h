// The three global LFOs: set-up, rate and the once-per-tick step.
#pragma once

#include "dsp/EngineState.h"

namespace sorvel {

constexpr double kLfoPeriod = 4096.0;            // phase units per cycle (the sine table's length)
constexpr double kLfoIncrementPerRate = 122.88;  // phase advance per tick per unit of rate

// Zeroes every field and draws the pending random from the LFO generator.
void setUpLfo(Lfo& lfo);

void setLfoRate(Lfo& lfo, double rate);

// One control tick: read the sine at the current phase, advance, draw a new random number when
// the phase passes the end of the cycle, then wrap.
void stepLfo(Lfo& lfo);

}  // namespace sorvel
