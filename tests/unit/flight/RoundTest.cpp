// A balloon's round: the one-second launch schedule and the relaunch counters, the end of a
// flight (its limits, the start point and delay drawn) and the flight after it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "FlightSession.h"

namespace driftmere::testing {
namespace {

// The start points as the saver has always had them, written out here rather than taken from the
// code's own table, so that a wrong point there fails: with rising or calm air below the bottom
// edge or left of the screen, with sinking air above the top edge or left of it.
using Points = std::array<std::pair<int, int>, 8>;
constexpr Points kRisingAirStarts = {{{300, 605},
                                      {220, 605},
                                      {130, 605},
                                      {50, 605},
                                      {-150, 500},
                                      {-150, 380},
                                      {-150, 275},
                                      {-150, 150}}};
constexpr Points kSinkingAirStarts = {{{350, -170},
                                       {250, -170},
                                       {150, -170},
                                       {50, -170},
                                       {-160, 50},
                                       {-160, 150},
                                       {-160, 300},
                                       {-160, 450}}};

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

TEST(Finish, EachBalloonFinishesJustPastItsOwnLimits) {
    // Balloon, position, limits it is past. A read-back beyond 16 bits is held at the edge.
    std::vector<std::array<int, 4>> cases = {
        {13, 800, 800, 0}, {13, 801, 801, 2}, {7, 40000, 300, 1}, {7, -40000, 300, 0}};
    for (auto [balloon, right, top, bottom] :
         {std::array{1, 840, -200, 640}, {2, 800, -250, 600}, {3, 800, -250, 800}})
        for (int past : {0, 1})
            cases.insert(cases.end(), {{balloon, right + past, 300, past},
                                       {balloon, 0, top - past, past},
                                       {balloon, 0, bottom + past, past}});
    for (auto [balloon, x, y, finishes] : cases) {
        SCOPED_TRACE(::testing::Message() << balloon << " at " << x << ", " << y);
        Session s;
        s.FlyOnly(balloon);
        s.Run(0);  // its first move
        s.Place(balloon, x, y);
        s.display.Clear();
        s.FrameAfter(10);  // not due to move: the read-back is the placed position
        const BalloonRecord& b = s.fleet.Balloon(balloon);
        EXPECT_EQ(b.PosX, std::clamp(x, -32768, 32767));
        EXPECT_EQ(b.Flying, finishes == 0);
        EXPECT_EQ(s.display.Count("DrawSurface"), 1);  // drawn in its last frame all the same
        EXPECT_EQ(s.display.Count("SetSurfaceX"), finishes);  // placed once per finish
    }
}

// The start point and the delay share one generator, so the order of a finish's parts decides
// which values each receives: balloon 1 draws its delay first, the others their start point.
TEST(Finish, OrderOfTheFinishDecidesTheDrawsAndASecondFinishStands) {
    auto draw = [](Random& r, double seed, int n, int base) {
        r.Reseed(seed);
        return WholeChoice(r.Next(), n, base);
    };
    Session s;
    s.Run(0);
    Random copy = s.random;
    const int delay = draw(copy, 17, 26, 30);
    const int place = draw(copy, 129, 8, 1);
    s.Place(1, 841, 300);
    s.FrameAfter(10);
    EXPECT_EQ(s.fleet.Balloon(1).RelaunchDelay, delay);
    EXPECT_EQ(s.fleet.LowStartChoice(), place);

    Session t;
    t.FlyOnly(3);
    t.Run(0);
    copy = t.random;
    draw(copy, 129, 8, 1);
    draw(copy, 19, 26, 30);
    const int place3 = draw(copy, 129, 8, 1);
    const int delay3 = draw(copy, 19, 26, 30);
    t.Place(3, 801, 801);  // past the right and the bottom limits at once
    t.display.Clear();
    t.FrameAfter(10);
    EXPECT_EQ(t.display.Count("SetSurfaceX 103"), 2);
    EXPECT_EQ(t.fleet.Balloon(3).RelaunchDelay, delay3);
    EXPECT_EQ(std::pair(t.X(3), t.Y(3)), kRisingAirStarts[place3 - 1]);
}

// Long sessions, the tick count wrapping an hour in: every finish puts the balloon at a start
// point with a 30 to 55 s delay, and it flies again from there exactly that much later. Every
// point of the table for the drafts is used.
TEST(Finish, LongSessionsRelaunchFromTheChosenPointAfterTheDrawnDelay) {
    for (auto [wind, drafts, hours] : {std::tuple{11, 2, 24}, {15, 0, 2}, {5, -5, 2}}) {
        SCOPED_TRACE(::testing::Message() << wind << " " << drafts);
        Session s(wind, drafts, 0xFFFFFFFFu - 3'600'000u);
        s.frameMs = 50;
        s.keepLog = false;
        const Points& table = drafts < 0 ? kSinkingAirStarts : kRisingAirStarts;
        std::set<std::pair<int, int>> used;
        struct Track {
            bool flying = false;
            int finishes = 0, finishedAt = 0, x = 0, y = 0;
        };
        std::array<Track, kBalloonCount> track{};
        track[0].flying = true;
        // After a frame only finishes can happen, after a tick only launches.
        auto watch = [&](bool frame) {
            for (int k = 1; k <= kBalloonCount; ++k) {
                const BalloonRecord& b = s.fleet.Balloon(k);
                Track& t = track[k - 1];
                if (frame && t.flying && !b.Flying) {
                    t = {false, t.finishes + 1, s.fleet.LaunchSeconds(), s.X(k), s.Y(k)};
                    ASSERT_TRUE(std::ranges::count(table, std::pair(t.x, t.y)))
                        << t.x << "," << t.y;
                    used.emplace(t.x, t.y);
                    ASSERT_EQ(b.RelaunchCount, 0);
                    ASSERT_TRUE(b.RelaunchDelay >= 30 && b.RelaunchDelay <= 55) << b.RelaunchDelay;
                } else if (!frame && b.Flying && !t.flying && t.finishes > 0) {
                    ASSERT_EQ(s.fleet.LaunchSeconds() - t.finishedAt, b.RelaunchDelay);
                    ASSERT_EQ(std::pair(s.X(k), s.Y(k)), std::pair(t.x, t.y));
                }
                t.flying = b.Flying;
            }
        };
        s.afterFrame = [&] { watch(true); };
        s.afterTick = [&] { watch(false); };
        s.Run(hours * 3'600'000ull);
        EXPECT_EQ(s.fleet.LaunchSeconds(), hours * 3600);
        for (int k = 1; k <= kBalloonCount; ++k) EXPECT_GT(track[k - 1].finishes, 10 * hours) << k;
        EXPECT_EQ(used.size(), table.size());
    }
}

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
}  // namespace driftmere::testing
