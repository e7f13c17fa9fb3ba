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
// The smoothed noise of ticks steps whose draws were left out, drawn now in one step of the
// generator (nothing else drew from it meanwhile), then the pitch modulation from it.
void catchUpNoise(EngineState& state, const ModulationSettings& settings, int ticks);
double nextLowPassModulation(const EngineState& state, const ModulationSettings& settings);
double nextHighPassModulation(const EngineState& state, const ModulationSettings& settings);
double joystickTerm(const EngineState& state, const ModulationSettings& settings);
double keyboardSensorTerm(const EngineState& state, const ModulationSettings& settings);

}  // namespace sorvel
