#include "voice/VoiceOscillator.h"

#include "dsp/EngineTables.h"
#include "dsp/Random.h"
#include "dsp/VectorLevel.h"
#include "voice/OscillatorKernels.h"

namespace sorvel {

int VoiceOscillator::pitchIndex(double pitch) {
  if (!(pitch > -1.0)) return -1;  // also not a number
  if (pitch >= kPitchTableSize) return kPitchTableSize;
  return static_cast<int>(pitch);
}

void VoiceOscillator::updatePitch(double pitch, const EngineTables& tables) {
  const int index = pitchIndex(pitch);
  if (index == cachedPitchIndex) return;
  cachedPitchIndex = index;
  if (index < 0) {
    increment = tables.pitchIncrement[0];
  } else if (index >= kPitchTableSize) {
    increment = tables.pitchIncrement[kPitchTableSize - 1];
  } else {
    increment = tables.pitchIncrement[index];
  }
  // One table level per octave above 2^16 phase units per sample.
  std::int32_t a = increment >> 16;
  int level = 0;
  while (a > 1) {
    a >>= 1;
    ++level;
  }
  tableLevel = level > kTopTable ? kTopTable : level;
}

void VoiceOscillator::sawtooth(const EngineTables& tables, int shift, double* out, int count) const {
  sawtoothSource(tables, shift).render(out, count);
}

void VoiceOscillator::pulse(const EngineTables& tables, int shift, double width, double* out, int count) const {
  pulseSource(tables, shift, width).render(out, count);
}

void whiteNoise(double* out, int count) {
  if (count <= 0) return;
  // Reserve the whole block's draws with one atomic step, then derive them in order.
  const auto state = static_cast<std::uint32_t>(noiseRandom().advance(count));
  oscillatorKernels(vectorLevel()).noise(state, out, count);
}

}  // namespace sorvel
