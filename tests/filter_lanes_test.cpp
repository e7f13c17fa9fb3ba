// Filters run side by side (in vector lanes where the processor has them) give, to the bit, what
// each filter's own process() gives: outputs and the state left for the next block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "dsp/EngineTables.h"
#include "voice/FilterLanes.h"
#include "voice/VoiceOscillator.h"

namespace sorvel {
namespace {

// In eights: two groups and a part group run together; in fours: six groups, the last a part
// group.
constexpr int kFilters = 21;
constexpr int kCount = 44;
// Blocks of whole and part vectors of samples, odd and even, a part vector alone.
constexpr int kBlocks[] = {kCount, 13, 4};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Signals loud enough to drive the channel filter's feedback both ways, with a value that is not
// a number in one and an infinity (which leaves states that are not numbers) in another.
std::vector<std::vector<double>> signals(int count) {
  std::vector<std::vector<double>> rows(count, std::vector<double>(kCount));
  for (int f = 0; f < count; ++f) {
    for (int i = 0; i < kCount; ++i) rows[f][i] = 3.0 * std::sin(0.37 * (f + 1) * i) + (i % 7 == f % 7 ? -2.5 : 0.0);
  }
  rows[5][9] = kNaN;
  rows[17][3] = std::numeric_limits<double>::infinity();
  return rows;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

bool sameState(const ChannelFilter& a, const ChannelFilter& b) {
  return sameBits({a.s1, a.s2, a.s3, a.offset}, {b.s1, b.s2, b.s3, b.offset});
}

bool sameState(const Biquad& a, const Biquad& b) {
  return sameBits({a.x1, a.x2, a.y1, a.y2, a.offset}, {b.x1, b.x2, b.y1, b.y2, b.offset});
}

bool sameState(const DualFilter& a, const DualFilter& b) {
  return sameState(a.lowPass, b.lowPass) && sameState(a.bandPass, b.bandPass);
}

// One of them starts from a stored state that is not a number.
std::vector<ChannelFilter> channelFilters(int count) {
  const auto tables = EngineTables::forRate(44100);
  std::vector<ChannelFilter> filters(count);
  for (int f = 0; f < count; ++f) {
    filters[f].cutoff = 0.2 + 0.05 * (f % 13);
    filters[f].resonance = 0.08 * (f % 13);
    filters[f].computeCoefficients(tables->cutoff.data());
    filters[f].s2 = 0.01 * f;
  }
  filters[9].s3 = kNaN;
  return filters;
}

std::vector<Biquad> sections(int count) {
  std::vector<Biquad> sections;
  for (int f = 0; f < count; ++f) {
    LowPass low;
    BandPass band;
    Filter& section = f % 2 == 0 ? static_cast<Filter&>(low) : static_cast<Filter&>(band);
    section.setLimitsForRate(44100);
    section.quality = 0.55 + 0.1 * (f % 21);
    section.sweepTo(0.1 + 0.06 * (f % 21));
    sections.push_back(section);
  }
  sections[7].x2 = sections[7].y2 = kNaN;
  return sections;
}

// Both sections and the mix weights differ from filter to filter; three start from stored states
// that are not numbers, one of them (in the second group of sixteen) an input history that its
// sections do not share.
std::vector<DualFilter> dualFilters(int count) {
  std::vector<DualFilter> filters(count);
  for (int f = 0; f < count; ++f) {
    filters[f].setup(44100);
    filters[f].setLowCutoff(0.1 + 0.04 * (f % 21));
    filters[f].setBandCutoff(0.9 - 0.04 * (f % 21));
    filters[f].setMix(0.05 * (f % 21));
  }
  filters[7].lowPass.y1 = kNaN;
  filters[12].bandPass.y1 = kNaN;
  filters[30].bandPass.x2 = kNaN;
  return filters;
}

// Filters together by run(jobs, count) and each alone, block after block (each block after the
// first starting from the stored state).
template <typename Filter, typename Job>
class SideBySide {
 public:
  explicit SideBySide(const std::vector<Filter>& filters) : SideBySide(filters, filters) {}
  // For filters that are not copied: two sets made alike.
  SideBySide(std::vector<Filter> alone, std::vector<Filter> together)
      : alone_(std::move(alone)), together_(std::move(together)), rowsAlone_(signals(static_cast<int>(alone_.size()))),
        rowsTogether_(rowsAlone_) {
    for (std::size_t f = 0; f < together_.size(); ++f) jobs_.push_back({&together_[f], rowsTogether_[f].data()});
  }
  const Job* jobs() const { return jobs_.data(); }
  int size() const { return static_cast<int>(jobs_.size()); }
  void runAlone(int count) {
    for (std::size_t f = 0; f < alone_.size(); ++f) alone_[f].process(rowsAlone_[f].data(), count);
  }
  void expectSame() const {
    for (std::size_t f = 0; f < alone_.size(); ++f) {
      EXPECT_TRUE(sameBits(rowsAlone_[f], rowsTogether_[f])) << f;
      EXPECT_TRUE(sameState(alone_[f], together_[f])) << f;
    }
  }

 private:
  std::vector<Filter> alone_, together_;
  std::vector<std::vector<double>> rowsAlone_, rowsTogether_;
  std::vector<Job> jobs_;
};

using ChannelFiltersSideBySide = SideBySide<ChannelFilter, ChannelFilterJob>;
using BiquadsSideBySide = SideBySide<Biquad, BiquadJob>;
using DualFiltersSideBySide = SideBySide<DualFilter, DualFilterJob>;

TEST(FilterLanes, ChannelFiltersSideBySideMatchEachAlone) {
  ChannelFiltersSideBySide filters(channelFilters(kFilters));
  for (int count : kBlocks) {
    filters.runAlone(count);
    runChannelFilters(filters.jobs(), filters.size(), count);
    filters.expectSame();
  }
}

TEST(FilterLanes, BiquadsSideBySideMatchEachAlone) {
  BiquadsSideBySide sections(sorvel::sections(kFilters));
  for (int count : kBlocks) {
    sections.runAlone(count);
    runBiquads(sections.jobs(), sections.size(), count);
    sections.expectSame();
  }
}

// With vectors the two kinds run beside each other: in eights, two and two groups, one (a part
// group) and two, then the biquads left over alone (two groups, the second a part group); in
// fours, two and two groups twice, two (the second a part group) and two, then the biquads left
// over alone (six groups, the last a part group).
TEST(FilterLanes, BothKindsTogetherMatchEachAlone) {
  ChannelFiltersSideBySide filters(channelFilters(kFilters));
  BiquadsSideBySide sections(sorvel::sections(2 * kFilters + 3));
  for (int count : kBlocks) {
    filters.runAlone(count);
    sections.runAlone(count);
    runFilters(filters.jobs(), filters.size(), sections.jobs(), sections.size(), count);
    filters.expectSame();
    sections.expectSame();
  }
}

// The engine's job list: channel filters and dual filters beside each other (in eights: two and
// two groups, one and two, then the dual filters left over alone), each dual filter's sections
// mixed as its own process() mixes them. Also 45 beside 31: in fours, the channel filters left
// over from two groups beside each batch of two dual groups too few to run alone, so three groups
// beside each (each kind's last a part group).
TEST(FilterLanes, DualFiltersBesideChannelFiltersMatchEachAlone) {
  for (const auto& [channelCount, dualCount] : {std::pair{kFilters, 2 * kFilters + 3}, std::pair{45, 31}}) {
    ChannelFiltersSideBySide filters(channelFilters(channelCount));
    DualFiltersSideBySide duals(dualFilters(dualCount), dualFilters(dualCount));
    FilterJobs jobs;
    jobs.reserve(1, filters.size() + duals.size());
    for (int count : kBlocks) {
      filters.runAlone(count);
      duals.runAlone(count);
      jobs.clear();
      for (int f = 0; f < filters.size(); ++f) jobs.add(*filters.jobs()[f].filter, filters.jobs()[f].values);
      for (int f = 0; f < duals.size(); ++f) jobs.add(*duals.jobs()[f].filter, duals.jobs()[f].values);
      jobs.run(count);
      filters.expectSame();
      duals.expectSame();
    }
  }
}

// Filters reading their oscillators' waveforms as they go give what they give from the waveforms
// written into their rows first: sawtooths and pulses of every footage, on different tables,
// beside filters that read rows (a third of the channel filters, a quarter of the dual filters).
// Pulses come first in the jobs: in eights, a group of pulses and a sawtooth, one of sawtooths and
// rows, one of rows.
TEST(FilterLanes, FiltersReadingWaveformsMatchWaveformsInRows) {
  const auto tables = EngineTables::forRate(44100);
  std::vector<ChannelFilter> channelAlone = channelFilters(kFilters), channelTogether = channelAlone;
  std::vector<DualFilter> dualAlone = dualFilters(2 * kFilters + 3), dualTogether = dualFilters(2 * kFilters + 3);
  const int jobs = kFilters + static_cast<int>(dualAlone.size());
  std::vector<std::vector<double>> rowsAlone = signals(jobs), rowsTogether = rowsAlone;
  std::vector<VoiceOscillator> oscillators(static_cast<std::size_t>(jobs));
  for (int j = 0; j < jobs; ++j) {
    oscillators[j].updatePitch(128.0 * (20.0 + 2.5 * j), *tables);
    oscillators[j].phase = (0x0345678u * static_cast<std::uint32_t>(j + 1)) & VoiceOscillator::kPhaseMask;
  }
  const auto source = [&](int j) -> OscillatorSource {
    const bool reads = j < kFilters ? j % 3 != 2 : j % 4 != 3;
    if (!reads) return {};
    const int shift = j % 4;
    if (j % 2 == 0) return oscillators[j].sawtoothSource(*tables, shift);
    return oscillators[j].pulseSource(*tables, shift, 0.1 * (j % 11));
  };
  FilterJobs together;
  together.reserve(1, jobs);
  for (int count : kBlocks) {
    together.clear();
    for (int j = 0; j < jobs; ++j) {
      const OscillatorSource input = source(j);
      if (input.table) input.render(rowsAlone[j].data(), count);
      if (j < kFilters) {
        channelAlone[j].process(rowsAlone[j].data(), count);
        together.add(channelTogether[j], rowsTogether[j].data(), input);
      } else {
        dualAlone[j - kFilters].process(rowsAlone[j].data(), count);
        together.add(dualTogether[j - kFilters], rowsTogether[j].data(), input);
      }
    }
    together.run(count);
    for (int j = 0; j < jobs; ++j) {
      EXPECT_TRUE(sameBits(rowsAlone[j], rowsTogether[j])) << j;
      if (j < kFilters) {
        EXPECT_TRUE(sameState(channelAlone[j], channelTogether[j])) << j;
      } else {
        EXPECT_TRUE(sameState(dualAlone[j - kFilters], dualTogether[j - kFilters])) << j;
      }
    }
    for (VoiceOscillator& oscillator : oscillators) oscillator.advance(count);
  }
}

}  // namespace
}  // namespace sorvel
