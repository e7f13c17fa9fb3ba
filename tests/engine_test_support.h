// Shared helpers of the engine tests: a host that records what the engine asks of it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/Engine.h"
#include "engine/EngineHost.h"
#include "engine/Random.h"

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

// What a voice shows of its envelopes, for the note-handling tests.
inline bool releasing(const Voice& v) { return v.releasing; }
inline int attackCount(const Voice& v) { return v.attacks; }
inline double startedPitch(const Voice& v) { return v.pitch; }

}  // namespace sorvel::test
