#pragma once
// The session's random generator: uniform single-precision values in [0, 1). Reseed mixes the
// number into the current state; it never restarts a fixed sequence. Never seeded from the clock.
#include <cstdint>

namespace driftmere {

class Random {
  public:
    // Every session starts from the same state, so a run can be replayed exactly.
    Random();
    // The next value: a multiple of 2^-24 from 0 up to 1 - 2^-24.
    float Next();
    // Stirs the number into the state. Reseeding twice with the same number moves the state on
    // each time, so a balloon placed after every reseed with 129 still lands in varied places.
    void Reseed(double number);

  private:
    std::uint64_t state_;
};

// A whole-number choice: the integer part of (value * n + base), worked out exactly. In single
// precision the largest value just below 1 rounds up (value * 8 + 1 gives 9, value * 26 + 30
// gives 56), which would pick a ninth start point or a 56-second delay; in double precision the
// product of a 24-bit value and a small whole number is exact, so the result stays below base + n.
int WholeChoice(float value, int n, int base);

}  // namespace driftmere
