// The instrument's side of the engine: its MIDI queue, walked at every control tick, its
// controller map and its microtuning client.
#pragma once

#include "engine/EngineHost.h"

namespace sorvel {

class Sorvel;

class SorvelEngineHost : public EngineHost {
 public:
  explicit SorvelEngineHost(Sorvel& owner) : owner_(owner) {}

  // Every queued event loses one control period from its offset; the events whose offset is no
  // longer positive are handled, in queue order, and leave the queue.
  void drainEvents(int controlPeriod) override;

  // Sets the parameter the controller is mapped to, unless it already holds the value.
  void controllerMoved(int controller, double normalised) override;

  // Microtuning, through the instance's client: only while a tuning master is online.
  bool tuningActive() override;
  bool noteFiltered(int note) override;
  double noteFrequency(int note) override;

 private:
  Sorvel& owner_;
};

}  // namespace sorvel
