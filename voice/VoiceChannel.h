// One of a voice's 19 sound channels (the eight synthe footages, then the eleven instrument
// tones) and the fixed table that says how each one sounds.
#pragma once

#include <array>

#include "voice/ChannelFilter.h"
#include "voice/DualFilter.h"
#include "voice/Envelope.h"

namespace sorvel {

constexpr int kChannelCount = 19;
constexpr int kSyntheChannelCount = 8;  // channels 0..7 are the synthe footages

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

enum class Waveform { kNoise, kSawtooth, kPulse };

// Where a pulse channel takes its width from.
enum class PulseWidth { kFixed, kPwm, kClavi, kFuzz };

struct ChannelKind {
  const char* name;
  bool synthe;        // synthe oscillator and bus, else instrument
  int shift;          // footage octave shift: 0 = 32', 1 = 16', 2 = 8', 3 = 4'
  Waveform waveform;
  PulseWidth widthSource;
  double fixedWidth;  // for PulseWidth::kFixed
  bool dualFilter;    // DualFilter, else ChannelFilter
  bool filterFollowsEnvelope;
};

inline constexpr std::array<ChannelKind, kChannelCount> kChannelTable = {{
    {"NOISE", true, 0, Waveform::kNoise, PulseWidth::kFixed, 0, false, true},
    {"32' SAW", true, 0, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {"16' S/H", true, 1, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, false},
    {"16' PWM", true, 1, Waveform::kPulse, PulseWidth::kPwm, 0, false, true},
    {"8' SAW", true, 2, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {"8' PULSE", true, 2, Waveform::kPulse, PulseWidth::kFixed, 0.5, false, true},
    {"8' RECTANGLE", true, 2, Waveform::kPulse, PulseWidth::kFixed, 1.0, false, true},
    {"4' SAW", true, 3, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {"32' ELECTRIC BASS", false, 0, Waveform::kPulse, PulseWidth::kFixed, 0.4, false, true},
    {"32' TUBA", false, 0, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, false},
    {"16' CLAVI", false, 1, Waveform::kPulse, PulseWidth::kClavi, 0, true, false},
    {"16' FUZZ GUITAR", false, 1, Waveform::kPulse, PulseWidth::kFuzz, 0, true, false},
    {"16' HORN", false, 1, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {"8' TRUMPET", false, 2, Waveform::kSawtooth, PulseWidth::kFixed, 0, false, true},
    {"8' CLARINET", false, 2, Waveform::kPulse, PulseWidth::kFixed, 1.0, true, false},
    {"8' DOUBLE REED", false, 2, Waveform::kPulse, PulseWidth::kFixed, 0.1, true, false},
    {"8' STRING", false, 2, Waveform::kSawtooth, PulseWidth::kFixed, 0, true, false},
    {"4' FLUTE", false, 3, Waveform::kSawtooth, PulseWidth::kFixed, 0, true, false},
    {"4' HAMMERED PERC", false, 3, Waveform::kSawtooth, PulseWidth::kFixed, 0, true, false},
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
