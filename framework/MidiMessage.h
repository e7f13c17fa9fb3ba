// One short MIDI message with the sample offset in the current block at which it takes effect,
// and one SysEx message as the host delivered it.
#pragma once

#include <cstdint>

namespace sorvel {

// Kinds of short message: the high four bits of the status byte.
enum MidiKind : int {
  kMidiNoteOff = 0x8,
  kMidiNoteOn = 0x9,
  kMidiPolyPressure = 0xA,
  kMidiControlChange = 0xB,
  kMidiProgramChange = 0xC,
  kMidiChannelPressure = 0xD,
  kMidiPitchBend = 0xE,
};

// The status byte of a message of that kind on a channel (0 to 15).
constexpr int statusByte(int kind, int channel) { return kind << 4 | channel; }

// Status bytes run from the first note-off to the last pitch bend; data bytes carry seven bits.
constexpr int kMidiDataMask = 0x7F;
constexpr int kMidiDataMaximum = 127;
constexpr int kMidiNoteCount = 128;
// A pitch bend's two data bytes: the high seven bits, then the low; the centre means no bend.
constexpr int kPitchBendCentre = 8192;

// Controller numbers 120 to 127 carry channel mode messages instead of controller values.
constexpr int kFirstChannelModeController = 120;
constexpr int kAllSoundOffController = 120;
constexpr int kAllNotesOffController = 123;

struct MidiMessage {
  std::int32_t offset = 0;
  std::uint8_t status = 0;  // high four bits: kind; low four: channel
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;

  int kind() const { return status >> 4; }
};

struct SysExMessage {
  std::int32_t offset = 0;
  std::int32_t size = 0;
  const std::uint8_t* data = nullptr;  // owned by the host for the duration of the call
};

// Transport and position as the host reports them.
struct TimeInformation {
  double tempo = 120.0;
  double samplePosition = 0.0;
  double musicalPosition = 0.0;  // quarter notes
  double lastBarStart = 0.0;
  double cycleStart = 0.0;
  double cycleEnd = 0.0;
  int numerator = 4;
  int denominator = 4;
  bool transportPlaying = false;
  bool cycleActive = false;
};

}  // namespace sorvel
