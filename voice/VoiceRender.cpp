// Audio-rate rendering of a voice: each enabled channel's waveform through its filter, shaped by
// its envelope, into the section buses; then the buses into the caller's buffers.
#include <algorithm>

#include "dsp/EngineState.h"
#include "dsp/EngineTables.h"
#include "voice/Voice.h"

namespace sorvel {

void Voice::generate(int index, double* out, int count) {
  if (kChannelTable[index].waveform == Waveform::kNoise) {
    whiteNoise(out, count);
  } else {
    source(index).render(out, count);
  }
}

[[gnu::always_inline]] inline OscillatorSource Voice::source(int index) const {
  const ChannelKind& kind = kChannelTable[index];
  const EngineTables& tables = *owner_.tables;
  const VoiceOscillator& osc = kind.synthe ? syntheOsc_ : instrumentOsc_;
  switch (kind.waveform) {
    case Waveform::kNoise:
      break;
    case Waveform::kSawtooth:
      return osc.sawtoothSource(tables, kind.shift);
    case Waveform::kPulse: {
      double width = kind.fixedWidth;
      if (kind.widthSource == PulseWidth::kPwm) width = pwmWidth_;
      if (kind.widthSource == PulseWidth::kClavi) width = claviWidth_;
      if (kind.widthSource == PulseWidth::kFuzz) width = fuzzWidth_;
      return osc.pulseSource(tables, kind.shift, width);
    }
  }
  return {};
}

// Every enabled channel's waveform through its filter, in its own row. The ChannelFilters run two
// at a time: their recursions are independent, so the pairs overlap without changing a result.
void Voice::filterChannels(int count) {
  int waiting = -1;
  for (int i = 0; i < kChannelCount; ++i) {
    if (!enabled_[i]) continue;
    double* samples = row(i);
    generate(i, samples, count);
    VoiceChannel& channel = channels_[i];
    if (kChannelTable[i].dualFilter) {
      if (i == kDoubleReed8) doubleReedHighPass_.process(samples, count);
      channel.dualFilter.process(samples, count);
    } else if (waiting < 0) {
      waiting = i;
    } else {
      ChannelFilter::processPair(channels_[waiting].channelFilter, row(waiting), channel.channelFilter, samples, count);
      waiting = -1;
    }
  }
  if (waiting >= 0) channels_[waiting].channelFilter.process(row(waiting), count);
}

// Every channel into its bus, then the buses, by the velocity gain, into the caller's buffers.
// With every envelope at a fixed point, the sums go straight into the caller's buffers.
void Voice::addBuses(double* syntheOut, double* instrumentOut, int count) {
  if (stillEnvelopes_ == kAllChannels) {
    mixKernels_.mixSteady(mix_, velocityGain_, ringModulationOn_, syntheOut, instrumentOut, count);
    return;
  }
  std::fill_n(syntheBus_.begin(), count, 0.0);
  std::fill_n(instrumentBus_.begin(), count, 0.0);
  mixKernels_.mix(mix_, count);
  mixKernels_.sections(syntheBus_.data(), instrumentBus_.data(), velocityGain_, ringModulationOn_, syntheOut,
                       instrumentOut, count);
}

// The filter jobs take each oscillator channel's waveform as a source to read, or generate it into
// the row themselves; noise, and the channel whose row a high-pass filters first, go into the row
// here.
void Voice::renderFirstHalf(int count, FilterJobs& jobs) {
  if (!active || !owner_.tables) return;
  // The enabled channels in order (the synthe's come first in both).
  for (int p = 0; p < mix_.playingCount; ++p) {
    const int i = mix_.playing[p];
    double* samples = row(i);
    VoiceChannel& channel = channels_[i];
    if (i == kDoubleReed8) {
      generate(i, samples, count);
      jobs.addFirst(doubleReedHighPass_, samples);
      jobs.add(channel.dualFilter, samples, {});
      continue;
    }
    const OscillatorSource input = source(i);
    if (!input.table) generate(i, samples, count);
    if (kChannelTable[i].dualFilter) {
      jobs.add(channel.dualFilter, samples, input);
    } else {
      jobs.add(channel.channelFilter, samples, input);
    }
  }
}

void Voice::renderSecondHalf(double* syntheOut, double* instrumentOut, int count) {
  if (active && owner_.tables) addBuses(syntheOut, instrumentOut, count);
  syntheOsc_.advance(count);
  instrumentOsc_.advance(count);
}

void Voice::renderSecondHalves(const std::unique_ptr<Voice>* voices, int voiceCount, double* syntheOut,
                               double* instrumentOut, int count) {
  constexpr int kBatch = 16;
  SteadyVoice steady[kBatch];
  int waiting = 0;
  const ChannelMixKernels* kernels = nullptr;
  const auto flush = [&] {
    if (waiting > 0) kernels->mixSteadyVoices(steady, waiting, syntheOut, instrumentOut, count);
    waiting = 0;
  };
  for (int v = 0; v < voiceCount; ++v) {
    Voice& voice = *voices[v];
    if (voice.active && voice.owner_.tables && voice.stillEnvelopes_ == kAllChannels) {
      if (waiting == kBatch) flush();
      kernels = &voice.mixKernels_;
      steady[waiting++] = {&voice.mix_, voice.velocityGain_, voice.ringModulationOn_};
      voice.advanceOscillators(count);
    } else {
      flush();
      voice.renderSecondHalf(syntheOut, instrumentOut, count);
    }
  }
  flush();
}

void Voice::render(double* syntheOut, double* instrumentOut, int count) {
  if (count > allocatedLength_) {
    // Longer than a control period: not something the engine asks for; render it in pieces.
    if (allocatedLength_ <= 0) {
      syntheOsc_.advance(count);
      instrumentOsc_.advance(count);
      return;
    }
    for (int done = 0; done < count; done += allocatedLength_) {
      render(syntheOut + done, instrumentOut + done, std::min(allocatedLength_, count - done));
    }
    return;
  }
  if (count <= 0) return;

  if (active && owner_.tables) {
    filterChannels(count);
    addBuses(syntheOut, instrumentOut, count);
  }
  // The oscillators run freely, sounding or not.
  syntheOsc_.advance(count);
  instrumentOsc_.advance(count);
}

}  // namespace sorvel
