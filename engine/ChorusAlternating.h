// The chorus fed by a Synthe bus that alternates between two values (and a silent Instrument
// bus), with each delay's glide in closed form: the sample loop of OutputStage's alternating mix.
// Each vector kernel gives, to the bit, what the scalar loop gives.
#pragma once

namespace sorvel {

struct AlternatingChorus {
  double start[3];       // the delays at the first sample
  double glide[3];       // exact per-sample change of each delay: delay n = start + n x glide
  double values[3][2];   // each line's entry from an even and from an odd sample
  double dryLeft[2];     // the dry mix of an even and of an odd sample
  double dryRight[2];
};

// Samples from..count-1 (from even), one at a time.
void chorusAlternatingScalar(const AlternatingChorus& chorus, double* left, double* right, int from, int count);

// Samples from 0: as many as the kernel's width divides (AVX2) or all of them (AVX-512, whose
// last step stores only some lanes); returns how many.
int chorusAlternatingAvx2(const AlternatingChorus& chorus, double* left, double* right, int count);
int chorusAlternatingAvx512(const AlternatingChorus& chorus, double* left, double* right, int count);

// The widest kernel the processor allows, then the scalar loop for the rest.
void chorusAlternating(const AlternatingChorus& chorus, double* left, double* right, int count);

}  // namespace sorvel
