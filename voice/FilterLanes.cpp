#include "voice/FilterLanes.h"

#include "dsp/VectorLevel.h"

namespace sorvel {

namespace {

bool haveAvx2() { return vectorLevel() >= VectorLevel::kAvx2; }

}  // namespace

void runChannelFilters(const ChannelFilterJob* jobs, int jobCount, int count) {
  int done = haveAvx2() ? runChannelFiltersAvx2(jobs, jobCount, count) : 0;
  for (; done + 2 <= jobCount; done += 2) {
    ChannelFilter::processPair(*jobs[done].filter, jobs[done].values, *jobs[done + 1].filter, jobs[done + 1].values,
                               count);
  }
  if (done < jobCount) jobs[done].filter->process(jobs[done].values, count);
}

void runBiquads(const BiquadJob* jobs, int jobCount, int count) {
  int done = haveAvx2() ? runBiquadsAvx2(jobs, jobCount, count) : 0;
  for (; done + 2 <= jobCount; done += 2) {
    Biquad::processPair(*jobs[done].section, jobs[done].values, *jobs[done + 1].section, jobs[done + 1].values, count);
  }
  if (done < jobCount) jobs[done].section->process(jobs[done].values, count);
}

}  // namespace sorvel
