#include "dsp/EngineTables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <numbers>

#include "dsp/Conversions.h"
#include "dsp/SawtoothTable.h"

namespace sorvel {

namespace {

constexpr double kPi = std::numbers::pi;

// Semitone k (0 to 135) upward from pitch 0: 440 x 2^((k - 69) / 12) to three decimals; entries
// 124 to 127 carry the instrument's own rounded values.
constexpr double kUpwardFrequency[kSemitoneTableSize] = {
    8.176, 8.662, 9.177, 9.723, 10.301, 10.913, 11.562, 12.25, 12.978, 13.75,
    14.568, 15.434, 16.352, 17.324, 18.354, 19.445, 20.602, 21.827, 23.125, 24.5,
    25.957, 27.5, 29.135, 30.868, 32.703, 34.648, 36.708, 38.891, 41.203, 43.654,
    46.249, 48.999, 51.913, 55.0, 58.27, 61.735, 65.406, 69.296, 73.416, 77.782,
    82.407, 87.307, 92.499, 97.999, 103.826, 110.0, 116.541, 123.471, 130.813, 138.591,
    146.832, 155.563, 164.814, 174.614, 184.997, 195.998, 207.652, 220.0, 233.082, 246.942,
    261.626, 277.183, 293.665, 311.127, 329.628, 349.228, 369.994, 391.995, 415.305, 440.0,
    466.164, 493.883, 523.251, 554.365, 587.33, 622.254, 659.255, 698.456, 739.989, 783.991,
    830.609, 880.0, 932.328, 987.767, 1046.502, 1108.731, 1174.659, 1244.508, 1318.51, 1396.913,
    1479.978, 1567.982, 1661.219, 1760.0, 1864.655, 1975.533, 2093.005, 2217.461, 2349.318, 2489.016,
    2637.02, 2793.826, 2959.955, 3135.963, 3322.438, 3520.0, 3729.31, 3951.066, 4186.009, 4434.922,
    4698.636, 4978.032, 5274.041, 5587.652, 5919.911, 6271.927, 6644.875, 7040.0, 7458.62, 7902.133,
    8372.018, 8869.844, 9397.273, 9956.063, 10548.08, 11175.3, 11839.82, 12543.85, 13289.75, 14080.0,
    14917.24, 15804.266, 16744.036, 17739.688, 18794.545, 19912.127,
};

// Semitone k downward from pitch 0: 8.176 x 2^(-k / 12) to ten decimals.
constexpr double kDownwardFrequency[kSemitoneTableSize] = {
    8.176, 7.7171163805, 7.2839879195, 6.8751690911, 6.4892955004, 6.1250793303,
    5.781305043, 5.4568253238, 5.150557252, 4.8614786861, 4.5886248535, 4.3310851297,
    4.088, 3.8585581902, 3.6419939598, 3.4375845456, 3.2446477502, 3.0625396651,
    2.8906525215, 2.7284126619, 2.575278626, 2.4307393431, 2.2943124267, 2.1655425649,
    2.044, 1.9292790951, 1.8209969799, 1.7187922728, 1.6223238751, 1.5312698326,
    1.4453262607, 1.364206331, 1.287639313, 1.2153696715, 1.1471562134, 1.0827712824,
    1.022, 0.9646395476, 0.9104984899, 0.8593961364, 0.8111619376, 0.7656349163,
    0.7226631304, 0.6821031655, 0.6438196565, 0.6076848358, 0.5735781067, 0.5413856412,
    0.511, 0.4823197738, 0.455249245, 0.4296980682, 0.4055809688, 0.3828174581,
    0.3613315652, 0.3410515827, 0.3219098282, 0.3038424179, 0.2867890533, 0.2706928206,
    0.2555, 0.2411598869, 0.2276246225, 0.2148490341, 0.2027904844, 0.1914087291,
    0.1806657826, 0.1705257914, 0.1609549141, 0.1519212089, 0.1433945267, 0.1353464103,
    0.12775, 0.1205799434, 0.1138123112, 0.107424517, 0.1013952422, 0.0957043645,
    0.0903328913, 0.0852628957, 0.0804774571, 0.0759606045, 0.0716972633, 0.0676732052,
    0.063875, 0.0602899717, 0.0569061556, 0.0537122585, 0.0506976211, 0.0478521823,
    0.0451664456, 0.0426314478, 0.0402387285, 0.0379803022, 0.0358486317, 0.0338366026,
    0.0319375, 0.0301449859, 0.0284530778, 0.0268561293, 0.0253488105, 0.0239260911,
    0.0225832228, 0.0213157239, 0.0201193643, 0.0189901511, 0.0179243158, 0.0169183013,
    0.01596875, 0.0150724929, 0.0142265389, 0.0134280646, 0.0126744053, 0.0119630456,
    0.0112916114, 0.010657862, 0.0100596821, 0.0094950756, 0.0089621579, 0.0084591506,
    0.007984375, 0.0075362465, 0.0071132695, 0.0067140323, 0.0063372026, 0.0059815228,
    0.0056458057, 0.005328931, 0.0050298411, 0.0047475378, 0.004481079, 0.0042295753,
    0.0039921875, 0.0037681232, 0.0035566347, 0.0033570162,
};

// Interpolates one of the semitone tables at a non-negative pitch below kTopPitch.
double interpolate(const double* table, double pitch) {
  const int k = static_cast<int>(pitch / 128.0);
  const double fraction = (pitch - k * 128.0) / 128.0;
  return table[k] + (table[k + 1] - table[k]) * fraction;
}

// The wave tables do not depend on the sample rate: built with the plug-in, copied into every
// rate's tables.
const std::array<std::vector<double>, kWaveTableCount>& sawtoothTables() {
  static const std::array<std::vector<double>, kWaveTableCount> tables = [] {
    std::array<std::vector<double>, kWaveTableCount> built;
    for (int t = 0; t < kWaveTableCount; ++t) built[t].assign(kSawtoothTables[t], kSawtoothTables[t] + kWaveTableSize);
    return built;
  }();
  return tables;
}

std::shared_ptr<const EngineTables> build(double sampleRate) {
  auto tables = std::make_shared<EngineTables>();
  tables->sampleRate = sampleRate;
  tables->pitchIncrement.resize(kPitchTableSize);
  tables->cutoff.resize(kPitchTableSize);
  for (int p = 0; p < kPitchTableSize; ++p) {
    const double frequency = pitchToFrequency(p);
    // Held inside the int range: a very low rate would overflow the 28-bit phase step anyway.
    tables->pitchIncrement[p] = truncateToInt(frequency * 268435456.0 / sampleRate);
    // Reached only below about 40.6 kHz, where the highest pitches lie near or past half the rate.
    tables->cutoff[p] = std::tan(kPi * std::min(frequency, kHighestCutoffShare * sampleRate) / sampleRate);
  }
  tables->wave = sawtoothTables();
  return tables;
}

}  // namespace

double pitchToFrequency(double p) {
  if (!(p == p)) return kUpwardFrequency[0];
  if (p == 0) return kUpwardFrequency[0];
  if (p > 0) {
    if (p >= kTopPitch) return kUpwardFrequency[kSemitoneTableSize - 1];
    return interpolate(kUpwardFrequency, p);
  }
  if (p <= -kTopPitch) return kDownwardFrequency[kSemitoneTableSize - 1];
  return interpolate(kDownwardFrequency, -p);
}

double frequencyToPitch(double hz) {
  int p = 8640;
  int step = 8640;
  do {
    const double frequency = pitchToFrequency(p);
    step /= 2;
    if (hz < frequency) {
      p -= step;
    } else if (hz > frequency) {
      p += step;
    } else {
      break;
    }
  } while (step != 0);
  return p;
}

const double* sineTable() {
  static const std::vector<double> table = [] {
    std::vector<double> built(kWaveTableSize);
    for (int i = 0; i < kWaveTableSize; ++i) built[i] = std::sin(2.0 * kPi * i / 4096.0);
    return built;
  }();
  return table.data();
}

std::shared_ptr<const EngineTables> EngineTables::forRate(double sampleRate) {
  if (!std::isfinite(sampleRate) || sampleRate <= 0) sampleRate = 44100.0;
  static std::mutex mutex;
  static std::map<double, std::shared_ptr<const EngineTables>> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = cache.find(sampleRate);
  if (found != cache.end()) return found->second;
  // Rates nobody uses any more are dropped so that a host cycling through rates stays small.
  for (auto it = cache.begin(); it != cache.end();) {
    if (it->second.use_count() == 1) {
      it = cache.erase(it);
    } else {
      ++it;
    }
  }
  auto tables = build(sampleRate);
  cache.emplace(sampleRate, tables);
  return tables;
}

}  // namespace sorvel
