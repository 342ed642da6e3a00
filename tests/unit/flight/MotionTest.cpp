// Motion: the wind bands, the pace they give a balloon, and the 20 ms move gate.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "FlightSession.h"

namespace driftmere::testing {
namespace {

TEST(Wind, BandsOfBothSettings) {
    // A fresh fleet's dividers are 0, which is also what a value outside every band leaves.
    const struct {
        double value;
        int windDivider, draftDivider, draftStep;
    } cases[] = {{15, 0, 0, 1},   {12, 0, 0, 1},   {11, 1, 1, 1},  {8, 1, 1, 1},    {7, 2, 2, 1},
                 {4, 2, 2, 1},    {3, 3, 3, 1},    {1, 3, 3, 1},   {0, 15, 15, 0},  {3.5, 0, 0, 1},
                 {11.5, 0, 0, 1}, {16, 0, 0, 1},   {0.5, 0, 0, 1}, {-1, 0, 3, -1},  {-3, 0, 3, -1},
                 {-4, 0, 2, -1},  {-7, 0, 2, -1},  {-8, 0, 1, -1}, {-11, 0, 1, -1}, {-12, 0, 0, -1},
                 {-16, 0, 0, -1}, {-0.5, 0, 0, -1}};
    for (const auto& c : cases) {
        Session s(c.value, c.value);
        EXPECT_EQ(s.fleet.WindDivider(13), c.windDivider) << c.value;
        EXPECT_EQ(s.fleet.DraftDivider(1), c.draftDivider) << c.value;
        EXPECT_EQ(s.fleet.DraftStep(), c.draftStep) << c.value;
    }
}

// Pixels right and up of balloon 1 and right of balloon 2 (which flies from second 5) after a run.
// First run (11, 2): 25 right and 12.5 up a second; calm: one pixel on the 16th move; drafts -15:
// sinking a pixel every move; wind 15: one pixel right on every move, at most fifty a second,
// one per frame when frames come less often than every 20 ms.
TEST(Wind, PaceOfABalloonAtFiftyMovesASecondAtMost) {
    // clang-format off
    for (auto [wind, drafts, frameMs, runMs, right, up, right2] : {
         std::tuple{FirstRun("WindSpeed"), FirstRun("Drafts"), 10, 3980, 100, 50, 0},
         {0.0, 0.0, 10, 280, 0, 0, 0}, {0.0, 0.0, 10, 300, 1, 0, 0}, {0.0, 0.0, 10, 940, 3, 0, 0},
         {11.0, -15.0, 10, 780, 20, -40, 0}, {11.0, -2.0, 10, 1980, 50, -25, 0},
         {15.0, 2.0, 10, 9999, 500, 125, 250}, {15.0, 2.0, 20, 9999, 500, 125, 250},
         {15.0, 2.0, 33, 3299, 100, 25, 0}}) {
        // clang-format on
        Session s(wind, drafts);
        s.frameMs = frameMs;
        s.Run(runMs);
        EXPECT_EQ(std::tuple(s.X(1) + 120, 590 - s.Y(1), s.X(2) + 120),
                  std::tuple(right, up, right2))
            << wind << " " << drafts << " " << frameMs << " ms frames for " << runMs << " ms";
    }
}

// The clock may read anything when the saver starts, just below the 32-bit wrap or past 2^31
// included; the balloons must fly exactly as they do from 0, balloon 1 moving in the first frame.
TEST(FrameStep, MotionDoesNotDependOnWhereTheTickCountStarts) {
    auto trace = [](std::uint32_t start) {
        Session s(15, -15, start);
        s.Run(0);
        EXPECT_EQ(std::pair(s.X(1), s.Y(1)), std::pair(-119, 591));
        std::vector<std::pair<int, int>> positions;
        s.afterFrame = [&] {
            for (int k = 1; k <= 3; ++k) positions.emplace_back(s.X(k), s.Y(k));
        };
        s.Run(20'000);
        return positions;
    };
    const auto fromZero = trace(0);
    for (std::uint32_t start : {0xFFFFFFFFu - 1000u, 0x7FFFFFFFu - 3u, 0x80000000u + 5u})
        EXPECT_EQ(trace(start), fromZero) << start;
}

TEST(FrameStep, GateCountsFromTheTickReadAfterTheMove) {
    Session s(15, 2);
    s.clock.tickPerRead = 3;  // each reading finds 3 ms more, as if the move took that long
    std::vector<int> movedAt;
    for (int t = 0; t <= 100; t += 10) {
        const int before = s.X(1);
        s.clock.tick = t;
        s.fleet.FrameStep();
        if (s.X(1) != before) movedAt.push_back(t);
    }
    // The move at 0 ends at 3, so 20 is only 17 ms on; 30 is the first frame 20 ms later.
    EXPECT_EQ(movedAt, (std::vector<int>{0, 30, 60, 90}));
}

}  // namespace
}  // namespace driftmere::testing
