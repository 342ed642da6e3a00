#pragma once
// Questions about other X11 windows, asked over a connection of our own so that a window that
// has just gone away costs an error we ignore instead of the program.
#include <cstdint>
#include <optional>
#include <string>

namespace driftmere {

struct WindowSize {
    int width = 0, height = 0;
};

// True when the X server named by $DISPLAY answers.
bool X11DisplayReachable();
// True when a top-level window (or a window manager's frame's child) has exactly this title.
bool X11TopLevelTitled(const std::string& title);
// The window's size, or nullopt when the id names no window.
std::optional<WindowSize> X11WindowSize(std::uint64_t window);

}  // namespace driftmere
