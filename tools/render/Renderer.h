// The render loop: the song's events handed to the plug-in at their frames, block by block, and
// the output written until the tail has passed or gone silent.
#pragma once

#include <atomic>
#include <cstdint>

#include "tools/render/MidiInput.h"
#include "tools/render/PluginInstance.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/WavWriter.h"

namespace render {

struct RenderStats {
  std::int64_t frames = 0;
  int channels = 0;
  double peak = 0.0;
  double sumOfSquares = 0.0;
  std::int64_t clippedSamples = 0;    // beyond full scale
  std::int64_t nonFiniteSamples = 0;  // written as silence
  double wallSeconds = 0.0;
};

// Set from a signal handler; the loop stops at the next block.
extern std::atomic<bool> renderInterrupted;

RenderStats renderSong(PluginInstance& plugin, const MidiSong& song, const RenderOptions& options, WavWriter& out);

}  // namespace render
