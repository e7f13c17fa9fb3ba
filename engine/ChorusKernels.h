// The chorus's sample loops for a block whose delays glide in closed form (delay n = start +
// n x glide, exact): the lines' inputs and dry mix first, then each tap over runs where the delay's
// whole part and the read position move on by one per sample. Each vector kernel gives, to the bit,
// what the scalar loop gives.
#pragma once

namespace sorvel {

struct ChorusMix {
  const double* synthe;
  const double* instrument;
  double syntheWetLeft, syntheWetRight, instrumentWetLeft, instrumentWetRight;
  double syntheDryLeft, syntheDryRight, instrumentDryLeft, instrumentDryRight;
};

// For n in [from, to): the dry mix into left[n] and right[n]; with lines, each line's input into
// lines[k][n + shift].
void chorusWriteScalar(const ChorusMix& mix, double* const* lines, int shift, double* left, double* right, int from,
                       int to);

struct ChorusTap {
  const double* line;
  int shift;      // sample n reads line[n + shift] and line[n + shift + 1]
  double start;   // the delay at sample 0
  double glide;
  double whole;   // the delay's whole part, the same for every sample of the run
};

// For n in [from, to): out[n] += f x line[n + shift] + (1 - f) x line[n + shift + 1], f the
// delay's fraction; the same tap is added to out2[n] too when out2 is not null.
void chorusTapScalar(const ChorusTap& tap, double* out, double* out2, int from, int to);

// A whole block in one pass when nothing wraps or changes its whole part: for n in [from, to), the
// lines' inputs at lines[k][n + shift], then left[n] = dry + tap 0 + tap 2 and right[n] = dry +
// tap 1 + tap 2, in the serial loop's order. Every tap reads entries at least one sample back.
void chorusBlockScalar(const ChorusMix& mix, double* const* lines, int shift, const ChorusTap* taps, double* left,
                       double* right, int from, int to);

// A block whose lines are not written: for n in [from, to), left[n] = dryLeft[n] + tap 0 + tap 2
// and right[n] = dryRight[n] + tap 1 + tap 2, in the serial loop's order. Each tap's glide must be
// exact (see exactGlide) over the run.
void chorusCycleScalar(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left,
                       double* right, int from, int to);

// Samples from `from`: as many as the kernel's width divides (AVX2) or all (AVX-512, whose last
// step stores only some lanes); each returns where it stopped.
int chorusWriteAvx2(const ChorusMix& mix, double* const* lines, int shift, double* left, double* right, int from, int to);
int chorusWriteAvx512(const ChorusMix& mix, double* const* lines, int shift, double* left, double* right, int from,
                      int to);
int chorusTapAvx2(const ChorusTap& tap, double* out, double* out2, int from, int to);
int chorusTapAvx512(const ChorusTap& tap, double* out, double* out2, int from, int to);
int chorusBlockAvx2(const ChorusMix& mix, double* const* lines, int shift, const ChorusTap* taps, double* left,
                    double* right, int from, int to);
int chorusBlockAvx512(const ChorusMix& mix, double* const* lines, int shift, const ChorusTap* taps, double* left,
                      double* right, int from, int to);
int chorusCycleAvx2(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left, double* right,
                    int from, int to);
int chorusCycleAvx512(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left,
                      double* right, int from, int to);
// The same when every input repeats with a period that divides the kernel's width (4 for AVX2, 8
// for AVX-512): the entries are read once.
int chorusCycleRepeatingAvx2(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left,
                             double* right, int from, int to);
int chorusCycleRepeatingAvx512(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left,
                               double* right, int from, int to);

// The widest kernel the processor allows, then the scalar loop for the rest.
void chorusWrite(const ChorusMix& mix, double* const* lines, int shift, double* left, double* right, int from, int to);
void chorusTap(const ChorusTap& tap, double* out, double* out2, int from, int to);
void chorusBlock(const ChorusMix& mix, double* const* lines, int shift, const ChorusTap* taps, double* left,
                 double* right, int from, int to);
// period: that of the inputs, all of which repeat.
void chorusCycle(const double* dryLeft, const double* dryRight, const ChorusTap* taps, double* left, double* right,
                 int from, int to, int period);

}  // namespace sorvel
