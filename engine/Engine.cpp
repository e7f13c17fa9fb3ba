#include "engine/Engine.h"

#include <algorithm>
#include <cmath>

#include "dsp/Conversions.h"
#include "dsp/EngineTables.h"
#include "dsp/ParameterTable.h"
#include "engine/GlobalModulation.h"
#include "engine/Lfo.h"

namespace sorvel {

namespace {

constexpr double kMaximumSampleRate = 1536000.0;
constexpr double kResetPwmRate = 0.05;
constexpr double kResetPwmIncrement = 6.144;

double usableSampleRate(double rate) {
  if (!std::isfinite(rate) || rate <= 0.0) return Engine::kDefaultSampleRate;
  return std::min(rate, kMaximumSampleRate);
}

}  // namespace

Engine::Engine() {
  setUpLfo(state_.vibratoLfo);
  setUpLfo(state_.pwmLfo);
  setUpLfo(state_.sampleHoldLfo);

  highPass_.quality = kHighPassQuality;
  highPass_.lower = kHighPassLower;
  highPass_.upper = kHighPassUpper;

  const auto& table = parameterTable();
  for (std::size_t i = 0; i < values_.size(); ++i) values_[i] = table[i].defaultValue;

  for (auto& out : quietDry_) out.assign(static_cast<std::size_t>(4 * HighPassCycle::kLongestPeriod), 0.0);
  quietSilence_.assign(static_cast<std::size_t>(4 * HighPassCycle::kLongestPeriod), 0.0);

  voices_.reserve(kVoiceCount);
  for (int i = 0; i < kVoiceCount; ++i) voices_.push_back(std::make_unique<Voice>(state_));
  filterJobs_.reserve(kVoiceCount, kChannelCount);

  reset(kDefaultSampleRate);
  // Start from every parameter's default so that the engine is consistent before the
  // instrument applies its first program.
  for (int i = 0; i < kParameterCount; ++i) parameterChanged(i, table[static_cast<std::size_t>(i)].defaultValue);
}

Engine::~Engine() = default;

void Engine::reset(double sampleRate) {
  catchUpVoices();
  catchUpModulation();
  voicesSilent_ = false;
  const double rate = usableSampleRate(sampleRate);
  const bool rateChanged = rate != sampleRate_;
  sampleRate_ = rate;

  heldNotes_.clear();
  tickCountdown_ = 0;
  // Below 1000 Hz the period would be 0 and the render could never advance.
  controlPeriod_ = std::max(1, truncateToInt(rate) / 1000);

  syntheBus_.assign(static_cast<std::size_t>(controlPeriod_), 0.0);
  instrumentBus_.assign(static_cast<std::size_t>(controlPeriod_), 0.0);
  discard_.assign(static_cast<std::size_t>(controlPeriod_), 0.0);

  resetGlobalModulation(state_, rate);
  state_.tables = EngineTables::forRate(rate);

  state_.pwmLfo.rate = kResetPwmRate;
  state_.pwmLfo.increment = kResetPwmIncrement;

  output_.setSampleRate(rate, controlPeriod_);
  noteCounter_ = 0;
  for (auto& voice : voices_) voice->setSampleRate(rate);
  // Voices size their buffers by the unclamped period, which is 0 below 1000 Hz.
  voicesRenderable_ = voices_.front()->blockLength() >= controlPeriod_;
  if (rateChanged) {
    for (int i = 0; i < kParameterCount; ++i) {
      const double y = voiceValue(i, values_[static_cast<std::size_t>(i)]);
      for (auto& voice : voices_) voice->setParameter(i, y);
    }
  }
}

void Engine::controlTick() {
  catchUpModulation();
  stepGlobalModulation(state_, settings_);
  tickVoices();
  sweepHighPass();
  output_.stepModulation();
}

// While no voice sounds, nothing reads the smoothed noise or the pitch modulation until the next
// tick with a voice or the render's end: the noise draws wait until then and are made in one step.
void Engine::renderTick() {
  if (!(voicesSilent_ && quietShortcuts_)) {
    controlTick();
    return;
  }
  if (sourcesMayWait(settings_)) {
    stepHighPassModulation(state_, settings_);
    ++sourcesBehind_;
  } else {
    catchUpModulation();
    stepModulationSources(state_, settings_);
  }
  ++noiseBehind_;
  sweepHighPass();
  output_.stepModulation();
}

void Engine::catchUpModulation() {
  sorvel::catchUpModulation(state_, settings_, sourcesBehind_, noiseBehind_);
  sourcesBehind_ = 0;
  noiseBehind_ = 0;
}

void Engine::tickVoices() {
  if (voicesSilent_ && quietShortcuts_) return;
  catchUpVoices();
  bool sounding = false;
  for (int i = 0; i < voicesInUse_; ++i) {
    Voice& v = *voices_[static_cast<std::size_t>(i)];
    v.controlTick();
    sounding = sounding || v.active;
  }
  voicesSilent_ = !sounding;
}

void Engine::sweepHighPass() {
  // The same setting gives the same coefficients: the sweep's cosine and sine are not recomputed.
  const double setting = state_.highPassModulation;
  if (highPassSwept_ && setting == highPassSetting_ && quietShortcuts_) return;
  highPass_.sweepTo(setting);
  highPassSetting_ = setting;
  highPassSwept_ = true;
  highPassCycle_.forget();
}

void Engine::catchUpVoices() const {
  if (voicesBehind_ == 0) return;
  for (int i = 0; i < voicesInUse_; ++i) voices_[static_cast<std::size_t>(i)]->advanceOscillators(voicesBehind_);
  voicesBehind_ = 0;
}

void Engine::render(double* left, double* right, int frames, EngineHost& host) {
  if (frames <= 0) return;
  // Every sub-block's mix writes its samples of both outputs.

  int position = 0;
  int remaining = frames;
  quietDryAhead_ = 0;
  while (remaining > 0) {
    int length;
    if (tickCountdown_ <= 0) {
      host.drainEvents(controlPeriod_);
      renderTick();
      if (remaining >= controlPeriod_) {
        length = controlPeriod_;  // the countdown stays due: the next sub-block ticks again
      } else {
        length = remaining;
        tickCountdown_ = controlPeriod_ - remaining;
      }
    } else if (tickCountdown_ < remaining) {
      length = tickCountdown_;
      tickCountdown_ = 0;
    } else {
      length = remaining;
      tickCountdown_ -= remaining;
    }
    // The quiet path may write the rest of both outputs ahead, where both are the host's.
    const int ahead = left != nullptr && right != nullptr ? remaining : length;
    renderSubBlock(left != nullptr ? left + position : nullptr, right != nullptr ? right + position : nullptr,
                   length, ahead);
    position += length;
    remaining -= length;
  }
  catchUpModulation();
}

void Engine::renderSubBlock(double* left, double* right, int count, int ahead) {
  if (voicesSilent_ && quietShortcuts_) {
    renderQuietSubBlock(left, right, count, ahead);
    return;
  }
  highPassCycle_.forget();
  double* synthe = syntheBus_.data();
  double* instrument = instrumentBus_.data();
  std::fill(synthe, synthe + count, 0.0);
  std::fill(instrument, instrument + count, 0.0);
  if (voicesRenderable_ && voices_.front()->rendersInOnePiece(count)) {
    // The voices' filters are independent: they run together, between generating and mixing,
    // and the voices still add into the buses in index order.
    filterJobs_.clear();
    for (int i = 0; i < voicesInUse_; ++i) voices_[static_cast<std::size_t>(i)]->renderFirstHalf(count, filterJobs_);
    filterJobs_.run(count);
    Voice::renderSecondHalves(voices_.data(), voicesInUse_, synthe, instrument, count);
  } else if (voicesRenderable_) {
    for (int i = 0; i < voicesInUse_; ++i) voices_[static_cast<std::size_t>(i)]->render(synthe, instrument, count);
  }
  highPass_.process(synthe, count);
  output_.mix(synthe, instrument, left != nullptr ? left : discard_.data(),
              right != nullptr ? right : discard_.data(), count);
}

// No voice sounds, so both buses are silent: the high-pass runs on silence until it settles into
// a cycle, then its output repeats and the output stage mixes that.
void Engine::renderQuietSubBlock(double* left, double* right, int count, int ahead) {
  if (voicesRenderable_) voicesBehind_ += count;
  // Hours of silence at a high rate would run the count past what an int holds.
  if (voicesBehind_ >= (1 << 30)) catchUpVoices();
  double* out[2] = {left != nullptr ? left : discard_.data(), right != nullptr ? right : discard_.data()};
  if (renderQuietDry(out[0], out[1], count, ahead)) return;
  double* synthe = syntheBus_.data();
  double* instrument = instrumentBus_.data();
  if (highPassCycle_.known()) {
    output_.mixCycle(highPassCycle_, synthe, instrument, out[0], out[1], count);
    highPassCycle_.skip(highPass_, count);
    ++quietSubBlocks_;
    return;
  }
  std::fill(instrument, instrument + count, 0.0);
  std::fill(synthe, synthe + count, 0.0);
  highPassCycle_.processWatching(highPass_, synthe, count);
  output_.mix(synthe, instrument, out[0], out[1], count);
}

bool Engine::renderQuietDry(double* left, double* right, int count, int ahead) {
  if (output_.chorusOn || !highPassCycle_.known() || highPassCycle_.span() > static_cast<int>(quietSilence_.size())) {
    return false;
  }
  const auto same = [](const SectionGains& a, const SectionGains& b) {
    return sameBits(a.left, b.left) && sameBits(a.right, b.right);
  };
  if (quietDryCycle_ != highPassCycle_.found() || !same(quietDryGains_[0], output_.syntheDry) ||
      !same(quietDryGains_[1], output_.instrumentDry)) {
    output_.mix(highPassCycle_.outputs(), quietSilence_.data(), quietDry_[0].data(), quietDry_[1].data(),
                highPassCycle_.span());
    quietDryCycle_ = highPassCycle_.found();
    quietDryGains_[0] = output_.syntheDry;
    quietDryGains_[1] = output_.instrumentDry;
    quietDryAhead_ = 0;
  }
  // Every quiet path moves the cycle on by its count: until the cycle or the gains change, what was
  // written ahead in this render stays right.
  if (quietDryAhead_ < count) {
    highPassCycle_.copyFrom(quietDry_[0].data(), left, ahead);
    highPassCycle_.copyFrom(quietDry_[1].data(), right, ahead);
    quietDryAhead_ = ahead;
  }
  quietDryAhead_ -= count;
  highPassCycle_.skip(highPass_, count);
  ++quietSubBlocks_;
  return true;
}

}  // namespace sorvel
