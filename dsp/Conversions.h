// Float-to-int conversions that never see a value outside the int range: a value that is not a
// number becomes 0, and out-of-range values are held at the nearest int.
#pragma once

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>

namespace sorvel {

inline int truncateToInt(double x) {
  if (!(x == x)) return 0;
  if (x >= 2147483647.0) return INT_MAX;
  if (x <= -2147483648.0) return INT_MIN;
  return static_cast<int>(x);
}

inline int floorToInt(double x) { return truncateToInt(std::floor(x)); }

// The same double to the bit: tells -0.0 from 0.0, and a not-a-number equals itself.
inline bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// A value that is not finite becomes the fallback.
inline double finiteOr(double x, double fallback) { return std::isfinite(x) ? x : fallback; }

}  // namespace sorvel
