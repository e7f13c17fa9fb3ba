// The engine's two process-wide random generators: a 32-bit state multiplied by 16807 with
// wrap-around, scaled to about -1..1. Every instance in the process draws from the same two
// sequences; the state is stepped atomically since instances may render on different threads.
#pragma once

#include <atomic>
#include <cstdint>

namespace sorvel {

class RandomGenerator {
 public:
  static constexpr std::uint32_t kMultiplier = 16807;
  static constexpr double kScale = 4.6566129e-10;

  // Steps the state once and returns the new state.
  std::int32_t nextState() {
    std::uint32_t old = state_.load(std::memory_order_relaxed);
    std::uint32_t next;
    do {
      next = old * kMultiplier;
    } while (!state_.compare_exchange_weak(old, next, std::memory_order_relaxed));
    return static_cast<std::int32_t>(next);
  }

  // Steps the state count times with one atomic update; returns the state before the steps. The
  // caller derives the intermediate states from it (used by the four-at-a-time noise loop).
  std::int32_t advance(int count) {
    // kMultiplier^count by squaring: a few multiplications instead of one per draw.
    std::uint32_t power = 1;
    std::uint32_t square = kMultiplier;
    for (unsigned n = count > 0 ? static_cast<unsigned>(count) : 0u; n != 0; n >>= 1) {
      if ((n & 1u) != 0) power *= square;
      square *= square;
    }
    std::uint32_t old = state_.load(std::memory_order_relaxed);
    while (!state_.compare_exchange_weak(old, old * power, std::memory_order_relaxed)) {
    }
    return static_cast<std::int32_t>(old);
  }

  double next() { return valueOf(static_cast<std::uint32_t>(nextState())); }
  // The value a state gives, for callers that derive states themselves.
  static double valueOf(std::uint32_t state) { return static_cast<std::int32_t>(state) * kScale; }

  std::int32_t state() const { return static_cast<std::int32_t>(state_.load(std::memory_order_relaxed)); }
  void setState(std::int32_t s) { state_.store(static_cast<std::uint32_t>(s), std::memory_order_relaxed); }

 private:
  std::atomic<std::uint32_t> state_{1};
};

// Drives the three global LFOs' random draws.
RandomGenerator& lfoRandom();
// Drives the voices' white noise and the engine's smoothed noise.
RandomGenerator& noiseRandom();

}  // namespace sorvel
