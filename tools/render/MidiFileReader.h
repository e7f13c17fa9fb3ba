// Reads a Standard MIDI File strictly: every chunk inside the file, every track a well-formed
// event list that ends where its chunk ends. Nothing of a damaged file is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace render {

struct MidiFileEvent {
  std::uint32_t tick = 0;     // from the start of its track
  int track = 0;
  unsigned char bytes[3] = {0, 0, 0};
  int length = 0;             // 2 or 3 for a channel message, 0 for anything else
  std::int32_t tempo = -1;    // microseconds per quarter note of a tempo change, else -1
};

struct MidiFileContent {
  int division = 0;                   // the header's time division
  std::vector<MidiFileEvent> events;  // every event of every track, in track order
};

// Empty when the bytes are a well-formed file of format 0, 1 or 2 (and then content holds its
// events); otherwise what is wrong.
std::string readMidiFileContent(const std::uint8_t* bytes, std::size_t size, MidiFileContent& content);

}  // namespace render
