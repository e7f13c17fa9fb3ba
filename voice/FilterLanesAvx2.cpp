// Built with -mavx2 (and without FMA): only plain structs and vector arithmetic here, so that no
// shared inline function is compiled for AVX2 in this file. Each lane repeats the scalar step of
// ChannelFilter and Biquad operation for operation.
#include "voice/FilterLanes.h"

namespace sorvel {

namespace {

using Lanes = double __attribute__((vector_size(32)));

// A value that is not a number is cleared; any other gets the alternating guard offset.
inline Lanes guardedLanes(Lanes value, Lanes guard) { return value == value ? value + guard : Lanes{}; }

template <typename Job, typename Get>
Lanes gather(const Job* jobs, Get get) {
  return Lanes{get(jobs[0]), get(jobs[1]), get(jobs[2]), get(jobs[3])};
}

// H groups of four channel filters.
template <int H>
void channelFilterGroups(const ChannelFilterJob* jobs, int count) {
  Lanes G0[H], g[H], beta2[H], beta3[H], k[H], s1[H], s2[H], s3[H], guard[H];
  for (int h = 0; h < H; ++h) {
    const ChannelFilterJob* j = jobs + 4 * h;
    G0[h] = gather(j, [](const ChannelFilterJob& x) { return x.filter->G0; });
    g[h] = gather(j, [](const ChannelFilterJob& x) { return x.filter->g; });
    beta2[h] = gather(j, [](const ChannelFilterJob& x) { return x.filter->beta2; });
    beta3[h] = gather(j, [](const ChannelFilterJob& x) { return x.filter->beta3; });
    k[h] = gather(j, [](const ChannelFilterJob& x) { return x.filter->k; });
    s1[h] = gather(j, [](const ChannelFilterJob& x) { return x.filter->s1; });
    s2[h] = gather(j, [](const ChannelFilterJob& x) { return x.filter->s2; });
    s3[h] = gather(j, [](const ChannelFilterJob& x) { return x.filter->s3; });
    guard[h] = gather(j, [](const ChannelFilterJob& x) { return x.filter->offset; });
  }
  for (int i = 0; i < count; ++i) {
    for (int h = 0; h < H; ++h) {
      const ChannelFilterJob* j = jobs + 4 * h;
      Lanes x = {j[0].values[i], j[1].values[i], j[2].values[i], j[3].values[i]};
      x = guardedLanes(x, guard[h]);
      s1[h] = guardedLanes(s1[h], guard[h]);
      s2[h] = guardedLanes(s2[h], guard[h]);
      s3[h] = guardedLanes(s3[h], guard[h]);
      guard[h] = -guard[h];

      const Lanes v = (x - s1[h]) * g[h];
      const Lanes lp1 = s1[h] + v;
      s1[h] = lp1 + v;

      Lanes f = s3[h] * beta3[h] + s2[h] * beta2[h];
      f = f > 0.0 ? f * 1.17 : f;

      const Lanes u = ((f + lp1) * G0[h] - s2[h]) * g[h];
      const Lanes y = s2[h] + u;
      s2[h] = y + u;

      const Lanes d = (y * k[h] - s3[h]) * g[h];
      s3[h] = s3[h] + 2.0 * d;
      for (int l = 0; l < 4; ++l) j[l].values[i] = y[l];
    }
  }
  for (int h = 0; h < H; ++h) {
    for (int l = 0; l < 4; ++l) {
      ChannelFilter& f = *jobs[4 * h + l].filter;
      f.s1 = s1[h][l];
      f.s2 = s2[h][l];
      f.s3 = s3[h][l];
      f.offset = guard[h][l];
    }
  }
}

template <int H>
void biquadGroups(const BiquadJob* jobs, int count) {
  Lanes a1[H], a2[H], b0[H], b1[H], x1[H], x2[H], y1[H], y2[H], guard[H];
  for (int h = 0; h < H; ++h) {
    const BiquadJob* j = jobs + 4 * h;
    a1[h] = gather(j, [](const BiquadJob& x) { return x.section->a1; });
    a2[h] = gather(j, [](const BiquadJob& x) { return x.section->a2; });
    b0[h] = gather(j, [](const BiquadJob& x) { return x.section->b0; });
    b1[h] = gather(j, [](const BiquadJob& x) { return x.section->b1; });
    x1[h] = gather(j, [](const BiquadJob& x) { return x.section->x1; });
    x2[h] = gather(j, [](const BiquadJob& x) { return x.section->x2; });
    y1[h] = gather(j, [](const BiquadJob& x) { return x.section->y1; });
    y2[h] = gather(j, [](const BiquadJob& x) { return x.section->y2; });
    guard[h] = gather(j, [](const BiquadJob& x) { return x.section->offset; });
  }
  for (int i = 0; i < count; ++i) {
    for (int h = 0; h < H; ++h) {
      const BiquadJob* j = jobs + 4 * h;
      Lanes x = {j[0].values[i], j[1].values[i], j[2].values[i], j[3].values[i]};
      x = guardedLanes(x, guard[h]);
      x1[h] = guardedLanes(x1[h], guard[h]);
      x2[h] = guardedLanes(x2[h], guard[h]);
      y1[h] = guardedLanes(y1[h], guard[h]);
      y2[h] = guardedLanes(y2[h], guard[h]);
      guard[h] = -guard[h];
      const Lanes y = b0[h] * (x + x2[h]) + b1[h] * x1[h] + a1[h] * y1[h] + a2[h] * y2[h];
      x2[h] = x1[h];
      x1[h] = x;
      y2[h] = y1[h];
      y1[h] = y;
      for (int l = 0; l < 4; ++l) j[l].values[i] = y[l];
    }
  }
  for (int h = 0; h < H; ++h) {
    for (int l = 0; l < 4; ++l) {
      Biquad& s = *jobs[4 * h + l].section;
      s.x1 = x1[h][l];
      s.x2 = x2[h][l];
      s.y1 = y1[h][l];
      s.y2 = y2[h][l];
      s.offset = guard[h][l];
    }
  }
}

// Eight at a time keeps two independent recursions in flight; a last four go alone.
template <typename Job>
int runGroups(const Job* jobs, int jobCount, int count, void (*eight)(const Job*, int), void (*four)(const Job*, int)) {
  int done = 0;
  for (; done + 8 <= jobCount; done += 8) eight(jobs + done, count);
  if (done + 4 <= jobCount) {
    four(jobs + done, count);
    done += 4;
  }
  return done;
}

}  // namespace

int runChannelFiltersAvx2(const ChannelFilterJob* jobs, int jobCount, int count) {
  return runGroups(jobs, jobCount, count, channelFilterGroups<2>, channelFilterGroups<1>);
}

int runBiquadsAvx2(const BiquadJob* jobs, int jobCount, int count) {
  return runGroups(jobs, jobCount, count, biquadGroups<2>, biquadGroups<1>);
}

}  // namespace sorvel
