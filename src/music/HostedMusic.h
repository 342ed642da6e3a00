#pragma once
// Whether a copy shown inside a host's window may play music. A screen-saver host gives each
// monitor a window that covers it; a settings program shows the saver in a preview pane, a window
// smaller than its screen, and some hosts say nothing else to tell the two apart. So a hosted
// copy is heard only when its window covers a whole monitor.
#include <vector>

#include "display/MonitorWindows.h"

namespace driftmere {

// True when `window` (in the screen's pixels) holds the whole of at least one monitor of some
// size.
bool CoversAWholeMonitor(const MonitorArea& window, const std::vector<MonitorArea>& monitors);

}  // namespace driftmere
