// The balloon step of a frame: the 20 ms move gate.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "FlightSession.h"

namespace driftmere::testing {
namespace {

// The clock may read anything when the saver starts, just below the 32-bit wrap or past 2^31
// included; the balloons must fly exactly as they do from 0, balloon 1 moving in the first frame.
TEST(FrameStep, MotionDoesNotDependOnWhereTheTickCountStarts) {
    auto trace = [](std::uint32_t start) {
        Session s(15, -15, start);
        s.Run(0);
        EXPECT_EQ(s.X(1), -119);
        EXPECT_EQ(s.Y(1), 591);
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
