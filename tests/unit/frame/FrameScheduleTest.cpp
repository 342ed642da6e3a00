#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "frame/FrameSchedule.h"

namespace driftmere {
namespace {

TEST(NextMoveDue, TheEarliestMoveGatheringThoseJustAfterIt) {
    constexpr std::uint32_t kWrap = 0xffffffffu;
    struct Case {
        const char* what;
        std::uint32_t now;
        std::vector<std::uint32_t> lastMoves;
        std::optional<std::uint32_t> due;
    };
    const Case cases[] = {
        {"none flying: only the timers ask", 1000, {}, std::nullopt},
        {"one balloon, 20 ms after its move", 1000, {995}, 1015},
        {"moved this very tick", 1000, {1000}, 1020},
        {"due exactly now", 1000, {980}, 1000},
        {"overdue by less than an interval", 1000, {975}, 1000},
        {"the earliest of two far apart", 1000, {990, 985}, 1005},
        {"a tick behind: both wait for the later", 1000, {990, 991}, 1011},
        {"two ticks behind still gathered", 1000, {990, 992}, 1012},
        {"three behind: not gathered", 1000, {990, 993}, 1010},
        {"gathered from the earliest, not in a chain", 1000, {990, 992, 994}, 1012},
        {"just launched: the others' next move serves it", 1000, {990, 500}, 1010},
        {"only one just launched: now", 1000, {500}, 1000},
        {"every frame held up: now", 1000, {950, 955}, 1000},
        {"across the 32-bit wrap", 5, {kWrap - 4}, 15},
        {"due across the wrap", kWrap - 5, {kWrap - 10}, 9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NextMoveDue(c.now, c.lastMoves), c.due) << c.what;
    }
}

// The display wakes only when NextMoveDue says; every flying balloon whose 20 ms have passed
// moves, and its tick is read after the move, sometimes a tick late. Balloons launched at odd
// moments join the others, so the wakes stay at fifty a second while every balloon keeps its
// fifty moves.
TEST(NextMoveDue, WakingOnlyWhenDueKeepsFiftyMovesASecondAndFiftyWakes) {
    struct Balloon {
        std::uint32_t launchAt, last = 0;
        bool flying = false;
        int moves = 0;
    };
    std::vector<Balloon> balloons = {{0}, {333}, {517}, {1001}, {1999}, {2003}};
    std::uint32_t now = 0;
    int wakes = 0, frame = 0;
    constexpr std::uint32_t kEnd = 10'000;
    while (now < kEnd) {
        ++wakes;
        // Every seventh frame runs into the next tick.
        const std::uint32_t end = now + (++frame % 7 == 0 ? 1 : 0);
        for (Balloon& b : balloons) {
            if (!b.flying || now - b.last < 20) continue;
            ++b.moves;
            b.last = end;
        }
        std::vector<std::uint32_t> lasts;
        for (const Balloon& b : balloons)
            if (b.flying) lasts.push_back(b.last);
        std::uint32_t next = NextMoveDue(end, lasts).value_or(kEnd);
        // The launch timer sets a balloon flying and asks for a frame within 25 ms, which the
        // others' next frame answers when there is one.
        for (Balloon& b : balloons) {
            if (b.flying || b.launchAt >= next) continue;
            b.flying = true;
            if (next > b.launchAt + 25) next = b.launchAt;
        }
        now = std::max(next, end + 1);
    }
    for (const Balloon& b : balloons) {
        const double seconds = (kEnd - b.launchAt) / 1000.0;
        EXPECT_NEAR(b.moves / seconds, 50, 1.5) << "launched at " << b.launchAt;
    }
    EXPECT_LE(wakes, 10 * 51);
}

}  // namespace
}  // namespace driftmere
