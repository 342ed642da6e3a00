// The one-second launch schedule: the launch table, the relaunch counters and their wraps.
#include <gtest/gtest.h>

#include <array>

#include "FlightSession.h"

namespace driftmere::testing {
namespace {

TEST(Launch, BalloonsTakeOffAtTheirSeconds) {
    Session s;
    std::array<int, kBalloonCount> firstSecond{};  // balloon 1 flies from 0
    s.afterTick = [&] {
        for (int k = 2; k <= kBalloonCount; ++k)
            if (firstSecond[k - 1] == 0 && s.fleet.Balloon(k).Flying)
                firstSecond[k - 1] = s.fleet.LaunchSeconds();
        EXPECT_EQ(s.fleet.LaunchDone(), s.fleet.LaunchSeconds() >= 112);
    };
    s.Run(130'000);
    EXPECT_EQ(firstSecond,
              (std::array<int, kBalloonCount>{0, 5, 14, 20, 32, 41, 52, 60, 70, 85, 96, 105, 112}));
}

TEST(Launch, TableIsClosedForGoodOnceTheLastBalloonHasGone) {
    Session s;
    for (int i = 0; i < 112; ++i) s.fleet.LaunchTick();
    s.fleet.SetLaunchSeconds(2'100'000'000 - 1);
    s.fleet.LaunchTick();
    EXPECT_EQ(s.fleet.LaunchSeconds(), 2'100'000'000);  // the wrap comes above it, not at it
    for (int k = 3; k <= kBalloonCount; ++k)
        s.fleet.Balloon(k) = BalloonRecord{.RelaunchDelay = 150, .Surface = 100 + k};
    s.fleet.LaunchTick();
    EXPECT_EQ(s.fleet.LaunchSeconds(), 0);
    for (int i = 0; i < 120; ++i) s.fleet.LaunchTick();
    for (int k = 3; k <= kBalloonCount; ++k) EXPECT_FALSE(s.fleet.Balloon(k).Flying) << k;
}

TEST(Launch, RelaunchCountersReleaseOnTheirDelayAndWrapAbove200) {
    Session s;
    s.fleet.SetLaunchSeconds(1000);           // past the table
    for (int k = 1; k <= kBalloonCount; ++k)  // 1 to 3 already past their delay
        s.fleet.Balloon(k) = {.RelaunchDelay = 42,
                              .Surface = 100 + k,
                              .RelaunchCount = static_cast<std::int16_t>(k <= 3 ? 100 : 0)};

    std::array<int, kBalloonCount> releasedOn{};
    for (int tick = 1; tick <= 300; ++tick) {
        s.fleet.LaunchTick();
        for (int k = 1; k <= kBalloonCount; ++k) {
            ASSERT_LE(s.fleet.Balloon(k).RelaunchCount, 200);
            if (releasedOn[k - 1] == 0 && s.fleet.Balloon(k).Flying) releasedOn[k - 1] = tick;
        }
    }
    // Balloons 1 and 2 go as soon as the count is at or past the delay. The others need the
    // count to equal it: balloon 3 counts on to 201, wraps to 0 and meets 42 on the way back.
    EXPECT_EQ(releasedOn, (std::array<int, kBalloonCount>{1, 1, 101 + 42, 42, 42, 42, 42, 42, 42,
                                                          42, 42, 42, 42}));
}

}  // namespace
}  // namespace driftmere::testing
