#pragma once
// Where this copy shows its windows: on an X server (through Qt's xcb platform, as always), as a
// Wayland client, or nowhere, with the one line that says why. Chosen here and nowhere else.
//
// A Wayland compositor that answers on WAYLAND_DISPLAY takes the saver and the Control Box;
// otherwise everything runs on X11. DRIFTMERE_PLATFORM=x11|wayland overrides that. A preview
// ("/p") and a copy under a screen-saver host (--root, --window-id, XSCREENSAVER_WINDOW) draw
// into another program's X window, so they need X whatever the session is.
#include <string>

namespace driftmere {

enum class Platform { X11, Wayland, None };

// What the session says about its displays, read once at start-up.
struct SessionVariables {
    std::string chosen;             // DRIFTMERE_PLATFORM ("" when unset)
    std::string waylandDisplay;     // WAYLAND_DISPLAY
    bool waylandReachable = false;  // a compositor accepted a connection on that socket
    std::string display;            // DISPLAY
    // QT_QPA_PLATFORM naming a platform that needs no display server (offscreen, vnc, ...):
    // Qt draws where it is told, so the X11 path runs without a display check, as it always has.
    bool qtPlatformOfItsOwn = false;
    bool drawsIntoXWindow = false;  // a preview or a copy under a host
};

struct PlatformChoice {
    Platform platform = Platform::None;
    // With Platform::None: the one line to print (without the program's name).
    std::string problem;
    // DRIFTMERE_PLATFORM holds something other than x11 or wayland: a usage error, not a
    // missing display.
    bool badSetting = false;
};

PlatformChoice ChoosePlatform(const SessionVariables& session);

// Whether a Wayland compositor accepts connections on the socket WAYLAND_DISPLAY names: its name
// in `runtimeDir` (XDG_RUNTIME_DIR, which must be an absolute path), or an absolute path itself.
// Never blocks: a socket nobody listens on, a file that is no socket or a path too long for a
// socket address is simply not reachable.
bool WaylandSocketReachable(const char* waylandDisplay, const char* runtimeDir);

// The session's variables from the environment, the Wayland socket tried once.
SessionVariables SessionVariablesNow(bool drawsIntoXWindow);

}  // namespace driftmere
