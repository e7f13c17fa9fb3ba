// The last steps of a voice's block: every channel's filtered samples, by its level and by its
// envelope stepped once per sample, into its section bus; then the two buses, by the velocity
// gain, into the section outputs. A scalar set is the reference; the vector sets step many
// envelopes side by side and give its results to the bit. When no envelope moves, the steady
// kernels skip the buses and sum each section's channels in registers.
#pragma once

#include "dsp/ParameterIds.h"
#include "dsp/VectorLevel.h"
#include "voice/Envelope.h"

namespace sorvel {

// One voice's channels (one per preset) for one block.
struct ChannelMix {
  Envelope* envelopes[kPresetCount];
  const double* samples[kPresetCount];  // nullptr: the channel is off and its envelope only keeps time
  double* buses[kPresetCount];
  double levels[kPresetCount];
  // The playing channels in index order: the synthe section's (playing[0, synthePlaying)), then
  // the instrument section's (up to playingCount).
  int playing[kPresetCount];
  int synthePlaying = 0;
  int playingCount = 0;
  // Each envelope's value, for mixSteady: kept by the owner while the envelope stands still, so
  // that the steady mix reads no envelope.
  double steadyValues[kPresetCount];
};

// A voice whose envelopes all stand still, for mixSteadyVoices.
struct SteadyVoice {
  const ChannelMix* mix;
  double gain;
  bool ringModulation;
};

struct ChannelMixKernels {
  // The first sample takes each envelope as it stands (the control tick has stepped it); each
  // further sample steps it once. bus[i] += samples[i] x level x envelope, channel by channel.
  void (*mix)(const ChannelMix& mix, int count);
  // syntheOut[i] += synthe[i] x gain (x instrument[i] with ring modulation);
  // instrumentOut[i] += instrument[i] x gain.
  void (*sections)(const double* synthe, const double* instrument, double gain, bool ringModulation,
                   double* syntheOut, double* instrumentOut, int count);
  // mix into buses cleared to 0.0, then sections, for envelopes that a step leaves as they are
  // (with their values in steadyValues): each section's sum starts from 0.0 and takes its playing
  // channels in index order, as its bus would, and the envelopes are not touched.
  void (*mixSteady)(const ChannelMix& mix, double gain, bool ringModulation, double* syntheOut,
                    double* instrumentOut, int count);
  // mixSteady for each voice in turn, as many calls would add them; the vector sets hold the outputs
  // in registers from one voice to the next.
  void (*mixSteadyVoices)(const SteadyVoice* voices, int voiceCount, double* syntheOut, double* instrumentOut,
                          int count);
};

// The set for a level the processor has (vectorLevel() or lower).
const ChannelMixKernels& channelMixKernels(VectorLevel level);

extern const ChannelMixKernels kChannelMixKernelsAvx2;
extern const ChannelMixKernels kChannelMixKernelsAvx512;

// One scalar step of an envelope that starts from value (for the vector sets, whose lanes hand
// over the steps that change state). True when the step changed neither value nor state.
bool stepEnvelopeFrom(Envelope& envelope, double value);

}  // namespace sorvel
