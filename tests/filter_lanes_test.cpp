// Filters run side by side (in vector lanes where the processor has them) give, to the bit, what
// each filter's own process() gives: outputs and the state left for the next block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "dsp/EngineTables.h"
#include "voice/FilterLanes.h"

namespace sorvel {
namespace {

// In eights: two groups and a part group run together; in fours: two groups of eight, one of four
// and one left over.
constexpr int kFilters = 21;
constexpr int kCount = 44;
// Blocks of whole and part vectors of samples, odd and even, a part vector alone.
constexpr int kBlocks[] = {kCount, 13, 4};

// Signals loud enough to drive the channel filter's feedback both ways, with a value that is not
// a number in one and an infinity (which leaves states that are not numbers) in another.
std::vector<std::vector<double>> signals() {
  std::vector<std::vector<double>> rows(kFilters, std::vector<double>(kCount));
  for (int f = 0; f < kFilters; ++f) {
    for (int i = 0; i < kCount; ++i) rows[f][i] = 3.0 * std::sin(0.37 * (f + 1) * i) + (i % 7 == f % 7 ? -2.5 : 0.0);
  }
  rows[5][9] = std::numeric_limits<double>::quiet_NaN();
  rows[17][3] = std::numeric_limits<double>::infinity();
  return rows;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(FilterLanes, ChannelFiltersSideBySideMatchEachAlone) {
  const auto tables = EngineTables::forRate(44100);
  std::vector<ChannelFilter> alone(kFilters);
  for (int f = 0; f < kFilters; ++f) {
    alone[f].cutoff = 0.2 + 0.05 * (f % 13);
    alone[f].resonance = 0.08 * (f % 13);
    alone[f].computeCoefficients(tables->cutoff.data());
    alone[f].s2 = 0.01 * f;
  }
  std::vector<ChannelFilter> together = alone;
  auto rowsAlone = signals(), rowsTogether = signals();
  std::vector<ChannelFilterJob> jobs;
  for (int f = 0; f < kFilters; ++f) jobs.push_back({&together[f], rowsTogether[f].data()});
  for (int count : kBlocks) {  // each block after the first starts from the stored state
    for (int f = 0; f < kFilters; ++f) alone[f].process(rowsAlone[f].data(), count);
    runChannelFilters(jobs.data(), kFilters, count);
    for (int f = 0; f < kFilters; ++f) {
      EXPECT_TRUE(sameBits(rowsAlone[f], rowsTogether[f])) << f;
      EXPECT_TRUE(sameBits({alone[f].s1, alone[f].s2, alone[f].s3, alone[f].offset},
                           {together[f].s1, together[f].s2, together[f].s3, together[f].offset}))
          << f;
    }
  }
}

TEST(FilterLanes, BiquadsSideBySideMatchEachAlone) {
  std::vector<LowPass> low(kFilters);
  std::vector<BandPass> band(kFilters);
  std::vector<Biquad> alone;
  for (int f = 0; f < kFilters; ++f) {
    Filter& section = f % 2 == 0 ? static_cast<Filter&>(low[f]) : static_cast<Filter&>(band[f]);
    section.setLimitsForRate(44100);
    section.quality = 0.55 + 0.1 * f;
    section.sweepTo(0.1 + 0.06 * f);
    alone.push_back(section);
  }
  std::vector<Biquad> together = alone;
  auto rowsAlone = signals(), rowsTogether = signals();
  std::vector<BiquadJob> jobs;
  for (int f = 0; f < kFilters; ++f) jobs.push_back({&together[f], rowsTogether[f].data()});
  for (int count : kBlocks) {
    for (int f = 0; f < kFilters; ++f) alone[f].process(rowsAlone[f].data(), count);
    runBiquads(jobs.data(), kFilters, count);
    for (int f = 0; f < kFilters; ++f) {
      EXPECT_TRUE(sameBits(rowsAlone[f], rowsTogether[f])) << f;
      EXPECT_TRUE(sameBits({alone[f].x1, alone[f].x2, alone[f].y1, alone[f].y2, alone[f].offset},
                           {together[f].x1, together[f].x2, together[f].y1, together[f].y2, together[f].offset}))
          << f;
    }
  }
}

}  // namespace
}  // namespace sorvel
