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
    struct Case {
        std::string what;
        std::vector<MonitorArea> monitors;
        std::vector<std::size_t> covered;
    };
    const std::vector<Case> cases = {
        {"side by side, different shapes",
         {M(1, 0, 0, 1920, 1080), M(2, 1920, 0, 1280, 1024)},
         {0, 1}},
        {"touching corners only", {M(1, 0, 0, 800, 600), M(2, 800, 600, 800, 600)}, {0, 1}},
        {"overlapping but neither inside the other",
         {M(1, 0, 0, 1000, 800), M(2, 900, 0, 1000, 800)},
         {0, 1}},
        {"a clone of the same size: the first keeps it",
         {M(1, 0, 0, 1280, 800), M(2, 0, 0, 1280, 800)},
         {0}},
        {"a smaller mirror listed first", {M(1, 0, 0, 1024, 768), M(2, 0, 0, 1920, 1080)}, {1}},
        {"three clones and one beside them",
         {M(1, 0, 0, 640, 480), M(2, 0, 0, 640, 480), M(3, 640, 0, 640, 480), M(4, 0, 0, 640, 480)},
         {0, 2}},
        {"a monitor of no size", {M(1, 0, 0, 0, 768), M(2, 0, 0, 1024, -1)}, {}},
        {"negative places left of and above the primary",
         {M(1, 0, 0, 1920, 1080), M(2, -1280, -200, 1280, 1024)},
         {0, 1}},
        {"right edges past the largest int do not wrap round",
         {M(1, 2000000000, 0, 2000000000, 100), M(2, 2000000000, 0, 100, 100)},
         {0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MonitorsToCover(c.monitors), c.covered) << c.what;
    }
    // A server that reports a great many monitors gets windows on the first few only.
    std::vector<MonitorArea> many;
    for (int i = 0; i < 5000; ++i) many.push_back(M(i + 1, i * 100, 0, 100, 100));
    const auto covered = MonitorsToCover(many);
    ASSERT_EQ(covered.size(), kMostMonitors);
    EXPECT_EQ(covered.back(), kMostMonitors - 1);
}

// The display's side of a plan: each window is the id of the monitor it stands on plus a name
// that shows whether it is still the same window.
struct Window {
    std::string name;
    std::uintptr_t monitor;
    bool operator==(const Window&) const = default;
};

class WindowSet {
  public:
    // Applies the plan for `monitors`; false when the plan leaves everything as it is.
    bool Follow(const std::vector<MonitorArea>& monitors) {
        std::vector<std::uintptr_t> current;
        for (const Window& w : windows) current.push_back(w.monitor);
        const auto plan = PlanWindows(current, monitors);
        if (!plan) return false;
        std::vector<bool> used(windows.size(), false);
        std::vector<Window> next;
        for (const WindowPlan::Place& place : plan->places) {
            Window w;
            if (place.window) {
                EXPECT_FALSE(used.at(*place.window)) << "a window given two places";
                used[*place.window] = true;
                w = windows[*place.window];
            } else {
                w.name = "w" + std::to_string(++made_);
            }
            w.monitor = monitors.at(place.monitor).id;
            next.push_back(w);
        }
        for (std::size_t i : plan->close) {
            EXPECT_FALSE(used.at(i)) << "a window both kept and closed";
            used[i] = true;
        }
        for (bool u : used) EXPECT_TRUE(u) << "a window neither kept nor closed";
        windows = next;
        return true;
    }
    std::vector<Window> windows;

  private:
    int made_ = 0;
};

TEST(MonitorWindows, WindowsFollowMonitorsComingGoingAndChanging) {
    const MonitorArea left = M(10, 0, 0, 1920, 1080), right = M(20, 1920, 0, 1280, 1024);
    WindowSet set;
    ASSERT_TRUE(set.Follow({left, right}));
    EXPECT_EQ(set.windows, (std::vector<Window>{{"w1", 10}, {"w2", 20}}));

    // Nothing changed: the same windows, no new ones.
    ASSERT_TRUE(set.Follow({left, right}));
    EXPECT_EQ(set.windows, (std::vector<Window>{{"w1", 10}, {"w2", 20}}));

    // The first monitor, with the first window, goes: the other window stays and is first now.
    ASSERT_TRUE(set.Follow({right}));
    EXPECT_EQ(set.windows, (std::vector<Window>{{"w2", 20}}));

    // It comes back, listed first again (the primary): a new window goes before the old one.
    ASSERT_TRUE(set.Follow({left, right}));
    EXPECT_EQ(set.windows, (std::vector<Window>{{"w3", 10}, {"w2", 20}}));

    // Every monitor gone at once: the windows stay where they are until one comes back.
    EXPECT_FALSE(set.Follow({}));
    EXPECT_FALSE(set.Follow({M(30, 0, 0, 0, 0)}));
    EXPECT_EQ(set.windows.size(), 2u);

    // One monitor swapped for another in a single change: its window moves over rather than
    // closing and a new one opening.
    const MonitorArea beamer = M(40, 1920, 0, 1024, 768);
    ASSERT_TRUE(set.Follow({left, beamer}));
    EXPECT_EQ(set.windows, (std::vector<Window>{{"w3", 10}, {"w2", 40}}));

    // The beamer turns into a mirror of the first monitor: its window closes.
    ASSERT_TRUE(set.Follow({left, M(40, 0, 0, 1024, 768)}));
    EXPECT_EQ(set.windows, (std::vector<Window>{{"w3", 10}}));
}

}  // namespace
}  // namespace driftmere
