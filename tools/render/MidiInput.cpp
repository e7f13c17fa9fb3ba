#include "tools/render/MidiInput.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "tools/render/MidiFileReader.h"
#include "tools/render/RenderError.h"

namespace render {
namespace {

std::int64_t frameAt(double seconds, double sampleRate) {
  return static_cast<std::int64_t>(std::llround(std::max(0.0, seconds) * sampleRate));
}

// Seconds from ticks through the tempo changes of every track (120 beats a minute until the
// first); SMPTE divisions count frames of the stated rate.
class TempoMap {
 public:
  explicit TempoMap(const MidiFileContent& content) : division_(content.division) {
    for (const MidiFileEvent& e : content.events) {
      if (e.tempo >= 0) changes_.push_back({e.tick, e.tempo, 0.0});
    }
    std::stable_sort(changes_.begin(), changes_.end(), [](const Change& a, const Change& b) { return a.tick < b.tick; });
    Change previous{0, 500000, 0.0};
    for (Change& c : changes_) {
      c.seconds = at(previous, c.tick);
      previous = c;
    }
  }

  double seconds(std::uint32_t tick) const {
    if ((division_ & 0x8000) != 0) {
      const int framesPerSecond = -static_cast<signed char>(division_ >> 8);
      const double rate = framesPerSecond == 29 ? 29.97 : framesPerSecond;
      return tick / (rate * (division_ & 0xFF));
    }
    Change current{0, 500000, 0.0};
    const auto after = std::upper_bound(changes_.begin(), changes_.end(), tick,
                                        [](std::uint32_t t, const Change& c) { return t < c.tick; });
    if (after != changes_.begin()) current = *(after - 1);
    return at(current, tick);
  }

 private:
  struct Change {
    std::uint32_t tick;
    std::int32_t tempo;  // microseconds per quarter note
    double seconds;
  };

  double at(const Change& c, std::uint32_t tick) const {
    return c.seconds + (tick - c.tick) * (c.tempo / (division_ * 1000000.0));
  }

  int division_;
  std::vector<Change> changes_;
};

}  // namespace

MidiSong readMidiFile(const std::string& path, double sampleRate, unsigned channelMask, double maxSeconds) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RenderError(kExitBadInput, "cannot read '" + path + "': " + std::strerror(errno));
  std::vector<std::uint8_t> bytes;
  char piece[65536];
  while (bytes.size() <= kMaxMidiFileBytes && in.read(piece, sizeof piece).gcount() > 0) {
    bytes.insert(bytes.end(), piece, piece + in.gcount());
  }
  if (in.bad()) throw RenderError(kExitBadInput, "cannot read '" + path + "'");
  if (bytes.size() > kMaxMidiFileBytes) throw RenderError(kExitBadInput, "'" + path + "' is too large for a MIDI file");
  return readMidiBytes(bytes, path, sampleRate, channelMask, maxSeconds);
}

MidiSong readMidiBytes(const std::vector<std::uint8_t>& bytes, const std::string& name, double sampleRate,
                       unsigned channelMask, double maxSeconds) {
  if (bytes.size() < 4 || std::memcmp(bytes.data(), "MThd", 4) != 0) {
    throw RenderError(kExitBadInput, "'" + name + "' is not a Standard MIDI File");
  }
  MidiFileContent content;
  const std::string problem = readMidiFileContent(bytes.data(), bytes.size(), content);
  if (!problem.empty()) throw RenderError(kExitBadInput, "'" + name + "' is not a Standard MIDI File (" + problem + ")");

  // Tracks play together: events in time order, equal times in track order.
  std::stable_sort(content.events.begin(), content.events.end(),
                   [](const MidiFileEvent& a, const MidiFileEvent& b) { return a.tick < b.tick; });
  const TempoMap tempo(content);
  const double seconds = content.events.empty() ? 0.0 : tempo.seconds(content.events.back().tick);
  if (!(seconds <= maxSeconds)) {
    char text[160];
    std::snprintf(text, sizeof text, "' lasts %.0f minutes, more than %g (--max-minutes raises the bound)",
                  seconds / 60.0, maxSeconds / 60.0);
    throw RenderError(kExitBadInput, "'" + name + text);
  }

  MidiSong song;
  for (const MidiFileEvent& event : content.events) {
    if (event.length == 0) continue;
    if ((channelMask & (1u << (event.bytes[0] & 0x0F))) == 0) continue;
    TimedMessage message;
    message.frame = frameAt(tempo.seconds(event.tick), sampleRate);
    std::memcpy(message.bytes, event.bytes, static_cast<std::size_t>(event.length));
    song.messages.push_back(message);
  }
  song.endFrame = frameAt(seconds, sampleRate);
  if (!song.messages.empty()) song.endFrame = std::max(song.endFrame, song.messages.back().frame);
  return song;
}

}  // namespace render
