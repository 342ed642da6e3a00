#pragma once
// Which windows the saver shows for the monitors there are, and what becomes of its windows when
// monitors come, go or change while it runs.
//
// Every monitor gets a window of its own, in the monitors' order, so the first window stands on
// the first monitor (the primary one, which takes the keyboard focus). Two exceptions: a monitor
// of no size, and a monitor whose rectangle lies inside another's (a mirror of part or all of
// it), get none; the bigger monitor's window already covers them, and two windows stacked on
// one place would each keep raising itself over the other.
//
// Only the first kMostMonitors monitors are looked at: each window costs four bytes a pixel, in
// this program and in the X server, and a server reporting thousands of monitors must not make
// the saver take all memory.
//
// A window keeps its monitor for as long as that monitor is there, so a change elsewhere leaves
// it alone. A window whose monitor went moves to a monitor still without one before any new
// window is made; the others close. When no monitor is left at all, the windows stay as they
// are: the X server still shows them, and the next monitor to appear gets them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace driftmere {

inline constexpr std::size_t kMostMonitors = 16;

struct MonitorArea {
    // The same for as long as the monitor is connected.
    std::uintptr_t id = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

struct WindowPlan {
    struct Place {
        // Index into the monitors.
        std::size_t monitor;
        // Index into the current windows of the window that goes there; none: a new window.
        std::optional<std::size_t> window;
    };
    // One place per monitor that gets a window, in the monitors' order.
    std::vector<Place> places;
    // Indices of the current windows that have no place any more, in increasing order.
    std::vector<std::size_t> close;
};

// The monitors that get a window of their own, as indices into `monitors`.
std::vector<std::size_t> MonitorsToCover(const std::vector<MonitorArea>& monitors);

// `windowMonitors` holds, for each current window in order, the id of the monitor it was put on.
// Nullopt when nothing should change (no monitor left).
std::optional<WindowPlan> PlanWindows(const std::vector<std::uintptr_t>& windowMonitors,
                                      const std::vector<MonitorArea>& monitors);

// True when `window` (in the screen's pixels) holds the whole of at least one monitor of some
// size. A screen-saver host gives each monitor a window that covers it; a settings program shows
// the saver in a preview pane, a window smaller than its screen, and some hosts say nothing else
// to tell the two apart.
bool CoversAWholeMonitor(const MonitorArea& window, const std::vector<MonitorArea>& monitors);

}  // namespace driftmere
