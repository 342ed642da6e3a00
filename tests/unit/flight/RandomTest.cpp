#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>

#include "flight/Random.h"

namespace driftmere {
namespace {

TEST(Random, ReseedingWithOneNumberKeepsGivingSpreadValues) {
    Random r;
    std::set<float> values;
    std::array<int, 8> choices{};
    for (int i = 0; i < 2000; ++i) {
        if (i % 2 == 0) r.Reseed(129);
        const float v = r.Next();
        ASSERT_TRUE(v >= 0.0f && v < 1.0f) << v;
        values.insert(v);
        ++choices[WholeChoice(v, 8, 1) - 1];
    }
    EXPECT_GT(values.size(), 1980u);
    for (int n : choices) EXPECT_GT(n, 180);
    // Whole choices stay in range at the top of the interval (single precision gives 9 and 56).
    const float largest = std::nextafter(1.0f, 0.0f);
    EXPECT_EQ(WholeChoice(largest, 8, 1), 8);
    EXPECT_EQ(WholeChoice(largest, 26, 30), 55);
    EXPECT_EQ(WholeChoice(0.0f, 26, 30), 30);
    EXPECT_EQ(WholeChoice(std::nextafter(0.5f, 0.0f), 8, 1), 4);
}

}  // namespace
}  // namespace driftmere
