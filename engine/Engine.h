// The global sound engine: 64 voices, the three LFOs and the global modulation, note handling,
// the global high-pass on the Synthe bus, the output stage and the block render that runs a
// control tick every millisecond. Knows nothing of the plug-in around it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/EngineState.h"
#include "dsp/ParameterIds.h"
#include "engine/EngineHost.h"
#include "engine/HeldNotes.h"
#include "engine/HighPassCycle.h"
#include "engine/ModulationSettings.h"
#include "engine/OutputStage.h"
#include "voice/Filter.h"
#include "voice/Voice.h"

namespace sorvel {

class Engine {
 public:
  static constexpr int kVoiceCount = 64;
  static constexpr double kDefaultSampleRate = 44100.0;
  // Radians per sample of 8 Hz and 8000 Hz at 44100 Hz; the same at every rate.
  static constexpr double kHighPassLower = 0.0011398068584452764;
  static constexpr double kHighPassUpper = 1.1398068584452763;
  static constexpr double kHighPassQuality = 0.5;

  // LFOs (vibrato, PWM, sample-and-hold, each drawing its first random number), the global
  // high-pass, the output stage and the 64 voices; then the engine part of Reset at 44100 Hz and
  // every parameter's default, so that it can render before the host sets a rate.
  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The engine part of Reset: control period, buses, modulation inputs, smoothing, the rate's
  // tables, the PWM LFO's reset rate, the output stage, the held notes and note counter, and every
  // voice's sample rate. A rate that is not a positive finite number keeps 44100 Hz.
  void reset(double sampleRate);

  // A parameter now holds the real value `value`: applies its global effect and hands the
  // voices' value to all 64 voices. Values are first held to the parameter's range.
  void parameterChanged(int index, double value);

  // Renders frames samples of both outputs (either may be null), ticking every control period.
  void render(double* left, double* right, int frames, EngineHost& host);

  // One MIDI channel message, due now.
  void handleEvent(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, EngineHost& host);

  // Empties the held notes and releases every voice, clearing its key and hold flags.
  void allNotesOff();

  // The control tick: global modulation, the voices' ticks, the global high-pass cutoff and the
  // chorus modulation. The render runs it after draining the host's events.
  void controlTick();

  int controlPeriod() const { return controlPeriod_; }
  int tickCountdown() const { return tickCountdown_; }
  double sampleRate() const { return sampleRate_; }
  int voicesInUse() const { return voicesInUse_; }
  int noteCounter() const { return noteCounter_; }

  EngineState& state() { return state_; }
  const EngineState& state() const { return state_; }
  const ModulationSettings& settings() const { return settings_; }
  const OutputStage& output() const { return output_; }
  const HeldNotes& heldNotes() const { return heldNotes_; }
  const HighPass& globalHighPass() const { return highPass_; }
  // A voice as rendering every frame would have left it.
  Voice& voice(int index) {
    catchUpVoices();
    return *voices_[static_cast<std::size_t>(index)];
  }
  const Voice& voice(int index) const {
    catchUpVoices();
    return *voices_[static_cast<std::size_t>(index)];
  }

  // The value handed to the voices for a parameter's real value.
  static double voiceValue(int index, double value);

  // The render skips the work whose result it knows (while no voice sounds: the silent voices, the
  // high-pass's settled cycle and the chorus lines that hold only its wet mix; the chorus delays'
  // glide in closed form), with the same output to the bit. Off, it computes everything sample by
  // sample; tests compare the two.
  void setShortcuts(bool on) {
    quietShortcuts_ = on;
    output_.closedFormGlide = on;
  }
  // Sub-blocks rendered from the high-pass's settled cycle, since construction.
  long quietSubBlocks() const { return quietSubBlocks_; }

 private:
  void applyGlobalEffect(int index, double value);
  void setVoicesInUse(double value);
  void setOctave(int index, bool on);

  void noteOn(int note, int velocity, EngineHost& host);
  void noteOff(int note, EngineHost& host);
  void sustainPedal(double value);
  int chooseVoice(int note) const;
  double notePitch(int note, EngineHost& host) const;

  // ahead: the frames of both outputs from left and right on that belong to this render.
  void renderSubBlock(double* left, double* right, int count, int ahead);
  void renderQuietSubBlock(double* left, double* right, int count, int ahead);
  bool renderQuietDry(double* left, double* right, int count, int ahead);
  void renderTick();
  // The global modulation's steps that quiet ticks left out (see renderTick); anything that may
  // read or change the modulation state or its settings calls this first.
  void catchUpModulation();
  void tickVoices();
  void sweepHighPass();
  // The silent voices' oscillators catch up with the frames rendered without them; anything that
  // may read or change a voice calls this first. Their oscillators are all the render skips, so
  // catching up changes nothing a reader of the engine could tell apart.
  void catchUpVoices() const;

  EngineState state_;
  ModulationSettings settings_;
  HighPass highPass_;
  OutputStage output_;
  std::vector<std::unique_ptr<Voice>> voices_;
  FilterJobs filterJobs_;  // every sounding voice's filters for one sub-block

  std::array<double, kParameterCount> values_{};  // latest value of every parameter

  HeldNotes heldNotes_;
  int noteCounter_ = 0;
  int voicesInUse_ = 1;

  double sampleRate_ = 0;
  int controlPeriod_ = 1;
  int tickCountdown_ = 0;
  bool voicesRenderable_ = true;  // the voices' buffers hold a whole control period
  std::vector<double> syntheBus_;
  std::vector<double> instrumentBus_;
  std::vector<double> discard_;  // stands in for an output the host did not connect

  bool quietShortcuts_ = true;
  long quietSubBlocks_ = 0;
  // No voice in use sounds: their ticks do nothing and their renders only move the oscillators on,
  // so both are skipped and the frames counted until a voice may start again.
  bool voicesSilent_ = false;
  mutable int voicesBehind_ = 0;
  int noiseBehind_ = 0;    // ticks whose noise draw waits (see renderTick)
  int sourcesBehind_ = 0;  // ticks whose LFO and low-pass steps wait
  bool highPassSwept_ = false;
  double highPassSetting_ = 0;  // the setting the high-pass coefficients were computed from
  HighPassCycle highPassCycle_;
  // Without the chorus, the output of a known cycle repeats with it: both outputs over the cycle's
  // span, for the cycle and dry gains they were mixed with.
  std::array<std::vector<double>, 2> quietDry_;
  std::vector<double> quietSilence_;
  long quietDryCycle_ = -1;
  SectionGains quietDryGains_[2];
  int quietDryAhead_ = 0;  // frames from the current one on that hold the pattern already
};

}  // namespace sorvel
