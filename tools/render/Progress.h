// A progress bar on a terminal for long renders; nothing at all when standard error is not one.
#pragma once

#include <cstdint>

namespace render {

class Progress {
 public:
  Progress(bool enabled, std::int64_t totalFrames);
  // Redraws only when the shown percentage changes: at most a hundred writes per render.
  void update(std::int64_t frames);
  void finish();

 private:
  bool enabled_;
  std::int64_t total_;
  int shown_ = -1;
};

}  // namespace render
