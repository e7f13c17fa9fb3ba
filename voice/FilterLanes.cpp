#include "voice/FilterLanes.h"

#include <algorithm>

#include "dsp/Conversions.h"
#include "dsp/VectorLevel.h"

namespace sorvel {

namespace {

int vectorJobs(const ChannelFilterJob* jobs, int jobCount, int count) {
  const VectorLevel level = vectorLevel();
  if (level >= VectorLevel::kAvx512) return runChannelFiltersAvx512(jobs, jobCount, count);
  if (level >= VectorLevel::kAvx2) return runChannelFiltersAvx2(jobs, jobCount, count);
  return 0;
}

int vectorJobs(const BiquadJob* jobs, int jobCount, int count) {
  const VectorLevel level = vectorLevel();
  if (level >= VectorLevel::kAvx512) return runBiquadsAvx512(jobs, jobCount, count);
  if (level >= VectorLevel::kAvx2) return runBiquadsAvx2(jobs, jobCount, count);
  return 0;
}

// The channel filters beside the other jobs in the widest kernel the processor allows; false
// where there is none.
template <typename Job>
bool runFiltersInLanes(const ChannelFilterJob* channel, int channelCount, const Job* other, int otherCount, int count) {
  const VectorLevel level = vectorLevel();
  if (level >= VectorLevel::kAvx512) {
    runFiltersAvx512(channel, channelCount, other, otherCount, count);
    return true;
  }
  if (level >= VectorLevel::kAvx2) {
    runFiltersAvx2(channel, channelCount, other, otherCount, count);
    return true;
  }
  return false;
}

// The waveforms of jobs from first on written into their rows, for filters that read rows.
template <typename Job>
void renderSources(const Job* jobs, int first, int jobCount, int count) {
  for (int j = first; j < jobCount; ++j) {
    if (jobs[j].source.table) jobs[j].source.render(jobs[j].values, count);
  }
}

}  // namespace

bool sectionsShareInputHistory(const DualFilterJob* jobs, int jobCount) {
  for (int j = 0; j < jobCount; ++j) {
    const Biquad& low = jobs[j].filter->lowPass;
    const Biquad& band = jobs[j].filter->bandPass;
    if (!sameBits(low.x1, band.x1) || !sameBits(low.x2, band.x2) || !sameBits(low.offset, band.offset)) {
      return false;
    }
  }
  return true;
}

void runChannelFilters(const ChannelFilterJob* jobs, int jobCount, int count) {
  int done = vectorJobs(jobs, jobCount, count);
  renderSources(jobs, done, jobCount, count);
  for (; done + 2 <= jobCount; done += 2) {
    ChannelFilter::processPair(*jobs[done].filter, jobs[done].values, *jobs[done + 1].filter, jobs[done + 1].values,
                               count);
  }
  if (done < jobCount) jobs[done].filter->process(jobs[done].values, count);
}

void runBiquads(const BiquadJob* jobs, int jobCount, int count) {
  int done = vectorJobs(jobs, jobCount, count);
  for (; done + 2 <= jobCount; done += 2) {
    Biquad::processPair(*jobs[done].section, jobs[done].values, *jobs[done + 1].section, jobs[done + 1].values, count);
  }
  if (done < jobCount) jobs[done].section->process(jobs[done].values, count);
}

void runFilters(const ChannelFilterJob* channel, int channelCount, const BiquadJob* biquad, int biquadCount,
                int count) {
  if (runFiltersInLanes(channel, channelCount, biquad, biquadCount, count)) return;
  runChannelFilters(channel, channelCount, count);
  runBiquads(biquad, biquadCount, count);
}

void FilterJobs::run(int count) {
  runBiquads(first_.data(), firstCount_, count);
  const ChannelFilterJob* channel = channel_.gather();
  const DualFilterJob* dual = dual_.gather();
  const int channelCount = channel_.size();
  const int dualCount = dual_.size();
  if (runFiltersInLanes(channel, channelCount, dual, dualCount, count)) return;
  // Each dual filter as DualFilter::process runs it, its two sections beside the other filters.
  renderSources(dual, 0, dualCount, count);
  for (int d = 0; d < dualCount; ++d) {
    const DualFilterJob& job = dual[d];
    sections_[static_cast<std::size_t>(2 * d)] = {&job.filter->lowPass, job.filter->lowPassInput(job.values, count)};
    sections_[static_cast<std::size_t>(2 * d + 1)] = {&job.filter->bandPass, job.values};
  }
  runFilters(channel, channelCount, sections_.data(), 2 * dualCount, count);
  for (int d = 0; d < dualCount; ++d) {
    const DualFilterJob& job = dual[d];
    job.filter->mix(job.values, count);
  }
}

}  // namespace sorvel
