#include "tools/render/Renderer.h"

#include <chrono>
#include <cmath>
#include <cstddef>
#include <new>
#include <vector>

#include "tools/render/Progress.h"
#include "tools/render/RenderError.h"

namespace render {

std::atomic<bool> renderInterrupted{false};

namespace {

using namespace vst2;

constexpr double kSilenceThreshold = 1.0e-5;  // -100 dBFS
constexpr double kSilenceSeconds = 0.5;

// The event list of one process call. The published layout declares two pointers and lets hosts
// pass as many as they have, so the list lives in storage sized for the largest block.
class EventList {
 public:
  explicit EventList(std::size_t capacity)
      : events_(capacity), storage_(offsetof(VstEvents, events) + sizeof(VstEvent*) * std::max<std::size_t>(capacity, 2)) {
    list_ = new (storage_.data()) VstEvents{};
    slots_ = reinterpret_cast<VstEvent**>(storage_.data() + offsetof(VstEvents, events));
  }

  void clear() { list_->numEvents = 0; }

  void add(const TimedMessage& message, VstInt32 deltaFrames) {
    VstMidiEvent& event = events_[static_cast<std::size_t>(list_->numEvents)];
    event = VstMidiEvent{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    for (int i = 0; i < 3; ++i) event.midiData[i] = static_cast<char>(message.bytes[i]);
    slots_[list_->numEvents] = reinterpret_cast<VstEvent*>(&event);
    ++list_->numEvents;
  }

  bool empty() const { return list_->numEvents == 0; }
  VstEvents* list() { return list_; }

 private:
  std::vector<VstMidiEvent> events_;
  std::vector<unsigned char> storage_;
  VstEvents* list_ = nullptr;
  VstEvent** slots_ = nullptr;
};

std::size_t largestBlockEventCount(const MidiSong& song, int blockSize) {
  std::size_t largest = 0;
  std::size_t count = 0;
  std::int64_t block = -1;
  for (const TimedMessage& message : song.messages) {
    const std::int64_t thisBlock = message.frame / blockSize;
    count = thisBlock == block ? count + 1 : 1;
    block = thisBlock;
    largest = std::max(largest, count);
  }
  return largest;
}

// Per-channel buffers for the plug-in's process call, in either precision.
template <typename Sample>
struct ProcessBuffers {
  ProcessBuffers(int inputCount, int outputCount, int frames)
      : inputData(static_cast<std::size_t>(std::max(inputCount, 1)), std::vector<Sample>(static_cast<std::size_t>(frames))),
        outputData(static_cast<std::size_t>(outputCount), std::vector<Sample>(static_cast<std::size_t>(frames))) {
    for (auto& channel : inputData) inputs.push_back(channel.data());
    for (auto& channel : outputData) outputs.push_back(channel.data());
  }

  void clearOutputs() {
    for (auto& channel : outputData) std::fill(channel.begin(), channel.end(), Sample{});
  }

  std::vector<std::vector<Sample>> inputData;
  std::vector<std::vector<Sample>> outputData;
  std::vector<Sample*> inputs;  // what the process call receives
  std::vector<Sample*> outputs;
};

void process(AEffect& effect, ProcessBuffers<float>& buffers, int frames) {
  effect.processReplacing(&effect, buffers.inputs.data(), buffers.outputs.data(), frames);
}

void process(AEffect& effect, ProcessBuffers<double>& buffers, int frames) {
  effect.processDoubleReplacing(&effect, buffers.inputs.data(), buffers.outputs.data(), frames);
}

template <typename Sample>
RenderStats renderWith(PluginInstance& plugin, const MidiSong& song, const RenderOptions& options, WavWriter& out) {
  const int channels = plugin.outputCount();
  const int blockSize = options.blockSize;
  const auto tailFrames = static_cast<std::int64_t>(std::llround(options.tailSeconds * options.sampleRate));
  const auto silenceFrames = static_cast<std::int64_t>(std::llround(kSilenceSeconds * options.sampleRate));
  const std::int64_t plannedEnd = song.endFrame + tailFrames;

  ProcessBuffers<Sample> buffers(plugin.effect().numInputs, channels, blockSize);
  EventList events(largestBlockEventCount(song, blockSize));
  std::vector<double> interleaved(static_cast<std::size_t>(blockSize) * static_cast<std::size_t>(channels));
  Progress progress(!options.quiet, plannedEnd);

  RenderStats stats;
  stats.channels = channels;
  std::size_t next = 0;
  std::int64_t silentRun = 0;
  bool silentEnough = false;
  const auto startTime = std::chrono::steady_clock::now();

  plugin.start();
  for (std::int64_t position = 0; position < plannedEnd && !silentEnough;) {
    if (renderInterrupted.load()) {
      progress.finish();
      throw RenderError(kExitInterrupted, "interrupted; no output written");
    }
    const int frames = static_cast<int>(std::min<std::int64_t>(blockSize, plannedEnd - position));

    events.clear();
    while (next < song.messages.size() && song.messages[next].frame < position + frames) {
      events.add(song.messages[next], static_cast<VstInt32>(song.messages[next].frame - position));
      ++next;
    }
    if (!events.empty()) plugin.sendEvents(events.list());

    plugin.setSamplePosition(static_cast<double>(position));
    buffers.clearOutputs();
    process(plugin.effect(), buffers, frames);

    int kept = frames;
    for (int i = 0; i < frames; ++i) {
      double loudest = 0.0;
      for (int c = 0; c < channels; ++c) {
        double sample = static_cast<double>(buffers.outputData[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)]);
        if (!std::isfinite(sample)) {
          ++stats.nonFiniteSamples;
          sample = 0.0;
        }
        const double magnitude = std::fabs(sample);
        if (magnitude > 1.0) ++stats.clippedSamples;
        loudest = std::max(loudest, magnitude);
        stats.sumOfSquares += sample * sample;
        interleaved[static_cast<std::size_t>(i) * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = sample;
      }
      stats.peak = std::max(stats.peak, loudest);
      if (position + i >= song.endFrame) {
        silentRun = loudest < kSilenceThreshold ? silentRun + 1 : 0;
        if (silentRun >= silenceFrames) {
          kept = i + 1;
          silentEnough = true;
          break;
        }
      }
    }
    out.write(interleaved.data(), kept);
    position += kept;
    stats.frames = position;
    progress.update(position);
  }
  plugin.stop();
  progress.finish();
  stats.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
  return stats;
}

}  // namespace

RenderStats renderSong(PluginInstance& plugin, const MidiSong& song, const RenderOptions& options, WavWriter& out) {
  if (!options.singlePrecision && plugin.canProcessDouble()) return renderWith<double>(plugin, song, options, out);
  return renderWith<float>(plugin, song, options, out);
}

}  // namespace render
