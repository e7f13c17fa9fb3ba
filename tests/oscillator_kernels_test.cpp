// Every vector level's oscillator kernels give, to the bit, what the scalar kernels give, and
// write nothing past the samples asked for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "dsp/EngineTables.h"
#include "voice/OscillatorKernels.h"
#include "voice/VoiceOscillator.h"

namespace sorvel {
namespace {

constexpr double kUntouched = 12345.0;

std::vector<VectorLevel> vectorLevels() {
  std::vector<VectorLevel> levels;
  for (VectorLevel level : {VectorLevel::kAvx2, VectorLevel::kAvx512}) {
    if (level <= vectorLevel()) levels.push_back(level);
  }
  return levels;
}

// Runs a kernel for count samples into a buffer one longer, prefilled so that a stray write shows.
template <typename Run>
std::vector<double> output(int count, Run run) {
  std::vector<double> out(static_cast<std::size_t>(count) + 1, kUntouched);
  run(out.data(), count);
  return out;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(OscillatorKernels, SawtoothAndPulseMatchTheScalarKernels) {
  if (vectorLevels().empty()) GTEST_SKIP() << "no vector level on this processor";
  const auto tables = EngineTables::forRate(44100);
  const OscillatorKernels& scalar = oscillatorKernels(VectorLevel::kScalar);
  VoiceOscillator osc;
  osc.phase = 0x0FFFF000;  // wraps within the first samples
  for (double pitch : {30.0 * 128, 126.0 * 128}) {
    osc.updatePitch(pitch, *tables);
    const auto step = static_cast<std::uint32_t>(osc.increment);
    for (int shift = 0; shift <= 3; ++shift) {
      const double* table = tables->wave[static_cast<std::size_t>(std::min(osc.tableLevel + shift, 10))].data();
      for (VectorLevel level : vectorLevels()) {
        const OscillatorKernels& vector = oscillatorKernels(level);
        for (int count : {1, 3, 8, 13, 44, 45}) {
          auto saw = [&](const OscillatorKernels& k) {
            return output(count, [&](double* out, int n) { k.sawtooth(table, osc.phase, step, shift, out, n); });
          };
          EXPECT_TRUE(sameBits(saw(vector), saw(scalar))) << int(level) << " " << shift << " " << count;
          // Widths 0 and 1, one between, and ones outside 0..1 (equal phases, silence).
          for (double width : {0.0, 0.37, 1.0, -0.2, 1.5, double(NAN)}) {
            const std::uint32_t lagged = osc.laggedPhase(shift, width);
            auto pulse = [&](const OscillatorKernels& k) {
              return output(count, [&](double* out, int n) { k.pulse(table, osc.phase, lagged, step, shift, out, n); });
            };
            EXPECT_TRUE(sameBits(pulse(vector), pulse(scalar)))
                << int(level) << " " << shift << " " << count << " " << width;
          }
        }
      }
    }
  }
}

TEST(OscillatorKernels, NoiseMatchesTheScalarKernel) {
  const OscillatorKernels& scalar = oscillatorKernels(VectorLevel::kScalar);
  for (VectorLevel level : vectorLevels()) {
    for (std::uint32_t state : {1u, 0x80000001u, 0xDEADBEEFu}) {
      for (int count : {1, 5, 8, 44, 47}) {
        auto noise = [&](const OscillatorKernels& k) {
          return output(count, [&](double* out, int n) { k.noise(state, out, n); });
        };
        EXPECT_TRUE(sameBits(noise(oscillatorKernels(level)), noise(scalar))) << int(level) << " " << state << " " << count;
      }
    }
  }
}

}  // namespace
}  // namespace sorvel
