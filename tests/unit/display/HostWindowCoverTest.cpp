// Which host windows get music: those that cover a whole monitor, never a preview pane.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "display/MonitorWindows.h"

namespace driftmere {
namespace {

TEST(HostWindow, OnlyAWindowCoveringAWholeMonitorIsASaversScreen) {
    const std::vector<MonitorArea> two = {{1, 0, 0, 1920, 1080}, {2, 1920, 0, 1280, 1024}};
    const struct {
        const char* what;
        MonitorArea window;
        std::vector<MonitorArea> monitors;
        bool heard;
    } cases[] = {
        {"a preview pane", {0, 220, 160, 400, 300}, two, false},
        {"the first monitor's window", {0, 0, 0, 1920, 1080}, two, true},
        {"the second monitor's window", {0, 1920, 0, 1280, 1024}, two, true},
        {"one window across both", {0, 0, 0, 3200, 1080}, two, true},
        {"a pixel short at the right", {0, 0, 0, 1919, 1080}, two, false},
        {"a pixel short at the bottom of the second", {0, 1920, 0, 1280, 1023}, two, false},
        {"moved a pixel off the second", {0, 1921, 0, 1280, 1024}, two, false},
        {"a pane holding only a monitor of no size",
         {0, 0, 0, 400, 300},
         {{1, 10, 10, 0, 0}},
         false},
        {"no monitor known", {0, 0, 0, 1920, 1080}, {}, false},
        {"sums past 32 bits", {0, 0, 0, INT_MAX, INT_MAX}, {{1, INT_MAX - 5, 0, 100, 100}}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CoversAWholeMonitor(c.window, c.monitors), c.heard) << c.what;
}

}  // namespace
}  // namespace driftmere
