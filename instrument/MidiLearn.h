// The learn procedure that pairs a moved controller with a touched parameter in the controller
// map (or, in unlearn mode, clears either). Callers hold the plug-in lock.
#pragma once

#include "instrument/ControllerMap.h"

namespace sorvel {

class MidiLearn {
 public:
  // The map belongs to the configuration, which keeps it in the user's file.
  explicit MidiLearn(ControllerMap& map) : map_(map) {}

  // A click on the learn button: arms (or disarms) learning in the given mode.
  void arm(bool on, bool unlearnMode);
  void stop() { learning_ = false; }
  void captureController(int controller);
  void captureParameter(int index);
  // Pairs or clears once enough has been captured; ends learning when it did.
  void step();

  bool learning() const { return learning_; }
  bool unlearnMode() const { return unlearnMode_; }
  int capturedController() const { return capturedController_; }
  int capturedParameter() const { return capturedParameter_; }

 private:
  void unmapParameter(int index);

  ControllerMap& map_;
  bool learning_ = false;
  bool unlearnMode_ = false;
  int capturedController_ = -1;
  int capturedParameter_ = -1;
};

}  // namespace sorvel
