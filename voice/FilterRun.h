// Shared pieces of the recursive filters' per-sample loops: the denormal guard and the block
// loops, alone or two filters interleaved (independent chains overlap in the CPU).
#pragma once

#include <cmath>

namespace sorvel {

// A value that is not a number is cleared; any other gets the alternating guard offset.
inline double guarded(double value, double guard) { return std::isnan(value) ? 0.0 : value + guard; }

// Run is a filter's coefficients and state held in locals: constructed from the filter, step() per
// sample, store() writes the state back once at the end of the block.
template <typename Run, typename State>
void processBlock(State& filter, double* values, int count) {
  Run run(filter);
  for (int i = 0; i < count; ++i) values[i] = run.step(values[i]);
  run.store(filter);
}

template <typename Run, typename State>
void processBlockPair(State& a, double* valuesA, State& b, double* valuesB, int count) {
  Run runA(a), runB(b);
  for (int i = 0; i < count; ++i) {
    valuesA[i] = runA.step(valuesA[i]);
    valuesB[i] = runB.step(valuesB[i]);
  }
  runA.store(a);
  runB.store(b);
}

}  // namespace sorvel
