// The voice's control tick and the application of parameter values to it.
#include <algorithm>
#include <bit>
#include <cmath>

#include "dsp/Conversions.h"
#include "dsp/EngineState.h"
#include "dsp/EngineTables.h"
#include "dsp/ParameterIds.h"
#include "voice/Voice.h"

namespace sorvel {

namespace {

constexpr int kOctave = 1536;  // pitch units

// The channel a tone parameter adjusts.
constexpr int toneChannel(int id) { return id - kFirstToneParameter; }

// What each channel's tone parameter offsets; the sample-and-hold clock and the clavi's pulse width
// are handled apart.
enum ToneTarget : unsigned { kToneAttack = 1, kToneDecay = 2, kToneRelease = 4, kToneCutoff = 8, kToneMix = 16 };

constexpr unsigned kToneTargets[kChannelCount] = {
    kToneAttack | kToneRelease,  // "Noise AR"
    kToneAttack | kToneRelease,  // "32'SawAR"
    0,                           // "16'SHClk"
    kToneAttack | kToneRelease,  // "16'PWMAR"
    kToneAttack | kToneRelease,  // "8'SawAR"
    kToneDecay | kToneRelease,   // "8'PlsDcy"
    kToneAttack | kToneRelease,  // "8'RecAR"
    kToneDecay | kToneRelease,   // "4'SawDcy"
    kToneCutoff,                 // "32'EB FC"
    kToneCutoff,                 // "32'TubFC"
    0,                           // "16'ClaPW"
    kToneMix,                    // "16'FGTon"
    kToneCutoff,                 // "16'HrnFC"
    kToneCutoff,                 // "8'TrumFC"
    kToneMix,                    // "8'ClaTon"
    kToneMix,                    // "8'DRdTone"
    kToneAttack,                 // "8'StrAtk"
    kToneMix,                    // "4'FlTone"
    kToneDecay | kToneRelease,   // "4'HPcDly"
};

}  // namespace

void Voice::controlTick() {
  if (!active || !owner_.tables) return;
  const EngineTables& tables = *owner_.tables;
  const double* cutoffTable = tables.cutoff.data();

  double modulation = owner_.lowPassModulation;
  if (lpfFromVelocity_) modulation *= velocityLevel_ - 0.5;

  // A channel whose envelope is at a fixed point and whose filter inputs are those of its last
  // update would come out of this tick as it went in: only the others are stepped and updated.
  unsigned moving = ~stillEnvelopes_ | staleFilters_;
  if (cutoffTable != tickedCutoffTable_) {
    moving = ~0u;
    tickedCutoffTable_ = cutoffTable;
  }
  if (!sameBits(modulation, tickedModulation_)) {
    moving |= (1u << kSyntheChannelCount) - 1;
    tickedModulation_ = modulation;
  }
  moving &= kAllChannels;
  staleFilters_ = 0;
  for (unsigned rest = moving; rest != 0; rest &= rest - 1) {
    const int i = std::countr_zero(rest);
    const unsigned bit = 1u << i;
    VoiceChannel& channel = channels_[i];
    Envelope& envelope = channel.envelope;
    const double before = envelope.value;
    const int stateBefore = envelope.state;
    envelope.step();
    if (envelope.value == before && envelope.state == stateBefore) {
      stillEnvelopes_ |= bit;
      mix_.steadyValues[i] = envelope.value;
    } else {
      stillEnvelopes_ &= ~bit;
    }
    soundingEnvelopes_ = envelope.state != Envelope::kIdle ? soundingEnvelopes_ | bit : soundingEnvelopes_ & ~bit;
    if (i < kSyntheChannelCount) channel.channelFilter.modulation = modulation;
    if (!kChannelTable[i].dualFilter && kChannelTable[i].filterFollowsEnvelope) {
      channel.channelFilter.envValue = envelope.value;
      channel.channelFilter.updateCoefficients(cutoffTable);
    }
  }
  active = soundingEnvelopes_ != 0;

  if (enabled_[kSampleHold16]) {
    ChannelFilter& filter = channels_[kSampleHold16].channelFilter;
    filter.envValue = owner_.sampleHoldLfo.held;
    filter.updateCoefficients(cutoffTable);
  }
  if (enabled_[kTuba32]) {
    // First-order high-pass at 3.2 Hz run at control rate: a held level fades from the cutoff.
    const double d = tubaHpB0_ * channels_[kTuba32].envelope.value;
    const double y = d + tubaHpState_;
    ChannelFilter& filter = channels_[kTuba32].channelFilter;
    filter.envValue = y;
    tubaHpState_ = -d - y * tubaHpA1_;
    filter.updateCoefficients(cutoffTable);
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

// A channel's effective settings are its preset value plus its tone's offset; either part may change.
void Voice::applyCutoff(int index) {
  VoiceChannel& channel = channels_[index];
  if (kChannelTable[index].dualFilter) {
    channel.dualFilter.setLowCutoff(channel.cutoff + channel.cutoffOffset);
  } else {
    channel.channelFilter.cutoff = channel.cutoff + channel.cutoffOffset;
    staleFilters_ |= 1u << index;
  }
}

void Voice::applyEnvAmount(int index) {
  VoiceChannel& channel = channels_[index];
  if (kChannelTable[index].dualFilter) {
    channel.dualFilter.setMix(channel.envAmount + channel.envAmountOffset);
  } else {
    channel.channelFilter.envAmount = channel.envAmount + channel.envAmountOffset;
    staleFilters_ |= 1u << index;
  }
}

void Voice::applyAttack(int index) {
  VoiceChannel& channel = channels_[index];
  channel.envelope.setAttack(std::max(channel.attack + channel.attackOffset, 0.0));
  stillEnvelopes_ &= ~(1u << index);
}

void Voice::applyDecay(int index) {
  VoiceChannel& channel = channels_[index];
  channel.envelope.setDecay(std::max(channel.decay + channel.decayOffset, 0.0));
  stillEnvelopes_ &= ~(1u << index);
}

void Voice::applyRelease(int index) {
  VoiceChannel& channel = channels_[index];
  channel.envelope.setRelease(std::max(channel.release + channel.releaseOffset, 0.0));
  stillEnvelopes_ &= ~(1u << index);
}

void Voice::setToneOffset(int index, double value) {
  const unsigned targets = kToneTargets[index];
  VoiceChannel& channel = channels_[index];
  if (targets & kToneAttack) channel.attackOffset = value;
  if (targets & kToneDecay) channel.decayOffset = value;
  if (targets & kToneRelease) channel.releaseOffset = value;
  if (targets & kToneCutoff) channel.cutoffOffset = value;
  if (targets & kToneMix) channel.envAmountOffset = value;
  if (targets & kToneAttack) applyAttack(index);
  if (targets & kToneDecay) applyDecay(index);
  if (targets & kToneRelease) applyRelease(index);
  if (targets & kToneCutoff) applyCutoff(index);
  if (targets & kToneMix) applyEnvAmount(index);
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
    case kLowPassSource:
      lpfFromVelocity_ = value == kSourceVelocity;
      return;
    case kPortamento:
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
    case kPortamentoTime:
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
    case kClaviWidth:
      claviWidth_ = value;
      return;
    default:
      break;
  }
  if (id >= kFirstToneParameter && id < kFirstToneParameter + kChannelCount) {
    setToneOffset(toneChannel(id), value);
  } else if (isPresetSwitch(id)) {
    const int channel = id - kFirstPresetSwitch;
    const bool changed = enabled_[channel] != on;
    enabled_[channel] = on;
    pointMix(channel);
    if (changed) listPlaying();
  } else if (isPresetParameter(id)) {
    setChannelParameter((id - kFirstPresetParameter) / kPresetSlotCount,
                        (id - kFirstPresetParameter) % kPresetSlotCount, value);
  }
}

void Voice::setChannelParameter(int index, int kind, double value) {
  if (index < 0 || index >= kChannelCount || !std::isfinite(value)) return;
  VoiceChannel& channel = channels_[index];
  switch (kind) {
    case kPresetGain:
      channel.level = value;
      pointMix(index);
      break;
    case kPresetCutoff:
      channel.cutoff = value;
      applyCutoff(index);
      break;
    case kPresetFilter2:
      channel.filter2 = value;
      if (kChannelTable[index].dualFilter) {
        channel.dualFilter.setBandCutoff(value);
      } else {
        channel.channelFilter.resonance = value;
        staleFilters_ |= 1u << index;
      }
      break;
    case kPresetEnvToFilter:
      channel.envAmount = value;
      applyEnvAmount(index);
      break;
    case kPresetAttack:
      channel.attack = value;
      applyAttack(index);
      break;
    case kPresetDecay:
      channel.decay = value;
      applyDecay(index);
      break;
    case kPresetSustain:
      channel.envelope.setSustain(std::max(value, 0.0));
      stillEnvelopes_ &= ~(1u << index);
      break;
    case kPresetRelease:
      channel.release = value;
      applyRelease(index);
      break;
    default:
      break;
  }
}

}  // namespace sorvel
