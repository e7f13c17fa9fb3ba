#include "tools/render/MidiInput.h"

#include <glib.h>
#include <smf.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "tools/render/MidiFileCheck.h"
#include "tools/render/RenderError.h"

namespace render {
namespace {

// The MIDI library reports through the general-purpose logger; our own one-line errors say it
// better, so its messages are dropped.
void dropLibraryMessages(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

struct SmfDeleter {
  void operator()(smf_t* smf) const { smf_delete(smf); }
};

std::int64_t frameAt(double seconds, double sampleRate) {
  return static_cast<std::int64_t>(std::llround(std::max(0.0, seconds) * sampleRate));
}

bool isChannelMessage(const smf_event_t& event) {
  if (event.midi_buffer_length < 1 || event.midi_buffer_length > 3) return false;
  const unsigned char status = event.midi_buffer[0];
  return status >= 0x80 && status < 0xF0;
}

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
  // The library trusts what a file says about itself: nothing it has not passed reaches it.
  const std::string problem = midiFileProblem(bytes.data(), bytes.size());
  if (!problem.empty()) throw RenderError(kExitBadInput, "'" + name + "' is not a Standard MIDI File (" + problem + ")");

  g_log_set_default_handler(dropLibraryMessages, nullptr);
  std::unique_ptr<smf_t, SmfDeleter> smf(smf_load_from_memory(bytes.data(), static_cast<int>(bytes.size())));
  if (!smf) throw RenderError(kExitBadInput, "'" + name + "' is not a Standard MIDI File");
  const double seconds = smf_get_length_seconds(smf.get());
  if (!(seconds <= maxSeconds)) {
    char text[160];
    std::snprintf(text, sizeof text, "' lasts %.0f minutes, more than %g (--max-minutes raises the bound)",
                  seconds / 60.0, maxSeconds / 60.0);
    throw RenderError(kExitBadInput, "'" + name + text);
  }

  MidiSong song;
  smf_rewind(smf.get());
  while (smf_event_t* event = smf_get_next_event(smf.get())) {
    if (smf_event_is_metadata(event) || !isChannelMessage(*event)) continue;
    if ((channelMask & (1u << (event->midi_buffer[0] & 0x0F))) == 0) continue;
    TimedMessage message;
    message.frame = frameAt(event->time_seconds, sampleRate);
    std::memcpy(message.bytes, event->midi_buffer, static_cast<std::size_t>(event->midi_buffer_length));
    song.messages.push_back(message);
  }
  song.endFrame = frameAt(seconds, sampleRate);
  if (!song.messages.empty()) song.endFrame = std::max(song.endFrame, song.messages.back().frame);
  return song;
}

}  // namespace render
