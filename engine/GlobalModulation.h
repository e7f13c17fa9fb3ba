// The global part of the control tick: the three LFOs, the filter modulations, the source
// values, smoothed noise and the pitch modulation of both sections.
#pragma once

#include "dsp/EngineState.h"
#include "engine/ModulationSettings.h"

namespace sorvel {

// Reset: zeroes the performance inputs and every source value but "On", and sets the smoothing
// pair for the sample rate.
void resetGlobalModulation(EngineState& state, double sampleRate);

// Runs the global modulation of one control tick, in its fixed order, before the voices' ticks.
void stepGlobalModulation(EngineState& state, const ModulationSettings& settings);

// The pieces of the step, in the order the step runs them: the LFOs, the filter modulations and
// the source values; then the smoothed noise (one draw); then both sections' pitch modulation.
void stepModulationSources(EngineState& state, const ModulationSettings& settings);
void updatePitchModulation(EngineState& state, const ModulationSettings& settings);
// While no voice sounds, the output reads only the high-pass modulation, and the voices read
// nothing. When the high-pass modulation does not read the LFOs, a tick may step only it and leave
// the LFOs, the low-pass modulation and the source values (sourceTicks steps) to catchUpModulation;
// and any tick may leave the smoothed noise and the pitch modulation (noiseTicks steps), whose draws
// are then made in one step of the generator (nothing else drew from it meanwhile). The steps are
// made in order, with the LFOs' draws.
bool sourcesMayWait(const ModulationSettings& settings);
void stepHighPassModulation(EngineState& state, const ModulationSettings& settings);
void catchUpModulation(EngineState& state, const ModulationSettings& settings, int sourceTicks, int noiseTicks);

}  // namespace sorvel
