#include "flight/Random.h"

#include <bit>
#include <cmath>

namespace driftmere {
namespace {

constexpr std::uint64_t kInitialState = 0x6A09E667F3BCC909ULL;
constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;

// A strong 64-bit finaliser: every input bit affects every output bit, so neighbouring states
// and small reseed numbers give unrelated outputs.
std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

Random::Random() : state_(kInitialState) {}

float Random::Next() {
    state_ += kGolden;
    // The top 24 bits fill a float's mantissa exactly, so the value is never rounded up to 1.
    return static_cast<float>(Mix(state_) >> 40) * 0x1p-24f;
}

void Random::Reseed(double number) {
    // -0 and +0 are the same number and reseed alike.
    if (number == 0.0) number = 0.0;
    std::uint64_t bits = std::bit_cast<std::uint64_t>(number);
    // The old state goes into the result, so the same number never brings back an old state.
    state_ = Mix(state_ ^ Mix(bits + kGolden)) + kGolden;
}

int WholeChoice(float value, int n, int base) {
    return static_cast<int>(std::floor(static_cast<double>(value) * n + base));
}

}  // namespace driftmere
