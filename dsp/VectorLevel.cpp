#include "dsp/VectorLevel.h"

#include <cstdlib>
#include <cstring>

namespace sorvel {

namespace {

VectorLevel processorLevel() {
  // The AVX-512 kernels use the foundation with the double-word, byte-word and vector-length parts.
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl")) {
    return VectorLevel::kAvx512;
  }
  if (__builtin_cpu_supports("avx2")) return VectorLevel::kAvx2;
  return VectorLevel::kScalar;
}

VectorLevel chosenLevel() {
  VectorLevel level = processorLevel();
  const char* wanted = std::getenv("SORVEL_VECTOR_LEVEL");
  if (wanted == nullptr) return level;
  if (std::strcmp(wanted, "scalar") == 0) return VectorLevel::kScalar;
  if (std::strcmp(wanted, "avx2") == 0 && level > VectorLevel::kAvx2) return VectorLevel::kAvx2;
  return level;
}

}  // namespace

VectorLevel vectorLevel() {
  static const VectorLevel level = chosenLevel();
  return level;
}

namespace {

// Read while the library loads, not on the first render: a host (or a test) that sets
// SORVEL_VECTOR_LEVEL only around loading the library still gets its level.
[[maybe_unused]] const VectorLevel levelAtLoad = vectorLevel();

}  // namespace

}  // namespace sorvel
