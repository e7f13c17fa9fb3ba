#include "tools/render/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace render {
namespace {
constexpr int kBarWidth = 40;
}

Progress::Progress(bool enabled, std::int64_t totalFrames)
    : enabled_(enabled && isatty(STDERR_FILENO) != 0), total_(std::max<std::int64_t>(totalFrames, 1)) {}

void Progress::update(std::int64_t frames) {
  if (!enabled_) return;
  const int percent = static_cast<int>(std::clamp<std::int64_t>(frames * 100 / total_, 0, 100));
  if (percent == shown_) return;
  shown_ = percent;
  const int filled = percent * kBarWidth / 100;
  std::fprintf(stderr, "\rrendering [%s%s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(),
               std::string(static_cast<std::size_t>(kBarWidth - filled), ' ').c_str(), percent);
  std::fflush(stderr);
}

void Progress::finish() {
  if (!enabled_ || shown_ < 0) return;
  std::fprintf(stderr, "\r%*s\r", kBarWidth + 16, "");
  std::fflush(stderr);
}

}  // namespace render
