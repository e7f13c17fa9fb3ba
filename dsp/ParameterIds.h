// The index of each of the instrument's 235 parameters, in the order of the parameter table, and the
// layout of the 19 presets' switches and eight-value blocks.
#pragma once

#include <array>

namespace sorvel {

constexpr int kParameterCount = 235;
constexpr int kPresetCount = 19;      // one per sound channel: the eight synthe footages, then eleven tones
constexpr int kPresetSlotCount = 8;   // values in each preset's block

// The sound channels, each with its preset, in order.
enum ChannelIndex {
  kNoise = 0,
  kSaw32 = 1,
  kSampleHold16 = 2,
  kPwm16 = 3,
  kSaw8 = 4,
  kPulse8 = 5,
  kRectangle8 = 6,
  kSaw4 = 7,
  kElectricBass32 = 8,
  kTuba32 = 9,
  kClavi16 = 10,
  kFuzzGuitar16 = 11,
  kHorn16 = 12,
  kTrumpet8 = 13,
  kClarinet8 = 14,
  kDoubleReed8 = 15,
  kString8 = 16,
  kFlute4 = 17,
  kHammeredPerc4 = 18,
};

enum ParameterId : int {
  kVersion = 0,
  kVoices,
  kVolume,
  kVelocity,
  kBalance,
  kSensorMode,
  kSensorDestination,
  kMasterTune,
  kSynthTune,
  kPanSynthe,
  kPanInstrument,
  kVibratoSource,
  kVibratoDepth,
  kNoiseSource,
  kNoiseDepth,
  kLowPassSource,
  kLowPassDepth,
  kHighPassSource,
  kHighPassDepth,
  kOctaveDown,
  kOctaveUp,
  kPortamento,
  kKeyboardSensor,
  kJoystickSynthe,
  kJoystickInstrument,
  kDelayedVibrato,
  kQuarterTone,
  kMultipleTrigger,
  kKeyHold,
  kPortamentoTime,
  kSensorIntensity,
  kJoystickSyntheRange,
  kJoystickInstrumentRange,
  kLfoDepth,
  kLfoSpeed,
  kLfoDelay,
  kRingMod,
  kFirstPresetSwitch,  // "Noise": preset n's on/off switch is kFirstPresetSwitch + n
  kSynthePitch = kFirstPresetSwitch + kPresetCount,
  // One tone setting per channel, in channel order; the sample-and-hold clock is the engine's.
  kFirstToneParameter,
  kNoiseAR = kFirstToneParameter,
  kSaw32AR,
  kSampleHoldClock,
  kPwm16AR,
  kSaw8AR,
  kPulse8Decay,
  kRect8AR,
  kSaw4Decay,
  kElectricBassCutoff,
  kTubaCutoff,
  kClaviWidth,
  kFuzzTone,
  kHornCutoff,
  kTrumpetCutoff,
  kClarinetTone,
  kDoubleReedTone,
  kStringAttack,
  kFluteTone,
  kHammeredPercDecay,
  kChorus,
  kChorusSyntheMix,
  kChorusInstrumentMix,
  kChorusLfo1,
  kChorusLfo2,
  kChorusDepth,
  kPwmSpeed,
  kFirstPresetParameter,  // "P1 Gain": preset n's block starts at kFirstPresetParameter + 8 n
};

static_assert(kFirstPresetParameter + kPresetCount * kPresetSlotCount == kParameterCount);

// The eight values of a preset's block, in order.
enum PresetSlot : int {
  kPresetGain,
  kPresetCutoff,        // "Flt1"
  kPresetFilter2,       // "Flt2": resonance, or the band-pass cutoff of a dual filter
  kPresetEnvToFilter,   // "E>F"
  kPresetAttack,
  kPresetDecay,
  kPresetSustain,
  kPresetRelease,
};

// The words that name a block's values, in slot order.
inline constexpr std::array<const char*, kPresetSlotCount> kPresetSlotNames = {"Gain", "Flt1", "Flt2", "E>F",
                                                                               "EnvA", "EnvD", "EnvS", "EnvR"};

// preset: 0 to 18, the sound channel it sets up.
constexpr int presetSwitch(int preset) { return kFirstPresetSwitch + preset; }
constexpr int presetParameter(int preset, PresetSlot slot) {
  return kFirstPresetParameter + preset * kPresetSlotCount + slot;
}
constexpr bool isPresetSwitch(int index) {
  return index >= kFirstPresetSwitch && index < kFirstPresetSwitch + kPresetCount;
}
constexpr bool isPresetParameter(int index) { return index >= kFirstPresetParameter && index < kParameterCount; }

// The sound channels' names, as the preset defaults' keys spell them.
inline constexpr std::array<const char*, kPresetCount> kChannelNames = {
    "NOISE",    "32' SAW",    "16' S/H",     "16' PWM",        "8' SAW",    "8' PULSE",       "8' RECTANGLE",
    "4' SAW",   "32' ELECTRIC BASS", "32' TUBA", "16' CLAVI",  "16' FUZZ GUITAR", "16' HORN", "8' TRUMPET",
    "8' CLARINET", "8' DOUBLE REED", "8' STRING", "4' FLUTE",  "4' HAMMERED PERC"};

}  // namespace sorvel
