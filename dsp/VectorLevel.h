// The widest vector instructions the audio kernels may use. Every vector kernel gives, to the bit,
// what the scalar code gives; the level only decides how fast.
#pragma once

namespace sorvel {

enum class VectorLevel { kScalar = 0, kAvx2 = 1, kAvx512 = 2 };

// What the processor offers, read once when the library loads. SORVEL_VECTOR_LEVEL ("scalar" or
// "avx2") lowers it: to rule the vector code out when tracking a problem, and so that the tests can
// compare every kernel with the scalar code on one machine.
VectorLevel vectorLevel();

}  // namespace sorvel
