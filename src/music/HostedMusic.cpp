#include "music/HostedMusic.h"

#include <cstdint>

namespace driftmere {

bool CoversAWholeMonitor(const MonitorArea& window, const std::vector<MonitorArea>& monitors) {
    // In 64 bits: a hostile geometry cannot overflow the sums.
    const auto right = [](const MonitorArea& a) { return std::int64_t{a.x} + a.width; };
    const auto bottom = [](const MonitorArea& a) { return std::int64_t{a.y} + a.height; };
    for (const MonitorArea& m : monitors) {
        if (m.width <= 0 || m.height <= 0) continue;
        if (window.x <= m.x && window.y <= m.y && right(window) >= right(m) &&
            bottom(window) >= bottom(m))
            return true;
    }
    return false;
}

}  // namespace driftmere
