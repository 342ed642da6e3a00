#pragma once
// The generator's source of chance. splitmix64: small, fast and the same on every machine, so
// a seed gives the same song everywhere (the standard distributions differ between libraries).
#include <cstdint>

namespace driftmere::songs {

class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // [0, 1)
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    // [lo, hi)
    double Between(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // lo..hi inclusive
    int Between(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool Chance(double p) { return Uniform() < p; }

  private:
    std::uint64_t state_;
};

}  // namespace driftmere::songs
