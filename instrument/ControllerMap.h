// Which parameter each MIDI controller drives: one entry for each controller below the channel
// mode messages, a parameter index or -1 for none.
#pragma once

#include <array>

#include "framework/MidiMessage.h"

namespace sorvel {

constexpr int kControllerCount = kFirstChannelModeController;
using ControllerMap = std::array<int, kControllerCount>;

// Parameter index that controller n drives, or -1.
inline int mappedParameter(const ControllerMap& map, int controller) {
  if (controller < 0 || controller >= kControllerCount) return -1;
  return map[static_cast<std::size_t>(controller)];
}

}  // namespace sorvel
