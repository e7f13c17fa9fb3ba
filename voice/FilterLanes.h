// Many independent filters of one kind, run side by side: where the processor has AVX2 or AVX-512,
// several vectors of four or eight at a time, each lane doing exactly the arithmetic of the
// filter's own process(); elsewhere two at a time as before. The results are those of one
// process() call per filter, to the bit.
#pragma once

#include <algorithm>
#include <vector>

#include "voice/ChannelFilter.h"
#include "voice/DualFilter.h"
#include "voice/Filter.h"
#include "voice/OscillatorKernels.h"

namespace sorvel {

// A job with a source filters its waveform, read as the filter goes where the kernel can, else
// written into values first; the filtered samples go into values either way.
struct ChannelFilterJob {
  ChannelFilter* filter;
  double* values;  // filtered in place
  OscillatorSource source = {};
};

struct BiquadJob {
  Biquad* section;
  double* values;
};

// Both sections of a dual filter over values, mixed back into values (DualFilter::process).
struct DualFilterJob {
  DualFilter* filter;
  double* values;
  OscillatorSource source = {};
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
  void clear() {
    firstCount_ = 0;
    channel_.clear();
    dual_.clear();
  }
  // A section that runs before every other job (one ahead of other filters on its row).
  void addFirst(Biquad& section, double* values) { first_[static_cast<std::size_t>(firstCount_++)] = {&section, values}; }
  void add(ChannelFilter& filter, double* values, const OscillatorSource& source = {}) {
    channel_.add({&filter, values, source});
  }
  void add(DualFilter& filter, double* values, const OscillatorSource& source = {}) {
    dual_.add({&filter, values, source});
  }
  void run(int count);

 private:
  // Jobs with a source from the front, the others from the back (moved up behind them before a
  // run), so that the kernels' groups hold one kind of input wherever they can; pulses ahead of
  // sawtooths, as a group of pulses reads two tables, a group of sawtooths one.
  template <typename Job>
  class Jobs {
   public:
    void resize(std::size_t size) { jobs_.resize(size); }
    void clear() { sourced_ = others_ = 0; }
    void add(const Job& job) {
      if (job.source.table) {
        jobs_[sourced_++] = job;
      } else {
        jobs_[jobs_.size() - ++others_] = job;
      }
    }
    // The jobs in one piece.
    Job* gather() {
      const auto sourcedEnd = jobs_.begin() + static_cast<std::ptrdiff_t>(sourced_);
      std::partition(jobs_.begin(), sourcedEnd, [](const Job& job) { return job.source.pulse; });
      std::copy(jobs_.end() - static_cast<std::ptrdiff_t>(others_), jobs_.end(), sourcedEnd);
      return jobs_.data();
    }
    int size() const { return static_cast<int>(sourced_ + others_); }

   private:
    std::vector<Job> jobs_;
    std::size_t sourced_ = 0;
    std::size_t others_ = 0;
  };

  std::vector<BiquadJob> first_;
  Jobs<ChannelFilterJob> channel_;
  Jobs<DualFilterJob> dual_;
  std::vector<BiquadJob> sections_;  // the dual filters' sections, run as biquads without vectors
  int firstCount_ = 0;
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
