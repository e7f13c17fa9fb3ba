// A three-phase triangle LFO of the chorus: three phases a third of a cycle apart, stepped once
// per control tick, whose outputs are the phases' magnitudes (0..1).
#pragma once

#include <cmath>

namespace sorvel {

struct TriangleLfo {
  double q1 = -1.0;
  double q2 = -1.0 / 3.0;
  double q3 = 1.0 / 3.0;
  double increment = 0;
  double o1 = 0;
  double o2 = 0;
  double o3 = 0;

  void step() {
    o1 = std::fabs(q1);
    o2 = std::fabs(q2);
    o3 = std::fabs(q3);
    q1 += increment;
    q2 = q1 + 2.0 / 3.0;
    q3 = q1 + 4.0 / 3.0;
    if (q1 >= 1.0) q1 -= 2.0;
    if (q2 >= 1.0) q2 -= 2.0;
    if (q3 >= 1.0) q3 -= 2.0;
  }
};

}  // namespace sorvel
