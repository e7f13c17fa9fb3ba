#include "engine/GlobalModulation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "dsp/EngineTables.h"
#include "dsp/Random.h"
#include "engine/Lfo.h"

namespace sorvel {

namespace {

constexpr double kSmoothingFrequency = 80.0;
constexpr double kLowPassOnOffset = 0.6;
constexpr double kKeyboardSensorRange = 1536.0;

// Source values by index; an index outside the list reads 0.
double source(const EngineState& state, int index) {
  return index >= 0 && index < kSourceCount ? state.sources[static_cast<std::size_t>(index)] : 0.0;
}

// One step of the smoothed noise from a draw of the noise generator.
double smoothedNoise(const EngineState& state, double random, double last) {
  return state.smoothingA * random + state.smoothingB * last;
}

}  // namespace

void resetGlobalModulation(EngineState& state, double /*sampleRate*/) {
  state.pitchBend = 0;
  state.channelPressure = 0;
  state.noiseValue = 0;
  state.highPassModulation = 0;
  state.lowPassModulation = 0;
  state.sources.fill(0.0);
  state.sources[kSourceOn] = 1.0;
  // Runs once per control tick, a millisecond at every rate: so its pole is the same at every rate.
  state.smoothingB = std::exp(-2.0 * std::numbers::pi * kSmoothingFrequency / 44100.0);
  state.smoothingA = 1.0 - state.smoothingB;
}

double nextLowPassModulation(const EngineState& state, const ModulationSettings& settings) {
  const int s = settings.lowPassSource;
  const double d = settings.lowPassDepth;
  if (s == kSourceOff) return 0.0;
  if (s == kSourceOn) return d - kLowPassOnOffset;
  if (s == kSourceVelocity) return 2.0 * d;  // each voice scales it by its own velocity
  const double v = source(state, s);
  if (s < kSourceFirstController) return (2.0 * v - 1.0) * d;
  return state.smoothingA * (2.0 * v - 1.0) * d + state.smoothingB * state.lowPassModulation;
}

double nextHighPassModulation(const EngineState& state, const ModulationSettings& settings) {
  const int s = settings.highPassSource;
  const double v = source(state, s);
  if (s < kSourceFirstController) return v * settings.highPassDepth;
  return state.smoothingA * v * settings.highPassDepth + state.smoothingB * state.highPassModulation;
}

double joystickTerm(const EngineState& state, const ModulationSettings& settings) {
  return source(state, settings.noiseSource) * settings.noiseDepth * state.noiseValue +
         source(state, settings.vibratoSource) * settings.vibratoDepth * state.vibratoLfo.value + state.pitchBend;
}

double keyboardSensorTerm(const EngineState& state, const ModulationSettings& settings) {
  double s = settings.keyboardSensorIntensity * state.channelPressure * kKeyboardSensorRange;
  if (settings.keyboardSensorMode == kSensorVibrato) {
    s *= state.vibratoLfo.value;
  } else if (settings.keyboardSensorMode == kSensorPitchDown) {
    s = -s;
  }
  return s;
}

namespace {

void stepLfos(EngineState& state) {
  const double* sine = sineTable();
  stepLfo(state.vibratoLfo, sine);
  stepLfo(state.sampleHoldLfo, sine);
  stepLfo(state.pwmLfo, sine);
}

void publishSources(EngineState& state) {
  state.sources[kSourcePitchBend] = state.pitchBend;
  state.sources[kSourceVibratoLfo] = state.vibratoLfo.unipolar;
  state.sources[kSourcePwmLfo] = state.pwmLfo.unipolar;
  state.sources[kSourceSampleHold] = state.sampleHoldLfo.held;
}

}  // namespace

void stepModulationSources(EngineState& state, const ModulationSettings& settings) {
  stepLfos(state);
  state.lowPassModulation = nextLowPassModulation(state, settings);
  state.highPassModulation = nextHighPassModulation(state, settings);
  publishSources(state);
}

void updatePitchModulation(EngineState& state, const ModulationSettings& settings) {
  const double joystick = joystickTerm(state, settings);
  const double sensor = settings.keyboardSensorOn ? keyboardSensorTerm(state, settings) : 0.0;
  const double base = settings.masterTune + settings.octaveShift;

  state.synthePitchModulation = (settings.joystickSynthe ? joystick * settings.joystickSyntheRange : 0.0) + base +
                                (settings.keyboardSensorDestination != kSensorInstrument ? sensor : 0.0);
  state.instrumentPitchModulation =
      (settings.joystickInstrument ? joystick * settings.joystickInstrumentRange : 0.0) + base +
      (settings.keyboardSensorDestination != kSensorSynthe ? sensor : 0.0);
}

void stepGlobalModulation(EngineState& state, const ModulationSettings& settings) {
  stepModulationSources(state, settings);
  state.noiseValue = smoothedNoise(state, noiseRandom().next(), state.noiseValue);
  updatePitchModulation(state, settings);
}

namespace {

bool readsLfo(int source) {
  return source == kSourceVibratoLfo || source == kSourcePwmLfo || source == kSourceSampleHold;
}

}  // namespace

bool sourcesMayWait(const ModulationSettings& settings) {
  return !readsLfo(settings.highPassSource) && !readsLfo(settings.lowPassSource);
}

void stepHighPassModulation(EngineState& state, const ModulationSettings& settings) {
  state.highPassModulation = nextHighPassModulation(state, settings);
}

// Neither filter modulation reads the LFOs, and the other source values stay as the last full
// step left them until a voice sounds or an event arrives: only the last step needs the LFOs'
// outputs. The noise, the low-pass modulation and the LFOs are stepped in one loop, so that their
// chains of steps overlap.
void catchUpModulation(EngineState& state, const ModulationSettings& settings, int sourceTicks, int noiseTicks) {
  if (sourceTicks <= 0 && noiseTicks <= 0) return;
  auto draw = noiseTicks > 0 ? static_cast<std::uint32_t>(noiseRandom().advance(noiseTicks)) : 0u;
  double noise = state.noiseValue;
  const int steps = std::max(sourceTicks - 1, noiseTicks);
  for (int t = 0; t < steps; ++t) {
    if (t < noiseTicks) {
      draw *= RandomGenerator::kMultiplier;
      noise = smoothedNoise(state, RandomGenerator::valueOf(draw), noise);
    }
    if (t < sourceTicks - 1) {
      state.lowPassModulation = nextLowPassModulation(state, settings);
      advanceLfo(state.vibratoLfo);
      advanceLfo(state.sampleHoldLfo);
      advanceLfo(state.pwmLfo);
    }
  }
  state.noiseValue = noise;
  if (sourceTicks > 0) {
    stepLfos(state);
    state.lowPassModulation = nextLowPassModulation(state, settings);
    publishSources(state);
  }
  if (noiseTicks > 0) updatePitchModulation(state, settings);
}

}  // namespace sorvel
