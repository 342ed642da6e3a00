#include "display/MonitorWindows.h"

#include <algorithm>
#include <cstdint>

namespace driftmere {

namespace {

bool Empty(const MonitorArea& m) { return m.width <= 0 || m.height <= 0; }

bool Same(const MonitorArea& a, const MonitorArea& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// Sums in 64 bits: the X server's numbers are 16-bit, but nothing here should wrap on a
// monitor list from elsewhere.
bool Inside(const MonitorArea& inner, const MonitorArea& outer) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           std::int64_t{inner.x} + inner.width <= std::int64_t{outer.x} + outer.width &&
           std::int64_t{inner.y} + inner.height <= std::int64_t{outer.y} + outer.height;
}

}  // namespace

std::vector<std::size_t> MonitorsToCover(const std::vector<MonitorArea>& monitors) {
    std::vector<std::size_t> covered;
    const std::size_t count = std::min(monitors.size(), kMostMonitors);
    for (std::size_t i = 0; i < count; ++i) {
        if (Empty(monitors[i])) continue;
        bool mirror = false;
        for (std::size_t j = 0; j < count && !mirror; ++j) {
            if (j == i || Empty(monitors[j]) || !Inside(monitors[i], monitors[j])) continue;
            // Of two monitors showing the same rectangle, the first one keeps its window.
            mirror = !Same(monitors[i], monitors[j]) || j < i;
        }
        if (!mirror) covered.push_back(i);
    }
    return covered;
}

std::optional<WindowPlan> PlanWindows(const std::vector<std::uintptr_t>& windowMonitors,
                                      const std::vector<MonitorArea>& monitors) {
    const std::vector<std::size_t> covered = MonitorsToCover(monitors);
    if (covered.empty()) return std::nullopt;
    WindowPlan plan;
    std::vector<bool> placed(windowMonitors.size(), false);
    for (std::size_t monitor : covered) {
        WindowPlan::Place place{monitor, std::nullopt};
        for (std::size_t w = 0; w < windowMonitors.size(); ++w) {
            if (!placed[w] && windowMonitors[w] == monitors[monitor].id) {
                place.window = w;
                placed[w] = true;
                break;
            }
        }
        plan.places.push_back(place);
    }
    // Windows left without their monitor take the places still open, in order.
    std::size_t spare = 0;
    for (WindowPlan::Place& place : plan.places) {
        if (place.window) continue;
        while (spare < placed.size() && placed[spare]) ++spare;
        if (spare == placed.size()) break;
        place.window = spare;
        placed[spare] = true;
    }
    for (std::size_t w = 0; w < placed.size(); ++w) {
        if (!placed[w]) plan.close.push_back(w);
    }
    return plan;
}

bool CoversAWholeMonitor(const MonitorArea& window, const std::vector<MonitorArea>& monitors) {
    // In 64 bits: a hostile geometry cannot overflow the sums.
    const auto right = [](const MonitorArea& a) { return std::int64_t{a.x} + a.width; };
    const auto bottom = [](const MonitorArea& a) { return std::int64_t{a.y} + a.height; };
    for (const MonitorArea& m : monitors) {
        if (Empty(m)) continue;
        if (window.x <= m.x && window.y <= m.y && right(window) >= right(m) &&
            bottom(window) >= bottom(m))
            return true;
    }
    return false;
}

}  // namespace driftmere
