#include "dsp/SawtoothTable.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace sorvel {

void buildSawtooth(double* table, int harmonics) {
  constexpr double kPi = std::numbers::pi;
  std::vector<double> weight(static_cast<std::size_t>(harmonics) + 1, 0.0);
  for (int j = 2; j <= harmonics; ++j) {
    weight[j] = (0.54 + 0.46 * std::cos((j - 1) * (kPi / 2.0) / (harmonics - 1))) * 0.5 / j;
  }
  for (int i = 0; i < kSawtoothTableSize; ++i) {
    const double x = 2.0 * kPi * i / 4096.0;
    double value = 0.5 * std::sin(x);
    for (int j = 2; j <= harmonics; ++j) value += weight[j] * std::sin(j * x);
    table[i] = value;
  }
}

}  // namespace sorvel
