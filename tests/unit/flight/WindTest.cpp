// The wind bands, and the pace they give a balloon.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace driftmere::testing
