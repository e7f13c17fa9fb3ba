// The parameter-changed handler: each parameter's global effect and the value the voices get.
#include <cmath>

#include "dsp/Conversions.h"
#include "dsp/ParameterTable.h"
#include "engine/Engine.h"
#include "engine/Lfo.h"

namespace sorvel {

namespace {

constexpr double kMaximumVoicesExponent = 6.0;

double lfoRateLaw(double x) { return 0.9983333333333333 * (x * x) + 0.0016666666666666668; }
double sampleHoldRateLaw(double x) { return 0.49833333333333335 * (x * x) + 0.0016666666666666668; }

// -896 .. +896 pitch units, flat around the middle of the knob.
double tuneLaw(double x) { return std::floor(std::abs(x - 0.5) * (x - 0.5) * 3584.0 + 0.5); }

// Parameter values reach the engine held to their ranges; not-a-number becomes the minimum.
double withinRange(int index, double value) {
  const ParameterRow& row = parameterTable()[static_cast<std::size_t>(index)];
  if (!(value >= row.minimum)) return row.minimum;
  return value > row.maximum ? row.maximum : value;
}


// Parameters whose global effect is to be copied into a modulation setting or handed to the output
// stage as they are.
template <typename Target>
struct ParameterTarget {
  int id;
  Target target;
};

constexpr ParameterTarget<double ModulationSettings::*> kSettingValues[] = {
    {kMasterTune, &ModulationSettings::masterTune},
    {kVibratoDepth, &ModulationSettings::vibratoDepth},
    {kNoiseDepth, &ModulationSettings::noiseDepth},
    {kLowPassDepth, &ModulationSettings::lowPassDepth},
    {kHighPassDepth, &ModulationSettings::highPassDepth},
    {kSensorIntensity, &ModulationSettings::keyboardSensorIntensity},
    {kJoystickSyntheRange, &ModulationSettings::joystickSyntheRange},
    {kJoystickInstrumentRange, &ModulationSettings::joystickInstrumentRange},
};

constexpr ParameterTarget<int ModulationSettings::*> kSettingChoices[] = {
    {kSensorMode, &ModulationSettings::keyboardSensorMode},
    {kSensorDestination, &ModulationSettings::keyboardSensorDestination},
    {kVibratoSource, &ModulationSettings::vibratoSource},
    {kNoiseSource, &ModulationSettings::noiseSource},
    {kLowPassSource, &ModulationSettings::lowPassSource},
    {kHighPassSource, &ModulationSettings::highPassSource},
};

constexpr ParameterTarget<bool ModulationSettings::*> kSettingSwitches[] = {
    {kKeyboardSensor, &ModulationSettings::keyboardSensorOn},
    {kJoystickSynthe, &ModulationSettings::joystickSynthe},
    {kJoystickInstrument, &ModulationSettings::joystickInstrument},
};

constexpr ParameterTarget<void (OutputStage::*)(double)> kOutputValues[] = {
    {kVolume, &OutputStage::setVolume},
    {kBalance, &OutputStage::setBalance},
    {kPanSynthe, &OutputStage::setSynthePan},
    {kPanInstrument, &OutputStage::setInstrumentPan},
    {kChorusSyntheMix, &OutputStage::setSyntheMix},
    {kChorusInstrumentMix, &OutputStage::setInstrumentMix},
    {kChorusDepth, &OutputStage::setChorusDepth},
};

}  // namespace

double Engine::voiceValue(int index, double x) {
  switch (index) {
    case kSynthTune:
    case kSynthePitch:
      return tuneLaw(x);
    case kPortamentoTime:
      return 5.0 * (x * x);
    case kLfoSpeed:
    case kPwmSpeed:
      return lfoRateLaw(x);
    case kLfoDelay:
      return x * 5.0 * 1000.0;
    case kSampleHoldClock:
      return sampleHoldRateLaw(x);
    case kClaviWidth:
      return 1.0 - 0.9 * x;
    default:
      return x;
  }
}

void Engine::parameterChanged(int index, double value) {
  if (index < 0 || index >= kParameterCount) return;
  catchUpVoices();
  catchUpModulation();
  const double x = withinRange(index, value);
  values_[static_cast<std::size_t>(index)] = x;
  applyGlobalEffect(index, x);
  const double y = voiceValue(index, x);
  for (auto& voice : voices_) voice->setParameter(index, y);
}

void Engine::applyGlobalEffect(int index, double x) {
  const bool on = x >= 0.5;
  for (const auto& [id, field] : kSettingValues) {
    if (id == index) {
      settings_.*field = x;
      return;
    }
  }
  for (const auto& [id, field] : kSettingChoices) {
    if (id == index) {
      settings_.*field = truncateToInt(x);
      return;
    }
  }
  for (const auto& [id, field] : kSettingSwitches) {
    if (id == index) {
      settings_.*field = on;
      return;
    }
  }
  for (const auto& [id, setter] : kOutputValues) {
    if (id == index) {
      (output_.*setter)(x);
      return;
    }
  }
  switch (index) {
    case kVoices:
      setVoicesInUse(x);
      break;
    case kOctaveDown:
    case kOctaveUp:
      setOctave(index, on);
      break;
    case kLfoSpeed:
      setLfoRate(state_.vibratoLfo, lfoRateLaw(x));
      break;
    case kSampleHoldClock:
      setLfoRate(state_.sampleHoldLfo, sampleHoldRateLaw(x));
      break;
    case kPwmSpeed:
      setLfoRate(state_.pwmLfo, lfoRateLaw(x));
      break;
    case kChorus:
      output_.setChorusOn(on);
      break;
    case kChorusLfo1:
      output_.setChorusRate(0, x);
      break;
    case kChorusLfo2:
      output_.setChorusRate(1, x);
      break;
    default:
      break;
  }
}

void Engine::setVoicesInUse(double x) {
  const double exponent = std::fmin(std::fmax(x, 0.0), kMaximumVoicesExponent);
  const int count = truncateToInt(std::pow(2.0, exponent));
  if (count == voicesInUse_) return;
  voicesInUse_ = count;
  voicesSilent_ = false;  // voices that join may still sound
  allNotesOff();
}

void Engine::setOctave(int index, bool on) {
  ModulationSettings& s = settings_;
  if (index == kOctaveDown) {
    s.octaveDown = on;
    if (!s.octaveUp) s.octaveShift = on ? -kOctaveShift : 0.0;
  } else {
    s.octaveUp = on;
    s.octaveShift = on ? kOctaveShift : (s.octaveDown ? -kOctaveShift : 0.0);
  }
}

}  // namespace sorvel
