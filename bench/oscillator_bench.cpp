// The oscillator kernels alone at each vector level the processor has: one control period
// (44 samples at 44.1 kHz) per call, as a voice asks for them.
#include <benchmark/benchmark.h>

#include <vector>

#include "dsp/EngineTables.h"
#include "voice/OscillatorKernels.h"

namespace {

using namespace sorvel;

constexpr int kPeriod = 44;

// The kernels of the level the benchmark's argument names; null (the case skipped) when the
// processor does not have it.
const OscillatorKernels* kernelsAtLevel(benchmark::State& state) {
  const auto level = static_cast<VectorLevel>(state.range(0));
  if (level > vectorLevel()) {
    state.SkipWithError("level not on this processor");
    return nullptr;
  }
  return &oscillatorKernels(level);
}

template <typename Run>
void runAtLevel(benchmark::State& state, Run run) {
  const OscillatorKernels* found = kernelsAtLevel(state);
  if (found == nullptr) return;
  const OscillatorKernels& kernels = *found;
  const auto tables = EngineTables::forRate(44100);
  const double* table = tables->wave[2].data();
  std::vector<double> out(kPeriod);
  std::uint32_t phase = 0;
  constexpr std::uint32_t kStep = 0x40000;  // about 41 Hz at 44.1 kHz
  for (auto _ : state) {
    run(kernels, table, phase, kStep, out.data());
    phase = (phase + kPeriod * kStep) & 0x0FFFFFFF;
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kPeriod);
}

void BM_OscillatorSawtooth(benchmark::State& state) {
  runAtLevel(state, [](const OscillatorKernels& k, const double* table, std::uint32_t phase, std::uint32_t step,
                       double* out) { k.sawtooth(table, phase, step, 2, out, kPeriod); });
}
BENCHMARK(BM_OscillatorSawtooth)->DenseRange(0, 2);

void BM_OscillatorPulse(benchmark::State& state) {
  runAtLevel(state, [](const OscillatorKernels& k, const double* table, std::uint32_t phase, std::uint32_t step,
                       double* out) { k.pulse(table, phase, (phase - 0x300000) & 0x0FFFFFFF, step, 2, out, kPeriod); });
}
BENCHMARK(BM_OscillatorPulse)->DenseRange(0, 2);

void BM_OscillatorNoise(benchmark::State& state) {
  runAtLevel(state, [](const OscillatorKernels& k, const double*, std::uint32_t phase, std::uint32_t, double* out) {
    k.noise(phase, out, kPeriod);
  });
}
BENCHMARK(BM_OscillatorNoise)->DenseRange(0, 2);

}  // namespace

// Sixteen oscillators at sixteen pitches over eight table levels, read in turn as the voices of a
// patch are: most reads miss the first-level cache, which bounds the kernels more than arithmetic.
void BM_OscillatorSawtoothSixteenPitches(benchmark::State& state) {
  const OscillatorKernels* found = kernelsAtLevel(state);
  if (found == nullptr) return;
  const OscillatorKernels& kernels = *found;
  const auto tables = EngineTables::forRate(44100);
  constexpr int kOscillators = 16;
  std::vector<double> out(kPeriod * kOscillators);
  std::uint32_t phases[kOscillators] = {};
  for (auto _ : state) {
    for (int o = 0; o < kOscillators; ++o) {
      const std::uint32_t step = 0x4000u << (o / 2);  // a level per two oscillators
      kernels.sawtooth(tables->wave[static_cast<std::size_t>(o / 2 + 2)].data(), phases[o], step, 2, out.data() + o * kPeriod,
                       kPeriod);
      phases[o] = (phases[o] + kPeriod * step + static_cast<std::uint32_t>(o) * 977u) & 0x0FFFFFFF;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kPeriod * kOscillators);
}
BENCHMARK(BM_OscillatorSawtoothSixteenPitches)->DenseRange(0, 2);
