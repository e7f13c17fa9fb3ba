// Second-order sections, the dual filter and the resonant channel filter: measured responses,
// not-a-number recovery, table-index edges and scratch reuse.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "dsp/EngineTables.h"
#include "tests/alloc_counter.h"
#include "voice/ChannelFilter.h"
#include "voice/DualFilter.h"
#include "voice/Filter.h"

namespace sorvel {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRate = 44100;

// Gain of a filter at frequency hz: a sine is run through it and the settled output is
// correlated with sine and cosine at that frequency.
template <typename Process>
double measureGain(Process process, double hz, double rate = kRate) {
  const int settle = 20000, length = 44100;
  std::vector<double> x(settle + length);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = std::sin(2 * kPi * hz * i / rate);
  // Blocks of 44 as the voice runs them.
  for (std::size_t start = 0; start < x.size(); start += 44) {
    process(x.data() + start, static_cast<int>(std::min<std::size_t>(44, x.size() - start)));
  }
  double s = 0, c = 0;
  for (int i = settle; i < settle + length; ++i) {
    s += x[i] * std::sin(2 * kPi * hz * i / rate);
    c += x[i] * std::cos(2 * kPi * hz * i / rate);
  }
  return 2.0 * std::hypot(s, c) / length;
}

template <typename F>
F section(double hz, double quality) {
  F f;
  f.lower = 2 * kPi * 8 / kRate;
  f.upper = 2 * kPi * 8000 / kRate;
  f.quality = quality;
  f.cutoff = 2 * kPi * hz / kRate;
  f.computeCoefficients();
  return f;
}

TEST(FilterBiquad, LowPassResponse) {
  auto f = section<LowPass>(1000, 0.707);
  auto run = [&f](double* v, int n) { f.process(v, n); };
  EXPECT_NEAR(measureGain(run, 50), 1.0, 0.01);
  f.clearState();
  EXPECT_NEAR(measureGain(run, 1000), 0.707, 0.005);  // gain at the cutoff is Q
  f.clearState();
  EXPECT_LT(measureGain(run, 10000), 0.015);
}

TEST(FilterBiquad, HighPassResponse) {
  auto f = section<HighPass>(1000, 2.0);
  auto run = [&f](double* v, int n) { f.process(v, n); };
  EXPECT_LT(measureGain(run, 50), 0.01);
  f.clearState();
  EXPECT_NEAR(measureGain(run, 1000), 2.0, 0.01);
  f.clearState();
  EXPECT_NEAR(measureGain(run, 15000), 1.0, 0.05);
}

// |H| of a section from its coefficients, numerator b0 (1 + z^-2) + b1 z^-1.
double analyticGain(const Biquad& f, double hz) {
  const std::complex<double> z1 = std::polar(1.0, -2 * kPi * hz / kRate);
  const std::complex<double> z2 = z1 * z1;
  return std::abs((f.b0 * (1.0 + z2) + f.b1 * z1) / (1.0 - f.a1 * z1 - f.a2 * z2));
}

TEST(FilterBiquad, BandPassHasAZeroAtAQuarterOfTheRate) {
  auto f = section<BandPass>(2000, 0.55);
  EXPECT_EQ(f.b1, 0.0);
  auto run = [&f](double* v, int n) { f.process(v, n); };
  for (double hz : {200.0, 2000.0, 6000.0, 15000.0}) {
    f.clearState();
    EXPECT_NEAR(measureGain(run, hz), analyticGain(f, hz), 1e-3 * analyticGain(f, hz) + 1e-6) << hz;
  }
  f.clearState();
  EXPECT_LT(measureGain(run, kRate / 4), 1e-6);
  // With 1 + z^-2 on top, DC passes: 2 b0 / (1 - a1 - a2).
  f.clearState();
  std::vector<double> dc(40000, 1.0);
  f.process(dc.data(), static_cast<int>(dc.size()));
  EXPECT_NEAR(dc.back(), 2 * f.b0 / (1 - f.a1 - f.a2), 1e-9);
}

TEST(FilterBiquad, MeasuredResponsesMatchTheCoefficients) {
  auto low = section<LowPass>(3000, 0.55);
  auto high = section<HighPass>(300, 7.3);
  auto runLow = [&low](double* v, int n) { low.process(v, n); };
  auto runHigh = [&high](double* v, int n) { high.process(v, n); };
  for (double hz : {100.0, 300.0, 1000.0, 3000.0, 9000.0}) {
    low.clearState();
    high.clearState();
    EXPECT_NEAR(measureGain(runLow, hz), analyticGain(low, hz), 1e-3 * analyticGain(low, hz) + 1e-6) << hz;
    EXPECT_NEAR(measureGain(runHigh, hz), analyticGain(high, hz), 1e-3 * analyticGain(high, hz) + 1e-6) << hz;
  }
}

TEST(FilterBiquad, CutoffIsHeldBelowTheUpperLimitButNotAboveTheLower) {
  auto high = section<LowPass>(15000, 0.55);
  auto atLimit = section<LowPass>(8000, 0.55);
  EXPECT_EQ(high.a1, atLimit.a1);
  EXPECT_EQ(high.b0, atLimit.b0);
  auto low = section<LowPass>(2, 0.55);
  auto atLower = section<LowPass>(8, 0.55);
  EXPECT_NE(low.b0, atLower.b0);
  LowPass broken = section<LowPass>(1000, 0.55);
  broken.cutoff = NAN;
  broken.computeCoefficients();
  EXPECT_TRUE(std::isfinite(broken.a1) && std::isfinite(broken.b0));
}

TEST(FilterBiquad, NotANumberInputOrStateRecoversAtOnce) {
  auto f = section<LowPass>(1000, 0.55);
  std::vector<double> v(64, 0.5);
  v[10] = NAN;
  f.process(v.data(), 64);
  for (double x : v) EXPECT_TRUE(std::isfinite(x));
  f.y1 = NAN;
  f.x2 = NAN;
  std::vector<double> w(64, 0.5);
  f.process(w.data(), 64);
  for (double x : w) EXPECT_TRUE(std::isfinite(x));
}

TEST(FilterBiquad, DenormalGuardAlternatesAndKeepsStateNormal) {
  auto f = section<LowPass>(100, 0.55);
  std::vector<double> v(1, 1.0);
  f.process(v.data(), 1);
  EXPECT_EQ(f.offset, -1e-13);
  std::vector<double> silence(100001, 0.0);
  f.process(silence.data(), static_cast<int>(silence.size()));
  EXPECT_EQ(f.offset, 1e-13);
  EXPECT_TRUE(f.y1 == 0.0 || std::fpclassify(f.y1) == FP_NORMAL);
}

TEST(FilterDual, MixWeights) {
  DualFilter d;
  d.setup(kRate);
  EXPECT_EQ(d.lowWeight, 0.0);
  EXPECT_EQ(d.bandWeight, 0.0);
  d.setMix(0.25);
  EXPECT_EQ(d.lowWeight, 0.75);
  EXPECT_EQ(d.bandWeight, 0.25);
  d.setMix(-3);
  EXPECT_EQ(d.lowWeight, 1.0);
  EXPECT_EQ(d.bandWeight, 0.0);
  d.setMix(1.5);
  EXPECT_EQ(d.lowWeight, 0.0);
  EXPECT_EQ(d.bandWeight, 1.0);
  d.setMix(NAN);
  EXPECT_EQ(d.lowWeight, 1.0);
}

TEST(FilterDual, OutputIsTheWeightedSumOfBothSections) {
  DualFilter d;
  d.setup(kRate);
  d.setLowCutoff(0.3);
  d.setBandCutoff(0.6);
  d.setMix(0.25);
  EXPECT_EQ(d.lowPass.cutoff, d.lowPass.lower + (d.lowPass.upper - d.lowPass.lower) * (0.3 * 0.3));
  EXPECT_EQ(d.bandPass.cutoff, d.bandPass.lower + (d.bandPass.upper - d.bandPass.lower) * (0.6 * 0.6));
  EXPECT_EQ(d.lowPass.quality, 0.55);
  EXPECT_EQ(d.bandPass.quality, 0.55);
  LowPass low = d.lowPass;
  BandPass band = d.bandPass;
  std::vector<double> x(300), a(300), b(300);
  for (int i = 0; i < 300; ++i) x[i] = a[i] = b[i] = std::sin(i * 0.37) + 0.3 * std::sin(i * 0.05);
  d.process(x.data(), 300);
  low.process(a.data(), 300);
  band.process(b.data(), 300);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(x[i], a[i] * 0.75 + 0.25 * b[i]) << i;
}

TEST(FilterDual, SetupKeepsCutoffsAndRescalesLimits) {
  DualFilter d;
  d.setup(kRate);
  d.setLowCutoff(0.5);
  const double cutoff = d.lowPass.cutoff;
  d.setMix(0.5);
  d.setup(48000);
  EXPECT_EQ(d.lowPass.cutoff, cutoff);
  EXPECT_EQ(d.lowPass.upper, 50265.48245743669 / 48000);
  EXPECT_EQ(d.bandPass.lower, 50.26548245743669 / 48000);
  EXPECT_EQ(d.lowWeight, 0.0);
  EXPECT_EQ(d.bandWeight, 0.0);
}

TEST(FilterDual, BandPassLevelBelowItsCentreDoesNotDependOnTheRate) {
  auto gainAt = [](double rate) {
    DualFilter d;
    d.setup(rate);
    d.setBandCutoff(0.5);  // centre near 2 kHz at every rate
    d.setMix(1.0);
    return measureGain([&](double* v, int n) { d.process(v, n); }, 200.0, rate);
  };
  const double reference = gainAt(44100);
  for (double rate : {22050.0, 48000.0, 96000.0, 192000.0}) {
    EXPECT_NEAR(20 * std::log10(gainAt(rate) / reference), 0.0, 0.5) << rate;
  }
}

TEST(FilterDual, ScratchIsReusedForShorterBlocksAndGrowsOnceForALongerOne) {
  DualFilter d;
  d.setup(kRate);
  d.setMix(0.5);
  d.reserve(44);
  EXPECT_EQ(d.scratchLength(), 44);
  std::vector<double> v(200, 0.1);
  {
    test::AllocationScope scope;
    d.process(v.data(), 44);
    d.process(v.data(), 13);
    d.process(v.data(), 44);
    d.process(v.data(), 1);
    EXPECT_EQ(scope.count(), 0);
  }
  EXPECT_EQ(d.scratchLength(), 44);
  d.process(v.data(), 96);
  EXPECT_EQ(d.scratchLength(), 96);
  {
    test::AllocationScope scope;
    d.process(v.data(), 96);
    d.process(v.data(), 50);
    EXPECT_EQ(scope.count(), 0);
  }
  EXPECT_EQ(d.scratchLength(), 96);
}

// Control value whose table entry is the pitch nearest to hz.
double controlFor(double hz) { return (frequencyToPitch(hz) + 0.5) / 17281.0; }

ChannelFilter channelFilter(const EngineTables& tables, double hz, double resonance) {
  ChannelFilter f;
  f.cutoff = controlFor(hz);
  f.resonance = resonance;
  f.computeCoefficients(tables.cutoff.data());
  return f;
}

TEST(FilterChannel, TwoPoleLowPassResponse) {
  auto tables = EngineTables::forRate(kRate);
  ChannelFilter f = channelFilter(*tables, 1000, 0.0);
  auto run = [&f](double* v, int n) { f.process(v, n); };
  EXPECT_NEAR(measureGain(run, 30), 1.0, 0.02);
  f.clearState();
  const double atCutoff = measureGain(run, 1000);
  EXPECT_GT(atCutoff, 0.4);
  EXPECT_LT(atCutoff, 0.6);
  f.clearState();
  EXPECT_LT(measureGain(run, 8000), 0.03);  // two poles: about -12 dB per octave
}

TEST(FilterChannel, ResonanceRaisesThePeakNearTheCutoff) {
  auto tables = EngineTables::forRate(kRate);
  ChannelFilter plain = channelFilter(*tables, 1000, 0.0);
  ChannelFilter resonant = channelFilter(*tables, 1000, 1.0);
  EXPECT_EQ(resonant.k, 1.81);
  auto runPlain = [&plain](double* v, int n) { plain.process(v, n); };
  auto runResonant = [&resonant](double* v, int n) { resonant.process(v, n); };
  const double plainGain = measureGain(runPlain, 1000);
  const double resonantGain = measureGain(runResonant, 1000);
  EXPECT_GT(resonantGain, 2.5 * plainGain);
  // Still a low-pass far above the cutoff.
  resonant.clearState();
  EXPECT_LT(measureGain(runResonant, 10000), 0.1);
}

TEST(FilterChannel, ControlValueSelectsTheTableEntry) {
  EXPECT_EQ(ChannelFilter::tableIndex(-0.2), 0);
  EXPECT_EQ(ChannelFilter::tableIndex(0.0), 0);
  EXPECT_EQ(ChannelFilter::tableIndex(0.5), 8640);
  EXPECT_EQ(ChannelFilter::tableIndex(0.99999), 17280);
  EXPECT_EQ(ChannelFilter::tableIndex(1.0), 17280);
  EXPECT_EQ(ChannelFilter::tableIndex(7.0), 17280);
  EXPECT_EQ(ChannelFilter::tableIndex(NAN), 0);
  EXPECT_EQ(ChannelFilter::tableIndex(INFINITY), 17280);
  EXPECT_EQ(ChannelFilter::tableIndex(-INFINITY), 0);

  auto tables = EngineTables::forRate(kRate);
  ChannelFilter f;
  f.cutoff = 0.2;
  f.envAmount = 0.5;
  f.envValue = 0.4;
  f.modulation = 0.1;
  f.resonance = 0.5;
  f.computeCoefficients(tables->cutoff.data());
  const double G = tables->cutoff[static_cast<int>((0.4 * 0.5 + 0.2 + 0.1) * 17281)];
  EXPECT_EQ(f.g, G / (1 + G));
  EXPECT_EQ(f.beta3, -1 / (1 + G));
  EXPECT_EQ(f.k, 0.5 * 1.8 + 0.01);
  const double g = G / (1 + G);
  EXPECT_EQ(f.beta2, (f.k - f.k * g) / (1 + G));
  EXPECT_EQ(f.G0, 1 / (1 - f.k * g + f.k * (g * g)));
  f.modulation = NAN;
  f.computeCoefficients(tables->cutoff.data());
  EXPECT_EQ(f.g, tables->cutoff[0] / (1 + tables->cutoff[0]));
}

TEST(FilterChannel, PositiveFeedbackIsStronger) {
  // A step up and a step down of the same size ring differently: the feedback is asymmetric.
  auto tables = EngineTables::forRate(kRate);
  ChannelFilter up = channelFilter(*tables, 500, 1.0);
  ChannelFilter down = up;
  std::vector<double> a(400, 1.0), b(400, -1.0);
  up.process(a.data(), 400);
  down.process(b.data(), 400);
  double asymmetry = 0;
  for (int i = 0; i < 400; ++i) asymmetry = std::max(asymmetry, std::abs(a[i] + b[i]));
  EXPECT_GT(asymmetry, 1e-3);
}

TEST(FilterChannel, NotANumberRecovers) {
  auto tables = EngineTables::forRate(kRate);
  ChannelFilter f = channelFilter(*tables, 2000, 0.8);
  std::vector<double> v(100, 0.25);
  v[3] = NAN;
  f.process(v.data(), 100);
  for (double x : v) EXPECT_TRUE(std::isfinite(x));
  f.s2 = NAN;
  std::vector<double> w(100, 0.25);
  f.process(w.data(), 100);
  for (double x : w) EXPECT_TRUE(std::isfinite(x));
}

TEST(FilterPairs, PairedProcessingGivesTheSameResultsAsSeparateCalls) {
  auto tables = EngineTables::forRate(kRate);
  ChannelFilter a = channelFilter(*tables, 700, 0.9), b = channelFilter(*tables, 3000, 0.3);
  ChannelFilter a2 = a, b2 = b;
  auto low = section<LowPass>(500, 0.55);
  auto band = section<BandPass>(2500, 0.55);
  auto low2 = low;
  auto band2 = band;
  std::vector<double> x(200), y(200);
  for (int i = 0; i < 200; ++i) {
    x[i] = std::sin(i * 0.21) + (i % 17 == 0 ? 1.0 : 0.0);
    y[i] = std::cos(i * 0.07) - 0.2;
  }
  x[50] = NAN;
  for (int block = 0; block < 5; ++block) {
    const int n = 7 + block * 9;
    std::vector<double> ca(x.begin(), x.begin() + n), cb(y.begin(), y.begin() + n);
    std::vector<double> sa = ca, sb = cb;
    ChannelFilter::processPair(a, ca.data(), b, cb.data(), n);
    a2.process(sa.data(), n);
    b2.process(sb.data(), n);
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(ca[i], sa[i]);
      ASSERT_EQ(cb[i], sb[i]);
    }
    std::vector<double> qa(y.begin(), y.begin() + n), qb(x.begin(), x.begin() + n);
    std::vector<double> ra = qa, rb = qb;
    Biquad::processPair(low, qa.data(), band, qb.data(), n);
    low2.process(ra.data(), n);
    band2.process(rb.data(), n);
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(qa[i], ra[i]);
      ASSERT_TRUE(qb[i] == rb[i] || (std::isnan(qb[i]) && std::isnan(rb[i])));
    }
  }
  EXPECT_EQ(a.s1, a2.s1);
  EXPECT_EQ(b.s3, b2.s3);
  EXPECT_EQ(a.offset, a2.offset);
  EXPECT_EQ(low.y1, low2.y1);
  EXPECT_EQ(band.offset, band2.offset);
}

}  // namespace
}  // namespace sorvel
