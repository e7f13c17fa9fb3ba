// A Standard MIDI File as a list of channel messages, each at the frame it falls on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace render {

struct TimedMessage {
  std::int64_t frame = 0;
  unsigned char bytes[3] = {0, 0, 0};
};

struct MidiSong {
  std::vector<TimedMessage> messages;  // in time order
  std::int64_t endFrame = 0;           // the last event of any kind, the end of track included
};

// Reads format 0 and 1 files with their tempo changes, keeping the channels in the mask; throws RenderError (bad input) for a file
// that cannot be read or is not a Standard MIDI File.
MidiSong readMidiFile(const std::string& path, double sampleRate, unsigned channelMask = 0xFFFF);

}  // namespace render
