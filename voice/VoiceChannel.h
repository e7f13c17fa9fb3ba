// One of a voice's 19 sound channels (the eight synthe footages, then the eleven instrument
// tones) and the fixed table that says how each one sounds.
#pragma once

#include <array>

#include "dsp/ParameterIds.h"
#include "voice/ChannelFilter.h"
#include "voice/DualFilter.h"
#include "voice/Envelope.h"

namespace sorvel {

constexpr int kChannelCount = kPresetCount;
constexpr int kSyntheChannelCount = 8;  // channels 0..7 are the synthe footages

enum class Waveform { kNoise, kSawtooth, kPulse };

// Where a pulse channel takes its width from.
enum class PulseWidth { kFixed, kPwm, kClavi, kFuzz };

struct ChannelKind {
  bool synthe;        // synthe oscillator and bus, else instrument
  int shift;          // footage octave shift: 0 = 32', 1 = 16', 2 = 8', 3 = 4'
  Waveform waveform;
  PulseWidth widthSource;
  double fixedWidth;  // for PulseWidth::kFixed
  bool dualFilter;    // DualFilter, else ChannelFilter
  bool filterFollowsEnvelope;
};

inline constexpr std::array<ChannelKind, kChannelCount> kChannelTable = {{
    {true, 0, Waveform::kNoise, PulseWidth::kFixed, 0, false, true},
    {true, 0, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {true, 1, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, false},
    {true, 1, Waveform::kPulse, PulseWidth::kPwm, 0, false, true},
    {true, 2, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {true, 2, Waveform::kPulse, PulseWidth::kFixed, 0.5, false, true},
    {true, 2, Waveform::kPulse, PulseWidth::kFixed, 1.0, false, true},
    {true, 3, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {false, 0, Waveform::kPulse, PulseWidth::kFixed, 0.4, false, true},
    {false, 0, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, false},
    {false, 1, Waveform::kPulse, PulseWidth::kClavi, 0, true, false},
    {false, 1, Waveform::kPulse, PulseWidth::kFuzz, 0, true, false},
    {false, 1, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {false, 2, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {false, 2, Waveform::kPulse, PulseWidth::kFixed, 1.0, true, false},
    {false, 2, Waveform::kPulse, PulseWidth::kFixed, 0.1, true, false},
    {false, 2, Waveform::kSawtooth, PulseWidth::kFixed, 0, true, false},
    {false, 3, Waveform::kSawtooth, PulseWidth::kFixed, 0, true, false},
    {false, 3, Waveform::kSawtooth, PulseWidth::kFixed, 0, true, false},
}};

struct VoiceChannel {
  double level = 0.5;             // "Gain"
  double cutoff = 0;              // "Flt1"
  double cutoffOffset = 0;        // the tone's cutoff offset
  double envAmount = 0;           // "E>F"
  double envAmountOffset = 0;     // the tone's tone/mix offset
  double attack = 0, attackOffset = 0;
  double decay = 0, decayOffset = 0;
  double release = 0, releaseOffset = 0;
  double filter2 = 0;             // "Flt2": resonance or band-pass cutoff, kept to re-apply after a rate change
  Envelope envelope;
  // Which of the two filters sounds is fixed by the channel table.
  ChannelFilter channelFilter;
  DualFilter dualFilter;
};

}  // namespace sorvel
