// One program: a name and its state chunk in the instrument's own layout.
#pragma once

#include <algorithm>
#include <string>

#include "framework/ByteChunk.h"

namespace sorvel {

struct IPreset {
  static constexpr std::size_t kMaxNameLength = 255;

  bool initialized = false;
  std::string name = "empty";
  ByteChunk chunk;

  void setName(const std::string& text) { name = text.substr(0, std::min(text.size(), kMaxNameLength)); }
};

}  // namespace sorvel
