// A Standard MIDI File as a list of channel messages, each at the frame it falls on.
#pragma once

#include <cstddef>
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

constexpr std::size_t kMaxMidiFileBytes = 64u << 20;
constexpr double kDefaultMaxSongSeconds = 60.0 * 60.0;

// Reads format 0, 1 and 2 files with their tempo changes, keeping the channels in the mask; throws RenderError (bad input) for a file
// that cannot be read, is not a well-formed Standard MIDI File or lasts longer than maxSeconds.
MidiSong readMidiFile(const std::string& path, double sampleRate, unsigned channelMask = 0xFFFF,
                      double maxSeconds = kDefaultMaxSongSeconds);
// The same for a file's bytes; name is what the messages call it.
MidiSong readMidiBytes(const std::vector<std::uint8_t>& bytes, const std::string& name, double sampleRate,
                       unsigned channelMask = 0xFFFF, double maxSeconds = kDefaultMaxSongSeconds);

}  // namespace render
