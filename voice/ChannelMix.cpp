#include "voice/ChannelMix.h"

namespace sorvel {

namespace {

// One channel into its bus. Once a step leaves the envelope unchanged, every further step would
// repeat it exactly, so the rest of the block takes that value.
void mixChannel(Envelope& envelope, const double* samples, double* bus, double level, int count) {
  bus[0] += samples[0] * level * envelope.value;
  int j = 1;
  while (j < count) {
    const double before = envelope.value;
    const int stateBefore = envelope.state;
    envelope.step();
    bus[j] += samples[j] * level * envelope.value;
    ++j;
    if (envelope.value == before && envelope.state == stateBefore) break;
  }
  const double steady = envelope.value;
  for (; j < count; ++j) bus[j] += samples[j] * level * steady;
}

void mixScalar(const ChannelMix& mix, int count) {
  if (count <= 0) return;
  for (int i = 0; i < kPresetCount; ++i) {
    if (mix.samples[i] == nullptr) {
      // A silent channel's envelope keeps time, so enabling it mid-note plays it at its present level.
      mix.envelopes[i]->stepTimes(count - 1);
    } else {
      mixChannel(*mix.envelopes[i], mix.samples[i], mix.buses[i], mix.levels[i], count);
    }
  }
}

void sectionsScalar(const double* synthe, const double* instrument, double gain, bool ringModulation,
                    double* syntheOut, double* instrumentOut, int count) {
  if (ringModulation) {
    for (int i = 0; i < count; ++i) {
      syntheOut[i] += synthe[i] * gain * instrument[i];
      instrumentOut[i] += instrument[i] * gain;
    }
  } else {
    for (int i = 0; i < count; ++i) {
      syntheOut[i] += synthe[i] * gain;
      instrumentOut[i] += instrument[i] * gain;
    }
  }
}

// A section's bus at sample j: 0.0 plus its playing channels [from, to) in index order.
double steadySum(const ChannelMix& mix, int from, int to, int j) {
  double sum = 0.0;
  for (int k = from; k < to; ++k) {
    const int i = mix.playing[k];
    sum += mix.samples[i][j] * mix.levels[i] * mix.steadyValues[i];
  }
  return sum;
}

void mixSteadyScalar(const ChannelMix& mix, double gain, bool ringModulation, double* syntheOut,
                     double* instrumentOut, int count) {
  for (int j = 0; j < count; ++j) {
    const double synthe = steadySum(mix, 0, mix.synthePlaying, j);
    const double instrument = steadySum(mix, mix.synthePlaying, mix.playingCount, j);
    syntheOut[j] += ringModulation ? synthe * gain * instrument : synthe * gain;
    instrumentOut[j] += instrument * gain;
  }
}

void mixSteadyVoicesScalar(const SteadyVoice* voices, int voiceCount, double* syntheOut, double* instrumentOut,
                           int count) {
  for (int v = 0; v < voiceCount; ++v) {
    mixSteadyScalar(*voices[v].mix, voices[v].gain, voices[v].ringModulation, syntheOut, instrumentOut, count);
  }
}

const ChannelMixKernels kScalar{mixScalar, sectionsScalar, mixSteadyScalar, mixSteadyVoicesScalar};

}  // namespace

bool stepEnvelopeFrom(Envelope& envelope, double value) {
  envelope.value = value;
  const int stateBefore = envelope.state;
  envelope.step();
  return envelope.value == value && envelope.state == stateBefore;
}

const ChannelMixKernels& channelMixKernels(VectorLevel level) {
  if (level > vectorLevel()) level = vectorLevel();
  if (level >= VectorLevel::kAvx512) return kChannelMixKernelsAvx512;
  if (level >= VectorLevel::kAvx2) return kChannelMixKernelsAvx2;
  return kScalar;
}

}  // namespace sorvel
