// Small value types shared by the editor, its controls and the window hosts.
#pragma once

#include <algorithm>

namespace sorvel {

// A rectangle in panel pixels: left and top inside, right and bottom just outside.
struct IRECT {
  int L = 0, T = 0, R = 0, B = 0;

  int W() const { return R - L; }
  int H() const { return B - T; }
  bool empty() const { return R <= L || B <= T; }
  bool contains(int x, int y) const { return x >= L && x < R && y >= T && y < B; }
  bool intersects(const IRECT& o) const { return !intersection(o).empty(); }
  IRECT intersection(const IRECT& o) const {
    return {std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B)};
  }
  // The smallest rectangle holding both; an empty side does not count.
  IRECT unionWith(const IRECT& o) const {
    if (empty()) return o;
    if (o.empty()) return *this;
    return {std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B)};
  }
  bool operator==(const IRECT&) const = default;
};

// Mouse buttons and modifier keys of a mouse event: left, right, shift, control, alt.
struct IMouseMod {
  bool L = false, R = false, S = false, C = false, A = false;
};

enum class CursorShape { Arrow, Hand, VerticalResize };

}  // namespace sorvel
