// The chorus delays' glide over a block in closed form: when `delay += step` rounded at every
// sample equals delay + n x glide exactly, the block's taps follow from the delay at its start.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace sorvel {

// Whether count steps of `delay += step`, rounded at each step, are delay + n x glide exactly for
// one glide, with every delay of the run from 1 to below `limit` samples.
// Between two powers of two the doubles are the multiples of one grid step u; a delay on that
// grid plus the step rounds to the delay plus the step rounded to the grid, as long as the sum
// stays between those powers and the step is no tie between two grid points.
inline bool exactGlide(double delay, double step, int count, double limit, double& glide) {
  if (!(delay >= 1.0 && delay < 1e9) || !(std::fabs(step) < 1e9) || count < 1) return false;
  // The power of two at or below the delay, and the grid step 2^-52 of it.
  const std::uint64_t exponent = std::bit_cast<std::uint64_t>(delay) >> 52;
  const double lower = std::bit_cast<double>(exponent << 52);
  const double upper = 2.0 * lower;
  const double grid = lower * 0x1p-52;
  // 1 / grid, built from its exponent rather than divided.
  const double steps = step * std::bit_cast<double>((2098 - exponent) << 52);  // exact: a power of two
  if (!(std::fabs(steps) < 0x1p50)) return false;
  // Rounded to the nearest whole number, ties to even: exact below 2^51.
  const double whole = (steps + 0x1.8p52) - 0x1.8p52;
  if (std::fabs(steps - whole) == 0.5) return false;
  glide = whole * grid;
  const double last = delay + (count - 1) * glide;
  // One grid step of margin covers the rounding of these checks themselves.
  const double first = delay + step;
  const double final = last + step;
  if (std::min(first, final) < lower + grid || std::max(first, final) >= upper - grid) return false;
  return std::min(delay, last) >= 1.0 && std::max(delay, last) < limit;
}

// The first sample from `from` on whose delay has another whole part than `back`, or count: the
// delays of a run with an exact glide are exact and move one way.
inline int wholePartChange(double start, double glide, int back, int from, int count) {
  const auto changed = [&](int n) { return static_cast<int>(start + n * glide) != back; };
  if (glide == 0.0 || !changed(count - 1)) return count;
  const double estimate = ((glide > 0.0 ? back + 1.0 : static_cast<double>(back)) - start) / glide;
  int n = !(estimate > from) ? from : estimate >= count - 1 ? count - 1 : static_cast<int>(estimate);
  while (n > from && changed(n - 1)) --n;
  while (!changed(n)) ++n;
  return n;
}

// exactGlide for the three chorus delays at once, writing the glides only when all three are exact.
bool exactGlides(const double* delay, const double* step, int count, double limit, double* glide);
bool exactGlidesScalar(const double* delay, const double* step, int count, double limit, double* glide);
bool exactGlidesAvx2(const double* delay, const double* step, int count, double limit, double* glide);

}  // namespace sorvel
