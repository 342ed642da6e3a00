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

TEST(Wind, PaceOfABalloonAtFiftyMovesASecond) {
    // First run (11, 2): 25 pixels right and 12.5 up a second; calm: one pixel on the 16th move;
    // drafts -15: sinking a pixel every move.
    for (auto [wind, drafts, moves, right, up] :
         {std::tuple{FirstRun("WindSpeed"), FirstRun("Drafts"), 200, 100, 50},
          {0.0, 0.0, 15, 0, 0},
          {0.0, 0.0, 16, 1, 0},
          {0.0, 0.0, 48, 3, 0},
          {11.0, -15.0, 40, 20, -40},
          {11.0, -2.0, 100, 50, -25}}) {
        Session s(wind, drafts);
        s.Run(20 * (moves - 1));
        EXPECT_EQ(s.X(1) + 120, right) << wind << " " << drafts << " " << moves;
        EXPECT_EQ(590 - s.Y(1), up) << wind << " " << drafts << " " << moves;
    }
}

}  // namespace
}  // namespace driftmere::testing
