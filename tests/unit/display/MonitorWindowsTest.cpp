// Which windows the saver keeps for a list of monitors, applied the way the display applies a
// plan, through monitors coming, going and changing while it runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/MonitorWindows.h"

namespace driftmere {
namespace {

MonitorArea M(std::uintptr_t id, int x, int y, int w, int h) { return {id, x, y, w, h}; }

TEST(MonitorWindows, OneWindowPerMonitorButNoneForAMirrorOrAnEmptyMonitor) {
    const struct {
        const char* what;
        std::vector<MonitorArea> monitors;
        std::vector<std::size_t> covered;
    } cases[] = {
        {"side by side", {M(1, 0, 0, 1920, 1080), M(2, 1920, 0, 1280, 1024)}, {0, 1}},
        {"overlapping, neither inside", {M(1, 0, 0, 1000, 800), M(2, 900, 0, 1000, 800)}, {0, 1}},
        {"clones: the first keeps it", {M(1, 0, 0, 640, 480), M(2, 0, 0, 640, 480)}, {0}},
        {"a smaller mirror listed first", {M(1, 0, 0, 1024, 768), M(2, 0, 0, 1920, 1080)}, {1}},
        {"no size", {M(1, 0, 0, 0, 768), M(2, 0, 0, 1024, -1)}, {}},
        {"right edges past the largest int do not wrap round",
         {M(1, 2000000000, 0, 2000000000, 100), M(2, 2000000000, 0, 100, 100)},
         {0}}};
    for (const auto& c : cases) EXPECT_EQ(MonitorsToCover(c.monitors), c.covered) << c.what;
    // A server that reports a great many monitors gets windows on the first few only.
    std::vector<MonitorArea> many;
    for (int i = 0; i < 5000; ++i) many.push_back(M(i + 1, i * 100, 0, 100, 100));
    EXPECT_EQ(MonitorsToCover(many).size(), kMostMonitors);
}

// Windows as the display keeps them: a name (is it still the same window?) and the monitor id.
using Windows = std::vector<std::pair<std::string, std::uintptr_t>>;

// Applies the plan for `monitors` to `windows`; false when the plan is to change nothing.
bool Follow(Windows& windows, const std::vector<MonitorArea>& monitors, int& made) {
    std::vector<std::uintptr_t> current;
    for (const auto& w : windows) current.push_back(w.second);
    const auto plan = PlanWindows(current, monitors);
    if (!plan) return false;
    std::vector<int> uses(windows.size(), 0);
    Windows next;
    for (const WindowPlan::Place& place : plan->places) {
        if (place.window) ++uses.at(*place.window);
        next.emplace_back(
            place.window ? windows[*place.window].first : "w" + std::to_string(++made),
            monitors.at(place.monitor).id);
    }
    for (std::size_t i : plan->close) ++uses.at(i);
    EXPECT_EQ(uses, std::vector<int>(windows.size(), 1)) << "each window kept or closed, once";
    windows = next;
    return true;
}

TEST(MonitorWindows, WindowsFollowMonitorsComingGoingAndChanging) {
    const MonitorArea left = M(10, 0, 0, 1920, 1080), right = M(20, 1920, 0, 1280, 1024);
    Windows windows;
    int made = 0;
    ASSERT_TRUE(Follow(windows, {left, right}, made));
    ASSERT_TRUE(Follow(windows, {left, right}, made));
    EXPECT_EQ(windows, (Windows{{"w1", 10}, {"w2", 20}})) << "no change, no new window";
    // The first monitor, with the first window (and the focus), goes: the other stays, first now.
    ASSERT_TRUE(Follow(windows, {right}, made));
    EXPECT_EQ(windows, (Windows{{"w2", 20}}));
    // It comes back as the primary, listed first: a new window goes before the old one.
    ASSERT_TRUE(Follow(windows, {left, right}, made));
    EXPECT_EQ(windows, (Windows{{"w3", 10}, {"w2", 20}}));
    // Every monitor gone: the windows stay where they are until one comes back.
    EXPECT_FALSE(Follow(windows, {}, made));
    EXPECT_FALSE(Follow(windows, {M(30, 0, 0, 0, 0)}, made));
    // A monitor swapped for another in one change: its window moves over instead of a new one.
    ASSERT_TRUE(Follow(windows, {left, M(40, 1920, 0, 1024, 768)}, made));
    EXPECT_EQ(windows, (Windows{{"w3", 10}, {"w2", 40}}));
    // That one turns into a mirror of the first monitor: its window closes.
    ASSERT_TRUE(Follow(windows, {left, M(40, 0, 0, 1024, 768)}, made));
    EXPECT_EQ(windows, (Windows{{"w3", 10}}));
}

}  // namespace
}  // namespace driftmere
