// The chorus delays' glide over a block in closed form: when `delay += step` rounded at every
// sample equals delay + n x glide exactly, the block's taps follow from the delay at its start.
#pragma once

namespace sorvel {

// Whether count steps of `delay += step`, rounded at each step, are delay + n x glide exactly for
// one glide, with every delay of the run from 1 to below `limit` samples.
bool exactGlide(double delay, double step, int count, double limit, double& glide);

// The first sample from `from` on whose delay has another whole part than `back`, or count: the
// delays of a run with an exact glide are exact and move one way.
int wholePartChange(double start, double glide, int back, int from, int count);

}  // namespace sorvel
