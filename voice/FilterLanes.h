// Many independent filters of one kind, run side by side: where the processor has AVX2 or AVX-512,
// several vectors of four or eight at a time, each lane doing exactly the arithmetic of the
// filter's own process(); elsewhere two at a time as before. The results are those of one
// process() call per filter, to the bit.
#pragma once

#include <vector>

#include "voice/ChannelFilter.h"
#include "voice/DualFilter.h"
#include "voice/Filter.h"

namespace sorvel {

struct ChannelFilterJob {
  ChannelFilter* filter;
  double* values;  // filtered in place
};

struct BiquadJob {
  Biquad* section;
  double* values;
};

// Both sections of a dual filter over values, mixed back into values (DualFilter::process).
struct DualFilterJob {
  DualFilter* filter;
  double* values;
};

void runChannelFilters(const ChannelFilterJob* jobs, int jobCount, int count);
void runBiquads(const BiquadJob* jobs, int jobCount, int count);
// Both kinds; with AVX-512 a kind's groups run beside the other's.
void runFilters(const ChannelFilterJob* channel, int channelCount, const BiquadJob* biquad, int biquadCount,
                int count);

// Filter jobs gathered from several voices and run together. Sized once for a number of voices;
// adding a job never allocates.
class FilterJobs {
 public:
  void reserve(int voices, int channelsPerVoice) {
    const auto rows = static_cast<std::size_t>(voices * channelsPerVoice);
    first_.resize(rows);
    channel_.resize(rows);
    dual_.resize(rows);
    sections_.resize(2 * rows);
  }
  void clear() { firstCount_ = channelCount_ = dualCount_ = 0; }
  // A section that runs before every other job (one ahead of other filters on its row).
  void addFirst(Biquad& section, double* values) { first_[static_cast<std::size_t>(firstCount_++)] = {&section, values}; }
  void add(ChannelFilter& filter, double* values) { channel_[static_cast<std::size_t>(channelCount_++)] = {&filter, values}; }
  void add(DualFilter& filter, double* values) { dual_[static_cast<std::size_t>(dualCount_++)] = {&filter, values}; }
  void run(int count);

 private:
  std::vector<BiquadJob> first_;
  std::vector<ChannelFilterJob> channel_;
  std::vector<DualFilterJob> dual_;
  std::vector<BiquadJob> sections_;  // the dual filters' sections, run as biquads without vectors
  int firstCount_ = 0;
  int channelCount_ = 0;
  int dualCount_ = 0;
};

// The vector kernels, each compiled in its own file for its instructions: each runs every job and
// returns how many it ran. Call them only where vectorLevel() allows.
int runChannelFiltersAvx2(const ChannelFilterJob* jobs, int jobCount, int count);
int runBiquadsAvx2(const BiquadJob* jobs, int jobCount, int count);
void runFiltersAvx2(const ChannelFilterJob* channel, int channelCount, const BiquadJob* biquad, int biquadCount,
                    int count);
void runFiltersAvx2(const ChannelFilterJob* channel, int channelCount, const DualFilterJob* dual, int dualCount,
                    int count);
int runChannelFiltersAvx512(const ChannelFilterJob* jobs, int jobCount, int count);
int runBiquadsAvx512(const BiquadJob* jobs, int jobCount, int count);
void runFiltersAvx512(const ChannelFilterJob* channel, int channelCount, const BiquadJob* biquad, int biquadCount,
                      int count);
void runFiltersAvx512(const ChannelFilterJob* channel, int channelCount, const DualFilterJob* dual, int dualCount,
                      int count);
// Whether in every dual filter the two sections hold the same input history and guard, bit for bit
// (as they do whenever they have only ever run together), so that a kernel may step it once. Plain
// code for the kernels of every level.
bool sectionsShareInputHistory(const DualFilterJob* jobs, int jobCount);
// band[i] = low[i] x lowWeight + bandWeight x band[i], as the dual filter mixes its sections.
void mixRowsAvx512(const double* low, double lowWeight, double* band, double bandWeight, int count);

}  // namespace sorvel
