#include "tools/render/MidiInput.h"

#include <glib.h>
#include <smf.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

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

MidiSong readMidiFile(const std::string& path, double sampleRate, unsigned channelMask) {
  // Checked first so that a missing file is not reported as a file that is not MIDI, and so that
  // files of another kind never reach the library, whose failure path leaks.
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (probe == nullptr) throw RenderError(kExitBadInput, "cannot read '" + path + "': " + std::strerror(errno));
  char magic[4] = {};
  const bool midiHeader = std::fread(magic, 1, sizeof magic, probe) == sizeof magic && std::memcmp(magic, "MThd", 4) == 0;
  std::fclose(probe);
  if (!midiHeader) throw RenderError(kExitBadInput, "'" + path + "' is not a Standard MIDI File");

  g_log_set_default_handler(dropLibraryMessages, nullptr);
  std::unique_ptr<smf_t, SmfDeleter> smf(smf_load(path.c_str()));
  if (!smf) throw RenderError(kExitBadInput, "'" + path + "' is not a Standard MIDI File");

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
  song.endFrame = frameAt(smf_get_length_seconds(smf.get()), sampleRate);
  if (!song.messages.empty()) song.endFrame = std::max(song.endFrame, song.messages.back().frame);
  return song;
}

}  // namespace render
