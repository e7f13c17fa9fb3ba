// The voice's control tick and the application of parameter values to it.
#include <algorithm>
#include <cmath>

#include "engine/Conversions.h"
#include "engine/EngineState.h"
#include "engine/EngineTables.h"
#include "voice/Voice.h"

namespace sorvel {

namespace {

constexpr int kOctave = 1536;  // pitch units

// Parameter ids that reach the voice.
enum ParameterId {
  kVelocity = 3,
  kSynthTune = 8,
  kLpfSource = 15,
  kPorta = 21,
  kDelayedVibrato = 25,
  kQuarterTone = 26,
  kMultipleTrigger = 27,
  kKeyHold = 28,
  kPortaTime = 29,
  kLfoDepth = 33,
  kLfoDelay = 35,
  kRingMod = 36,
  kFirstPresetSwitch = 37,
  kLastPresetSwitch = 55,
  kSynthePitch = 56,
  kNoiseAR = 57,
  kSaw32AR = 58,
  kPwm16AR = 60,
  kSaw8AR = 61,
  kPulse8Decay = 62,
  kRect8AR = 63,
  kSaw4Decay = 64,
  kElectricBassCutoff = 65,
  kTubaCutoff = 66,
  kClaviWidth = 67,
  kFuzzTone = 68,
  kHornCutoff = 69,
  kTrumpetCutoff = 70,
  kClarinetTone = 71,
  kDoubleReedTone = 72,
  kStringAttack = 73,
  kFluteTone = 74,
  kHammeredPercDecay = 75,
  kFirstPresetParameter = 83,
  kLastPresetParameter = 234,
};

constexpr int kPresetSlots = 8;
constexpr int kLpfFromVelocitySource = 127;

enum ChannelParameterKind { kGain = 0, kFlt1, kFlt2, kEnvToFilter, kEnvA, kEnvD, kEnvS, kEnvR };

}  // namespace

void Voice::controlTick() {
  if (!active || !owner_.tables) return;
  const EngineTables& tables = *owner_.tables;
  const double* cutoffTable = tables.cutoff.data();

  double modulation = owner_.lowPassModulation;
  if (lpfFromVelocity_) modulation *= velocityLevel_ - 0.5;

  bool sounding = false;
  for (int i = 0; i < kChannelCount; ++i) {
    VoiceChannel& channel = channels_[i];
    channel.envelope.step();
    if (i < kSyntheChannelCount) channel.channelFilter.modulation = modulation;
    if (!kChannelTable[i].dualFilter && kChannelTable[i].filterFollowsEnvelope) {
      channel.channelFilter.envValue = channel.envelope.value;
      channel.channelFilter.computeCoefficients(cutoffTable);
    }
    sounding = sounding || channel.envelope.state != Envelope::kIdle;
  }
  active = sounding;

  if (enabled_[kSampleHold16]) {
    ChannelFilter& filter = channels_[kSampleHold16].channelFilter;
    filter.envValue = owner_.sampleHoldLfo.held;
    filter.computeCoefficients(cutoffTable);
  }
  if (enabled_[kTuba32]) {
    // First-order high-pass at 3.2 Hz run at control rate: a held level fades from the cutoff.
    const double d = tubaHpB0_ * channels_[kTuba32].envelope.value;
    const double y = d + tubaHpState_;
    ChannelFilter& filter = channels_[kTuba32].channelFilter;
    filter.envValue = y;
    tubaHpState_ = -d - y * tubaHpA1_;
    filter.computeCoefficients(cutoffTable);
  }
  if (enabled_[kPwm16]) pwmWidth_ = 1.0 - 0.66 * owner_.pwmLfo.unipolar;
  if (enabled_[kFuzzGuitar16]) fuzzWidth_ = 1.0 - 0.7 * channels_[kFuzzGuitar16].envelope.value;

  if (glideStepsLeft_ > 0) {
    const bool last = glideStepsLeft_ == 1;
    glideStepsLeft_ -= 1;
    currentPitch_ += glideStep_;
    if (last) currentPitch_ = targetPitch_;
  }

  if (vibratoDelay_ >= 0) {
    vibratoDelay_ -= 1;
    vibratoDelayCounter_ += delayCounterStep_;
    // The fade never goes past full depth, even when "LFO Dly" shrinks during a fade or is 0.
    if (!(vibratoDelayCounter_ <= 1.0)) vibratoDelayCounter_ = 1.0;
    if (vibratoDelay_ < 0) vibratoDelayCounter_ = 1.0;
  }

  updateOscillatorPitches();
}

void Voice::updateOscillatorPitches() {
  const EngineTables& tables = *owner_.tables;
  syntheOsc_.updatePitch(currentPitch_ + owner_.synthePitchModulation + syntheOsc_.pitchOffset1 +
                             syntheOsc_.pitchOffset2 - kOctave,
                         tables);
  const double vibrato =
      delayedVibratoOn_ ? vibratoDelayCounter_ * vibratoDepth_ * owner_.vibratoLfo.value : 0.0;
  instrumentOsc_.updatePitch(currentPitch_ + owner_.instrumentPitchModulation + vibrato - kOctave, tables);
}

void Voice::applyAttackOffset(int index, double value) {
  VoiceChannel& channel = channels_[index];
  channel.attackOffset = value;
  channel.envelope.setAttack(std::max(channel.attack + value, 0.0));
}

void Voice::applyDecayOffset(int index, double value) {
  VoiceChannel& channel = channels_[index];
  channel.decayOffset = value;
  channel.envelope.setDecay(std::max(channel.decay + value, 0.0));
}

void Voice::applyReleaseOffset(int index, double value) {
  VoiceChannel& channel = channels_[index];
  channel.releaseOffset = value;
  channel.envelope.setRelease(std::max(channel.release + value, 0.0));
}

void Voice::setParameter(int id, double value) {
  if (!std::isfinite(value)) return;  // never let a broken value into pitch, time or filter state
  const bool on = value > 0;
  switch (id) {
    case kVelocity:
      velocitySensitivity_ = value;
      return;
    case kSynthTune:
      syntheOsc_.pitchOffset2 = truncateToInt(value);
      return;
    case kLpfSource:
      lpfFromVelocity_ = value == kLpfFromVelocitySource;
      return;
    case kPorta:
      portamentoOn_ = on;
      return;
    case kDelayedVibrato:
      delayedVibratoOn_ = on;
      return;
    case kQuarterTone:
      quarterToneOn_ = on;
      return;
    case kMultipleTrigger:
      for (VoiceChannel& channel : channels_) channel.envelope.multipleTrigger = on;
      return;
    case kKeyHold:
      keyHold = on;
      if (!on && !keyDown) releaseAll();
      return;
    case kPortaTime:
      portamentoTime_ = value;
      return;
    case kLfoDepth:
      vibratoDepth_ = value;
      return;
    case kLfoDelay:
      delayValue_ = value;
      delayCounterStep_ = 1.0 / value;
      return;
    case kRingMod:
      ringModulationOn_ = on;
      syntheOsc_.pitchOffset1 = on ? truncateToInt(ringModPitch_) : 0;
      return;
    case kSynthePitch:
      ringModPitch_ = value;
      syntheOsc_.pitchOffset1 = ringModulationOn_ ? truncateToInt(value) : 0;
      return;
    case kNoiseAR:
    case kSaw32AR:
    case kPwm16AR:
    case kSaw8AR:
    case kRect8AR: {
      const int channel = id == kNoiseAR ? kNoise
                          : id == kSaw32AR ? kSaw32
                          : id == kPwm16AR ? kPwm16
                          : id == kSaw8AR ? kSaw8
                                          : kRectangle8;
      applyAttackOffset(channel, value);
      applyReleaseOffset(channel, value);
      return;
    }
    case kPulse8Decay:
    case kSaw4Decay:
    case kHammeredPercDecay: {
      const int channel = id == kPulse8Decay ? kPulse8 : id == kSaw4Decay ? kSaw4 : kHammeredPerc4;
      applyDecayOffset(channel, value);
      applyReleaseOffset(channel, value);
      return;
    }
    case kStringAttack:
      applyAttackOffset(kString8, value);
      return;
    case kElectricBassCutoff:
    case kTubaCutoff:
    case kHornCutoff:
    case kTrumpetCutoff: {
      const int index = id == kElectricBassCutoff ? kElectricBass32
                        : id == kTubaCutoff       ? kTuba32
                        : id == kHornCutoff       ? kHorn16
                                                  : kTrumpet8;
      VoiceChannel& channel = channels_[index];
      channel.cutoffOffset = value;
      channel.channelFilter.cutoff = channel.cutoff + value;
      return;
    }
    case kClaviWidth:
      claviWidth_ = value;
      return;
    case kFuzzTone:
    case kClarinetTone:
    case kDoubleReedTone:
    case kFluteTone: {
      const int index = id == kFuzzTone       ? kFuzzGuitar16
                        : id == kClarinetTone ? kClarinet8
                        : id == kDoubleReedTone ? kDoubleReed8
                                                : kFlute4;
      VoiceChannel& channel = channels_[index];
      channel.envAmountOffset = value;
      channel.dualFilter.setMix(channel.envAmount + value);
      return;
    }
    default:
      break;
  }
  if (id >= kFirstPresetSwitch && id <= kLastPresetSwitch) {
    enabled_[id - kFirstPresetSwitch] = on;
  } else if (id >= kFirstPresetParameter && id <= kLastPresetParameter) {
    setChannelParameter((id - kFirstPresetParameter) / kPresetSlots, (id - kFirstPresetParameter) % kPresetSlots,
                        value);
  }
}

void Voice::setChannelParameter(int index, int kind, double value) {
  if (index < 0 || index >= kChannelCount || !std::isfinite(value)) return;
  VoiceChannel& channel = channels_[index];
  const bool dual = kChannelTable[index].dualFilter;
  switch (kind) {
    case kGain:
      channel.level = value;
      break;
    case kFlt1:
      channel.cutoff = value;
      if (dual) {
        channel.dualFilter.setLowCutoff(value + channel.cutoffOffset);
      } else {
        channel.channelFilter.cutoff = value + channel.cutoffOffset;
      }
      break;
    case kFlt2:
      channel.filter2 = value;
      if (dual) {
        channel.dualFilter.setBandCutoff(value);
      } else {
        channel.channelFilter.resonance = value;
      }
      break;
    case kEnvToFilter:
      channel.envAmount = value;
      if (dual) {
        channel.dualFilter.setMix(value + channel.envAmountOffset);
      } else {
        channel.channelFilter.envAmount = value + channel.envAmountOffset;
      }
      break;
    case kEnvA:
      channel.attack = value;
      channel.envelope.setAttack(std::max(value + channel.attackOffset, 0.0));
      break;
    case kEnvD:
      channel.decay = value;
      channel.envelope.setDecay(std::max(value + channel.decayOffset, 0.0));
      break;
    case kEnvS:
      channel.envelope.setSustain(std::max(value, 0.0));
      break;
    case kEnvR:
      channel.release = value;
      channel.envelope.setRelease(std::max(value + channel.releaseOffset, 0.0));
      break;
    default:
      break;
  }
}

}  // namespace sorvel
