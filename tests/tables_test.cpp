#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <cstring>
#include <thread>
#include <vector>

#include "dsp/EngineTables.h"
#include "dsp/SawtoothTable.h"

namespace sorvel {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(TablesFrequency, FixedPoints) {
  EXPECT_EQ(pitchToFrequency(0), 8.176);
  EXPECT_EQ(pitchToFrequency(69 * 128), 440.0);
  EXPECT_EQ(pitchToFrequency(60 * 128), 261.626);
  EXPECT_EQ(pitchToFrequency(17280), 19912.127);
  EXPECT_EQ(pitchToFrequency(17279.5), 19912.127 - (19912.127 - 18794.545) * (0.5 / 128.0));
  EXPECT_EQ(pitchToFrequency(30000), 19912.127);
  EXPECT_EQ(pitchToFrequency(1e300), 19912.127);
}

TEST(TablesFrequency, SpecialEntries124To127) {
  EXPECT_EQ(pitchToFrequency(123 * 128), 9956.063);
  EXPECT_EQ(pitchToFrequency(124 * 128), 10548.08);
  EXPECT_EQ(pitchToFrequency(125 * 128), 11175.3);
  EXPECT_EQ(pitchToFrequency(126 * 128), 11839.82);
  EXPECT_EQ(pitchToFrequency(127 * 128), 12543.85);
  EXPECT_EQ(pitchToFrequency(128 * 128), 13289.75);
}

TEST(TablesFrequency, InterpolatesLinearlyInsideASemitone) {
  const double a = pitchToFrequency(69 * 128);
  const double b = pitchToFrequency(70 * 128);
  EXPECT_EQ(b, 466.164);
  EXPECT_EQ(pitchToFrequency(69 * 128 + 32), a + (b - a) * (32.0 / 128.0));
  EXPECT_EQ(pitchToFrequency(1), 8.176 + (8.662 - 8.176) * (1.0 / 128.0));
  // Fractional pitches interpolate too.
  EXPECT_EQ(pitchToFrequency(64.5), 8.176 + (8.662 - 8.176) * (64.5 / 128.0));
}

TEST(TablesFrequency, NegativeSideUsesDownwardTable) {
  EXPECT_EQ(pitchToFrequency(-128), 7.7171163805);
  EXPECT_EQ(pitchToFrequency(-12 * 128), 4.088);
  EXPECT_EQ(pitchToFrequency(-64), 8.176 + (7.7171163805 - 8.176) * 0.5);
  EXPECT_EQ(pitchToFrequency(-17280), 0.0033570162);
  EXPECT_EQ(pitchToFrequency(-17279), 0.0035566347 + (0.0033570162 - 0.0035566347) * (127.0 / 128.0));
  EXPECT_EQ(pitchToFrequency(-1e9), 0.0033570162);
}

TEST(TablesFrequency, NonFiniteInputIsSafe) {
  EXPECT_EQ(pitchToFrequency(std::nan("")), 8.176);
  EXPECT_EQ(pitchToFrequency(INFINITY), 19912.127);
  EXPECT_EQ(pitchToFrequency(-INFINITY), 0.0033570162);
}

TEST(TablesFrequency, MonotonicOverTheWholeRange) {
  double previous = pitchToFrequency(-17280);
  for (int p = -17279; p <= 17280; ++p) {
    const double f = pitchToFrequency(p);
    ASSERT_GE(f, previous) << "pitch " << p;
    previous = f;
  }
}

TEST(TablesPitchSearch, FindsThePitchOfAFrequency) {
  // 440 Hz lies exactly on note 69; the search reaches it.
  EXPECT_EQ(frequencyToPitch(440.0), 69 * 128);
  for (double hz : {27.5, 100.0, 261.626, 1000.0, 5000.0}) {
    const double p = frequencyToPitch(hz);
    EXPECT_GE(p, 1);
    EXPECT_LE(p, 17279);
    EXPECT_NEAR(pitchToFrequency(p), hz, (pitchToFrequency(p + 1) - pitchToFrequency(p)) * 2) << hz;
  }
}

TEST(TablesPitchSearch, OutOfRangeAndNonFiniteStayInRange) {
  for (double hz : {0.0, -5.0, 1.0, 25000.0, 1e12, double(NAN), double(INFINITY)}) {
    const double p = frequencyToPitch(hz);
    EXPECT_GE(p, 1) << hz;
    EXPECT_LE(p, 17279) << hz;
  }
  EXPECT_EQ(frequencyToPitch(NAN), 8640);
}

TEST(TablesRate, PitchIncrementAndCutoffEntries) {
  auto tables = EngineTables::forRate(44100);
  ASSERT_EQ(tables->pitchIncrement.size(), 17281u);
  ASSERT_EQ(tables->cutoff.size(), 17281u);
  EXPECT_EQ(tables->sampleRate, 44100);
  EXPECT_EQ(tables->pitchIncrement[69 * 128], static_cast<int32_t>(440.0 * 268435456.0 / 44100.0));
  EXPECT_EQ(tables->pitchIncrement[69 * 128], 2678267);
  EXPECT_EQ(tables->pitchIncrement[0], static_cast<int32_t>(8.176 * 268435456.0 / 44100.0));
  EXPECT_EQ(tables->pitchIncrement[17280], static_cast<int32_t>(19912.127 * 268435456.0 / 44100.0));
  EXPECT_EQ(tables->cutoff[69 * 128], std::tan(kPi * 440.0 / 44100.0));
  EXPECT_EQ(tables->cutoff[100], std::tan(kPi * pitchToFrequency(100) / 44100.0));
}

TEST(TablesRate, EachRateHasItsOwnSharedTables) {
  auto a = EngineTables::forRate(44100);
  auto b = EngineTables::forRate(48000);
  auto c = EngineTables::forRate(44100);
  EXPECT_EQ(a.get(), c.get());
  EXPECT_NE(a.get(), b.get());
  EXPECT_EQ(b->sampleRate, 48000);
  EXPECT_EQ(b->pitchIncrement[69 * 128], static_cast<int32_t>(440.0 * 268435456.0 / 48000.0));
  // Building the 48 kHz tables left the 44.1 kHz ones untouched.
  EXPECT_EQ(a->pitchIncrement[69 * 128], 2678267);
}

TEST(TablesRate, InvalidRatesGetUsableTables) {
  for (double rate : {0.0, -1.0, double(NAN), double(INFINITY)}) {
    auto t = EngineTables::forRate(rate);
    EXPECT_EQ(t->sampleRate, 44100) << rate;
  }
  // A very low rate does not overflow the increment table.
  auto low = EngineTables::forRate(100);
  EXPECT_EQ(low->pitchIncrement[17280], 2147483647);
}

TEST(TablesRate, ConcurrentCallersShareOneBuild) {
  std::vector<std::shared_ptr<const EngineTables>> got(4);
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) threads.emplace_back([&got, i] { got[i] = EngineTables::forRate(32000); });
  for (auto& t : threads) t.join();
  for (int i = 1; i < 4; ++i) EXPECT_EQ(got[i].get(), got[0].get());
}

// Amplitude of harmonic h of one table period (a pure sine series, so only sine terms).
double sineHarmonic(const std::vector<double>& table, int h) {
  double sum = 0;
  for (int i = 0; i < 4096; ++i) sum += table[i] * std::sin(2.0 * kPi * h * i / 4096.0);
  return sum * 2.0 / 4096.0;
}

TEST(TablesWave, HarmonicContentPerTable) {
  auto tables = EngineTables::forRate(44100);
  for (int t = 0; t < 11; ++t) {
    const auto& wave = tables->wave[t];
    ASSERT_EQ(wave.size(), 4096u);
    const int harmonics = 1 << (10 - t);
    EXPECT_NEAR(sineHarmonic(wave, 1), 0.5, 1e-9) << t;
    if (harmonics >= 2) {
      EXPECT_NEAR(sineHarmonic(wave, 2), (0.54 + 0.46 * std::cos(kPi / 2.0 / (harmonics - 1))) * 0.25, 1e-9)
          << t;
      // The top harmonic has the raised cosine at its lowest point.
      EXPECT_NEAR(sineHarmonic(wave, harmonics), 0.27 / harmonics, 1e-9) << t;
    }
    if (harmonics < 2048) {
      EXPECT_NEAR(sineHarmonic(wave, harmonics + 1), 0.0, 1e-9) << t;
    }
  }
}

TEST(TablesWave, TopTableIsHalfAmplitudeSine) {
  auto tables = EngineTables::forRate(44100);
  for (int i = 0; i < 4096; i += 37) EXPECT_EQ(tables->wave[10][i], 0.5 * std::sin(2.0 * kPi * i / 4096.0));
}

// The tables the plug-in carries are those the sawtooth arithmetic gives here, to the bit.
TEST(TablesWave, CarriedTablesMatchTheArithmetic) {
  auto tables = EngineTables::forRate(44100);
  std::vector<double> built(4096);
  for (int t = 0; t < 11; ++t) {
    buildSawtooth(built.data(), 1 << (10 - t));
    EXPECT_TRUE(std::memcmp(built.data(), tables->wave[t].data(), 4096 * sizeof(double)) == 0) << t;
  }
}

TEST(TablesSine, Entries) {
  const double* sine = sineTable();
  EXPECT_EQ(sine[0], 0.0);
  EXPECT_EQ(sine[1024], 1.0);
  EXPECT_NEAR(sine[2048], 0.0, 1e-15);
  EXPECT_EQ(sine[3072], -1.0);
  EXPECT_EQ(sine[5], std::sin(2.0 * kPi * 5 / 4096.0));
  EXPECT_EQ(sineTable(), sine);
}

}  // namespace
}  // namespace sorvel
