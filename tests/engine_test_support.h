// Shared helpers of the engine tests: a host that records what the engine asks of it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "dsp/Random.h"
#include "engine/Engine.h"
#include "engine/EngineHost.h"

namespace sorvel::test {

class RecordingHost : public EngineHost {
 public:
  void drainEvents(int controlPeriod) override {
    ++drains;
    lastPeriod = controlPeriod;
  }
  void controllerMoved(int controller, double normalised) override {
    controllers.emplace_back(controller, normalised);
  }
  bool noteFiltered(int note) override { return filteredNote == note; }
  bool tuningActive() override { return tuning; }
  double noteFrequency(int note) override { return tuning ? frequencyOfNote : 0.0 * note; }

  int drains = 0;
  int lastPeriod = 0;
  std::vector<std::pair<int, double>> controllers;
  bool tuning = false;
  int filteredNote = -1;
  double frequencyOfNote = 440.0;
};

inline void noteOn(Engine& engine, EngineHost& host, int note, int velocity = 100) {
  engine.handleEvent(0x90, static_cast<std::uint8_t>(note), static_cast<std::uint8_t>(velocity), host);
}

inline void noteOff(Engine& engine, EngineHost& host, int note) {
  engine.handleEvent(0x80, static_cast<std::uint8_t>(note), 0, host);
}

inline void controller(Engine& engine, EngineHost& host, int number, int value) {
  engine.handleEvent(0xB0, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(value), host);
}

// Both process-wide generators back at their start value, so a test sees known draws.
inline void restartGenerators() {
  lfoRandom().setState(1);
  noiseRandom().setState(1);
}

}  // namespace sorvel::test

namespace sorvel::test {

// Every envelope of the voice is in its release stage.
inline bool releasing(const Voice& v) {
  for (int c = 0; c < kChannelCount; ++c) {
    if (v.channel(c).envelope.state != Envelope::kRelease) return false;
  }
  return true;
}

// Every envelope of the voice is in the given stage.
inline bool allEnvelopesIn(const Voice& v, int state) {
  for (int c = 0; c < kChannelCount; ++c) {
    if (v.channel(c).envelope.state != state) return false;
  }
  return true;
}

inline double startedPitch(const Voice& v) { return v.targetPitch(); }

}  // namespace sorvel::test
