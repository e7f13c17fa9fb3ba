#include "instrument/MidiLearn.h"

namespace sorvel {

void MidiLearn::arm(bool on, bool unlearnMode) {
  capturedController_ = -1;
  capturedParameter_ = -1;
  unlearnMode_ = unlearnMode;
  learning_ = on;
}

void MidiLearn::captureController(int controller) {
  capturedController_ = controller;
  step();
}

void MidiLearn::captureParameter(int index) {
  capturedParameter_ = index;
  step();
}

void MidiLearn::unmapParameter(int index) {
  for (int& entry : map_) {
    if (entry == index) entry = -1;
  }
}

void MidiLearn::step() {
  if (!learning_) return;
  const bool haveController = capturedController_ >= 0 && capturedController_ < kControllerCount;
  const bool haveParameter = capturedParameter_ >= 0;
  if (!unlearnMode_) {
    if (haveController && haveParameter) {
      unmapParameter(capturedParameter_);  // a parameter follows one controller at most
      map_[static_cast<std::size_t>(capturedController_)] = capturedParameter_;
      learning_ = false;
    }
  } else if (haveController || haveParameter) {
    if (haveController) {
      map_[static_cast<std::size_t>(capturedController_)] = -1;
    } else {
      unmapParameter(capturedParameter_);
    }
    learning_ = false;
    unlearnMode_ = false;
  }
}

}  // namespace sorvel
