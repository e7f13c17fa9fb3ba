#include "dsp/Random.h"

namespace sorvel {

RandomGenerator& lfoRandom() {
  static RandomGenerator generator;
  return generator;
}

RandomGenerator& noiseRandom() {
  static RandomGenerator generator;
  return generator;
}

}  // namespace sorvel
