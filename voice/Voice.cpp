#include "voice/Voice.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#include "dsp/Conversions.h"
#include "dsp/EngineState.h"

namespace sorvel {

namespace {
constexpr double kInitialPitch = 6144;            // note 48
constexpr int kInitialNote = 48;
constexpr double kDoubleReedCutoff = 0.1521;      // 1223.58 Hz between 8 Hz and 8 kHz
constexpr double kDoubleReedQuality = 7.3;
}  // namespace

Voice::Voice(const EngineState& owner) : owner_(owner), mixKernels_(channelMixKernels(vectorLevel())) {
  setSampleRate(44100.0);
}

void Voice::pointMix(int index) {
  mix_.envelopes[index] = &channels_[index].envelope;
  mix_.samples[index] = enabled_[index] ? row(index) : nullptr;
  mix_.buses[index] = kChannelTable[index].synthe ? syntheBus_.data() : instrumentBus_.data();
  mix_.levels[index] = channels_[index].level;
}

void Voice::listPlaying() {
  mix_.synthePlaying = mix_.playingCount = 0;
  for (bool synthe : {true, false}) {
    for (int i = 0; i < kChannelCount; ++i) {
      if (enabled_[i] && kChannelTable[i].synthe == synthe) mix_.playing[mix_.playingCount++] = i;
    }
    if (synthe) mix_.synthePlaying = mix_.playingCount;
  }
}

void Voice::setSampleRate(double rate) {
  if (rate == sampleRate_) return;
  if (!(rate > 0.0) || !std::isfinite(rate)) return;  // a rate no host can run: keep the present one
  const bool wasSetUp = sampleRate_ > 0.0;

  currentPitch_ = targetPitch_ = kInitialPitch;
  velocityLevel_ = 0;
  glideStep_ = 0;
  glideStepsLeft_ = 0;
  delayCounterStep_ = 0;
  vibratoDelay_ = 0;
  serial = 0;
  sampleRate_ = rate;
  active = keyDown = keyHold = false;
  stillEnvelopes_ = soundingEnvelopes_ = 0;
  staleFilters_ = kAllChannels;
  tickedCutoffTable_ = nullptr;
  lastNote = kInitialNote;
  velocity = 0;

  blockLength_ = truncateToInt(rate) / 1000;
  if (blockLength_ != allocatedLength_) {
    constexpr int kLine = 8;  // doubles in a cache line
    rowStride_ = (blockLength_ + kLine - 1) / kLine * kLine;
    rows_.assign(static_cast<std::size_t>(rowStride_) * kChannelCount + kLine, 0.0);
    const auto address = reinterpret_cast<std::uintptr_t>(rows_.data());
    rowsStart_ = rows_.data() + (kLine - address / sizeof(double) % kLine) % kLine;
    syntheBus_.assign(blockLength_, 0.0);
    instrumentBus_.assign(blockLength_, 0.0);
    allocatedLength_ = blockLength_;
  }
  for (int i = 0; i < kChannelCount; ++i) pointMix(i);
  listPlaying();

  syntheOsc_.cachedPitchIndex = VoiceOscillator::kStalePitch;
  instrumentOsc_.cachedPitchIndex = VoiceOscillator::kStalePitch;

  for (int i = 0; i < kChannelCount; ++i) {
    VoiceChannel& channel = channels_[i];
    channel.envelope.sampleRate = rate;
    // The voice is silent now; an envelope left in a stage would make the next note legato from
    // a level nobody hears.
    channel.envelope.state = Envelope::kIdle;
    channel.envelope.value = 0;
    if (kChannelTable[i].dualFilter) {
      channel.dualFilter.setup(rate);
      channel.dualFilter.reserve(blockLength_);
    } else {
      channel.channelFilter.clearState();
      channel.channelFilter.forgetCoefficients();
    }
  }
  // The tone settings were applied for the old rate; carry them over so these tones keep sounding.
  if (wasSetUp) reapplyDualFilters();

  tubaHpState_ = 0;
  // Runs once per control tick, a millisecond at every rate: so its pole is the same at every rate.
  const double g = 2.0 * std::numbers::pi * 3.2 / 44100.0;
  tubaHpB0_ = 2.0 / (g + 2.0);
  tubaHpA1_ = (g - 2.0) / (g + 2.0);

  setupDoubleReedHighPass();
}

void Voice::setupDoubleReedHighPass() {
  HighPass& hp = doubleReedHighPass_;
  hp.setLimitsForRate(sampleRate_);
  hp.quality = kDoubleReedQuality;
  hp.clearState();
  hp.cutoff = hp.lower + (hp.upper - hp.lower) * kDoubleReedCutoff;
  hp.computeCoefficients();
}

void Voice::reapplyDualFilters() {
  for (int i = 0; i < kChannelCount; ++i) {
    if (!kChannelTable[i].dualFilter) continue;
    applyCutoff(i);
    channels_[i].dualFilter.setBandCutoff(channels_[i].filter2);
    applyEnvAmount(i);
  }
}

void Voice::start(int note, int noteVelocity, int noteSerial, double pitch) {
  targetPitch_ = pitch;
  if (quarterToneOn_ && keyDown) targetPitch_ = currentPitch_ + (note - lastNote) * 64;

  const int glideTicks = portamentoOn_ ? truncateToInt(portamentoTime_ * 1000.0) : 0;
  if (glideTicks > 0) {
    glideStepsLeft_ = glideTicks;
    glideStep_ = (targetPitch_ - currentPitch_) / glideTicks;
  } else {
    currentPitch_ = targetPitch_;
    glideStepsLeft_ = 0;
  }

  vibratoDelayCounter_ = 0;
  vibratoDelay_ = truncateToInt(delayValue_);
  triggerEnvelopes();
  velocityLevel_ = noteVelocity * 0.007874015748031496;  // 1/127
  velocityGain_ = (velocityLevel_ - 1.0) * velocitySensitivity_ + 1.0;
  velocity = noteVelocity;
  serial = noteSerial;
  lastNote = note;
  active = true;
}

void Voice::triggerEnvelopes() {
  for (VoiceChannel& channel : channels_) channel.envelope.trigger();
  stillEnvelopes_ = 0;
}

void Voice::releaseAll() {
  for (VoiceChannel& channel : channels_) channel.envelope.startRelease();
  stillEnvelopes_ = 0;
}

}  // namespace sorvel
