#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "music/PeakLimiter.h"

namespace driftmere {
namespace {

std::vector<float> Sine(float amplitude, int frames) {
    std::vector<float> s(frames);
    for (int i = 0; i < frames; ++i)
        s[i] = amplitude * std::sin(i * 2.0f * 3.14159265f * 440 / 44100);
    return s;
}

float Peak(const std::vector<float>& s) {
    float p = 0;
    for (float v : s) p = std::max(p, std::fabs(v));
    return p;
}

TEST(PeakLimiterTest, QuietSignalPassesUntouchedAndALoudOneStaysUnderTheCeilingAndRecovers) {
    PeakLimiter limiter(0.89f);
    auto left = Sine(0.5f, 44100), right = Sine(-0.3f, 44100);
    const auto quietLeft = left, quietRight = right;
    limiter.Process(left.data(), right.data(), 44100);
    EXPECT_EQ(left, quietLeft);
    EXPECT_EQ(right, quietRight);

    left = Sine(0.2f, 44100), right = Sine(3.0f, 44100);
    limiter.Process(left.data(), right.data(), 44100);
    EXPECT_LE(Peak(right), 0.89f + 1e-6f);
    // Both channels share the gain, so the picture does not lean to one side.
    EXPECT_LT(Peak(left), 0.2f * 0.89f / 3.0f * 1.5f);

    // Two seconds of quiet later the gain is back to (almost) one.
    std::vector<float> quietL(88200, 0.1f), quietR(88200, 0.1f);
    limiter.Process(quietL.data(), quietR.data(), 88200);
    EXPECT_GT(limiter.Gain(), 0.99f);
}

}  // namespace
}  // namespace driftmere
