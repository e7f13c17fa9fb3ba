// The engine's copies of the parameters that drive the global modulation; changed only by the
// parameter-changed handler.
#pragma once

namespace sorvel {

constexpr double kOctaveShift = 1536.0;  // pitch units in one octave

enum KeyboardSensorMode { kSensorPitchUp = 0, kSensorVibrato = 1, kSensorPitchDown = 2 };
enum KeyboardSensorDestination { kSensorInstrument = 0, kSensorBoth = 1, kSensorSynthe = 2 };

struct ModulationSettings {
  double masterTune = 0;  // pitch units
  bool octaveDown = false;
  bool octaveUp = false;
  double octaveShift = 0;  // 0, -1536 or +1536

  bool joystickSynthe = false;
  bool joystickInstrument = false;
  double joystickSyntheRange = 896;
  double joystickInstrumentRange = 896;

  bool keyboardSensorOn = false;
  double keyboardSensorIntensity = 0.5;
  int keyboardSensorMode = kSensorVibrato;
  int keyboardSensorDestination = kSensorBoth;

  int vibratoSource = 8;
  double vibratoDepth = 0.2;
  int noiseSource = 8;
  double noiseDepth = 0;
  int lowPassSource = 8;
  double lowPassDepth = 0;
  int highPassSource = 8;
  double highPassDepth = 0;
};

}  // namespace sorvel
