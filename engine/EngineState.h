// The global engine state that every voice reads at its control tick: the current rate's tables,
// the three LFOs and the section modulations the control tick computes.
#pragma once

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

struct EngineState {
  // Tables of the current sample rate; immutable and shared by every instance at that rate.
  std::shared_ptr<const EngineTables> tables;

  Lfo vibratoLfo;
  Lfo pwmLfo;
  Lfo sampleHoldLfo;

  double lowPassModulation = 0;        // read by every voice's synthe filters
  double synthePitchModulation = 0;    // pitch units, added to the synthe oscillator
  double instrumentPitchModulation = 0;  // pitch units, added to the instrument oscillator
};

}  // namespace sorvel
