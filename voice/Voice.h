// Everything one sounding note needs: the synthe and instrument oscillators, the 19 channels with
// their envelopes and filters, pitch glide, delayed vibrato and velocity. Reads the engine state at
// each control tick; renders additively into the caller's two section buffers.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "voice/ChannelMix.h"
#include "voice/Filter.h"
#include "voice/FilterLanes.h"
#include "voice/VoiceChannel.h"
#include "voice/VoiceOscillator.h"

namespace sorvel {

struct EngineState;

class Voice {
 public:
  explicit Voice(const EngineState& owner);
  // The channel mix points into the voice itself.
  Voice(const Voice&) = delete;
  Voice& operator=(const Voice&) = delete;

  // Read and written by note handling.
  bool active = false;   // sounding
  bool keyDown = false;  // the note's key is held
  bool keyHold = false;  // set by "Key Hold" and the sustain pedal: a key release does not release
  int lastNote = 48;     // note number of the latest start
  int velocity = 0;      // velocity of the latest start
  int serial = 0;        // note counter value of the latest start

  void setSampleRate(double rate);
  // pitch: note x 128 or a microtuned pitch, without tuning and section modulation.
  void start(int note, int velocity, int serial, double pitch);
  void releaseAll();
  void controlTick();
  // Adds count samples (at most the block length) into the two section buffers.
  void render(double* syntheOut, double* instrumentOut, int count);
  // render() in two halves, so that the filters of many voices can run together between them:
  // the first generates every channel and hands its filters to jobs, the second (after the jobs
  // have run) mixes and adds. Only for a count the voice takes in one piece.
  bool rendersInOnePiece(int count) const { return count > 0 && count <= allocatedLength_; }
  void renderFirstHalf(int count, FilterJobs& jobs);
  void renderSecondHalf(double* syntheOut, double* instrumentOut, int count);
  // renderSecondHalf for each voice in order; voices whose envelopes all stand still are mixed
  // together, the outputs kept in registers from one voice to the next.
  static void renderSecondHalves(const std::unique_ptr<Voice>* voices, int voiceCount, double* syntheOut,
                                 double* instrumentOut, int count);
  // All that rendering count samples does to a voice that is not sounding.
  void advanceOscillators(int count) {
    syntheOsc_.advance(count);
    instrumentOsc_.advance(count);
  }
  void setParameter(int id, double value);
  void setChannelParameter(int channel, int kind, double value);

  // Read access for tests and diagnostics.
  const VoiceChannel& channel(int index) const { return channels_[index]; }
  const VoiceOscillator& syntheOscillator() const { return syntheOsc_; }
  const VoiceOscillator& instrumentOscillator() const { return instrumentOsc_; }
  const HighPass& doubleReedHighPass() const { return doubleReedHighPass_; }
  double currentPitch() const { return currentPitch_; }
  double targetPitch() const { return targetPitch_; }
  double vibratoFade() const { return vibratoDelayCounter_; }
  double pwmWidth() const { return pwmWidth_; }
  double fuzzWidth() const { return fuzzWidth_; }
  double claviWidth() const { return claviWidth_; }
  double velocityGain() const { return velocityGain_; }
  int blockLength() const { return blockLength_; }
  double sampleRate() const { return sampleRate_; }

 private:
  void triggerEnvelopes();
  void setupDoubleReedHighPass();
  void reapplyDualFilters();
  void updateOscillatorPitches();
  double* row(int channel) { return rowsStart_ + static_cast<std::size_t>(channel) * rowStride_; }
  void generate(int index, double* out, int count);
  // A channel's waveform for the filter kernels to read; none for noise.
  OscillatorSource source(int index) const;
  void filterChannels(int count);
  void addBuses(double* syntheOut, double* instrumentOut, int count);
  // Brings the channel mix's entry for one channel up to date with its switch, level and buffers.
  void pointMix(int channel);
  // Brings the channel mix's lists of playing channels up to date with the switches.
  void listPlaying();
  // Hand a channel's preset value plus its tone's offset to its filter or envelope.
  void applyCutoff(int channel);
  void applyEnvAmount(int channel);
  void applyAttack(int channel);
  void applyDecay(int channel);
  void applyRelease(int channel);
  // A tone parameter: an offset on its channel's attack, decay, release, cutoff or mix.
  void setToneOffset(int channel, double value);

  const EngineState& owner_;
  VoiceOscillator instrumentOsc_;
  VoiceOscillator syntheOsc_;
  std::array<VoiceChannel, kChannelCount> channels_;
  HighPass doubleReedHighPass_;
  double tubaHpA1_ = 0, tubaHpB0_ = 0, tubaHpState_ = 0;
  double pwmWidth_ = 0;
  double fuzzWidth_ = 0;
  // One block per channel: waveform, then filtered in place. Each row starts on a cache line, so
  // that no vector load or store of a row's samples spans two lines.
  std::vector<double> rows_;
  double* rowsStart_ = nullptr;
  int rowStride_ = 0;
  std::vector<double> syntheBus_, instrumentBus_;
  ChannelMix mix_{};  // each channel's envelope, samples (when on), bus and level, for the mix kernels
  // Bits per channel. still: the envelope's last step at a control tick left it as it was, a
  // fixed point that every further step repeats, until a setting or a note changes it (its value
  // is then in mix_.steadyValues). sounding:
  // the envelope was not idle after that step. staleFilters: a setting has changed the inputs
  // of the channel's filter since its last update.
  static_assert(kChannelCount < 32);
  static constexpr unsigned kAllChannels = (1u << kChannelCount) - 1;
  unsigned stillEnvelopes_ = 0;
  unsigned soundingEnvelopes_ = 0;
  unsigned staleFilters_ = kAllChannels;
  // What the filters were last updated with at a control tick.
  const double* tickedCutoffTable_ = nullptr;
  double tickedModulation_ = 0;
  const ChannelMixKernels& mixKernels_;
  int allocatedLength_ = 0;
  int blockLength_ = 0;
  double velocitySensitivity_ = 0;
  bool portamentoOn_ = false;
  bool delayedVibratoOn_ = false;
  bool quarterToneOn_ = false;
  bool ringModulationOn_ = false;
  bool lpfFromVelocity_ = false;
  double portamentoTime_ = 0;   // seconds
  double delayValue_ = 0;       // vibrato fade-in length in control ticks
  double vibratoDepth_ = 0;     // pitch units
  std::array<bool, kChannelCount> enabled_{};  // synthe footages 0..7, instrument tones 8..18
  double ringModPitch_ = 0;
  double claviWidth_ = 0;
  double sampleRate_ = -1;
  double currentPitch_ = 0, targetPitch_ = 0;
  double velocityLevel_ = 0;
  double velocityGain_ = 0;
  double glideStep_ = 0;
  int glideStepsLeft_ = 0;
  double vibratoDelayCounter_ = 0;  // fade-in value, 0..1
  double delayCounterStep_ = 0;
  int vibratoDelay_ = 0;            // ticks of fade-in left
};

}  // namespace sorvel
