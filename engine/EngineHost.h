// What the engine needs from the instrument around it: its MIDI queue, its controller map and
// its microtuning connection.
#pragma once

namespace sorvel {

class EngineHost {
 public:
  virtual ~EngineHost() = default;

  // Called at each control tick before the global modulation: every queued event loses
  // controlPeriod from its offset and is handed to Engine::handleEvent once its offset is no
  // longer positive.
  virtual void drainEvents(int controlPeriod) = 0;

  // A controller other than 1 and 64 moved: the instrument looks it up in its controller map
  // and sets the mapped parameter.
  virtual void controllerMoved(int controller, double normalised) = 0;

  // Microtuning: whether a note is to be dropped, whether a tuning is connected, and the
  // frequency in hertz of a note under that tuning.
  virtual bool noteFiltered(int /*note*/) { return false; }
  virtual bool tuningActive() { return false; }
  virtual double noteFrequency(int /*note*/) { return 0.0; }
};

}  // namespace sorvel
