// The global engine state that every voice reads at its control tick: the current rate's tables,
// the three LFOs and the section modulations the control tick computes.
#pragma once

#include <array>
#include <memory>

namespace sorvel {

struct EngineTables;

// One global LFO: a sine read from the shared table at a phase of 0..4096, advanced once per tick.
struct Lfo {
  double value = 0;          // -1..1
  double unipolar = 0;       // (value + 1) / 2
  double held = 0;           // random value drawn at the latest wrap
  double rate = 0;           // parameter-derived rate
  double phase = 0;          // 0 .. below 4096
  double increment = 0;      // phase advance per tick: 122.88 x rate
  double pendingRandom = 0;  // drawn at the latest wrap, copied to held every tick
};

// Modulation sources, indexed like the source list of the four source parameters.
constexpr int kSourceCount = 128;
constexpr int kSourceOff = 0;
constexpr int kSourceOn = 1;
constexpr int kSourcePitchBend = 2;
constexpr int kSourceChannelPressure = 3;
constexpr int kSourceVibratoLfo = 4;
constexpr int kSourcePwmLfo = 5;
constexpr int kSourceSampleHold = 6;
constexpr int kSourceFirstController = 7;  // source 7 + n is MIDI controller n (0 to 119)
constexpr int kSourceVelocity = 127;       // applied per voice; stays 0 here

struct EngineState {
  // Tables of the current sample rate; immutable and shared by every instance at that rate.
  std::shared_ptr<const EngineTables> tables;

  Lfo vibratoLfo;
  Lfo pwmLfo;
  Lfo sampleHoldLfo;

  double lowPassModulation = 0;        // read by every voice's synthe filters
  double synthePitchModulation = 0;    // pitch units, added to the synthe oscillator
  double instrumentPitchModulation = 0;  // pitch units, added to the instrument oscillator

  std::array<double, kSourceCount> sources{};  // current value of every modulation source
  double pitchBend = 0;            // -1 .. 8191/8192
  double channelPressure = 0;      // 0 .. 1
  double noiseValue = 0;           // smoothed noise
  double highPassModulation = 0;   // drives the global high-pass cutoff

  // One-pole smoothing at 80 Hz: next = a x input + b x previous.
  double smoothingA = 0;
  double smoothingB = 0;
};

}  // namespace sorvel
