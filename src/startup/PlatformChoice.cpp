#include "startup/PlatformChoice.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/QuotedForMessage.h"

namespace driftmere {
namespace {

PlatformChoice On(Platform platform) {
    PlatformChoice choice;
    choice.platform = platform;
    return choice;
}

PlatformChoice Nowhere(std::string why) {
    PlatformChoice choice;
    choice.problem = std::move(why);
    return choice;
}

// Why WAYLAND_DISPLAY gives no compositor, as the end of a sentence.
std::string NoCompositor(const SessionVariables& s) {
    if (s.waylandDisplay.empty()) return "WAYLAND_DISPLAY is not set";
    return "WAYLAND_DISPLAY " + QuotedForMessage(s.waylandDisplay) +
           " names no compositor that answers";
}

std::string View(const char* text) { return text ? text : ""; }

}  // namespace

PlatformChoice ChoosePlatform(const SessionVariables& s) {
    const bool forcedX11 = s.chosen == "x11";
    const bool forcedWayland = s.chosen == "wayland";
    if (!s.chosen.empty() && !forcedX11 && !forcedWayland) {
        PlatformChoice refused =
            Nowhere("DRIFTMERE_PLATFORM is " + QuotedForMessage(s.chosen) +
                    "; it may be x11 or wayland, or unset to choose by the session's displays");
        refused.badSetting = true;
        return refused;
    }
    const bool xDisplay = !s.display.empty() || s.qtPlatformOfItsOwn;

    if (s.drawsIntoXWindow) {
        const char* kXOnly =
            "a preview (/p) and --root, --window-id or XSCREENSAVER_WINDOW show the saver inside "
            "another program's X11 window, ";
        if (forcedWayland)
            return Nowhere(std::string(kXOnly) + "and DRIFTMERE_PLATFORM is wayland");
        if (!xDisplay)
            return Nowhere(std::string(kXOnly) +
                           "and this session has no X display (DISPLAY is "
                           "not set)");
        return On(Platform::X11);
    }
    if (forcedWayland) {
        if (s.waylandReachable) return On(Platform::Wayland);
        return Nowhere("DRIFTMERE_PLATFORM is wayland, but " + NoCompositor(s));
    }
    if (forcedX11) {
        if (xDisplay) return On(Platform::X11);
        return Nowhere(
            "no X display to show a window on (DISPLAY is not set, and "
            "DRIFTMERE_PLATFORM is x11)");
    }
    if (s.waylandReachable) return On(Platform::Wayland);
    if (xDisplay) return On(Platform::X11);
    return Nowhere("no display to show a window on: DISPLAY is not set, and " + NoCompositor(s));
}

bool WaylandSocketReachable(const char* waylandDisplay, const char* runtimeDir) {
    if (!waylandDisplay || !*waylandDisplay) return false;
    std::string path;
    if (waylandDisplay[0] == '/') {
        path = waylandDisplay;
    } else {
        if (!runtimeDir || runtimeDir[0] != '/') return false;
        path = std::string(runtimeDir) + '/' + waylandDisplay;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool accepted =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
        // A compositor whose queue of new clients is full is there all the same.
        errno == EAGAIN || errno == EINPROGRESS;
    close(fd);
    return accepted;
}

SessionVariables SessionVariablesNow(bool drawsIntoXWindow) {
    std::string wayland = View(std::getenv("WAYLAND_DISPLAY"));
    const bool reachable = WaylandSocketReachable(wayland.c_str(), std::getenv("XDG_RUNTIME_DIR"));
    const std::string qt = View(std::getenv("QT_QPA_PLATFORM"));
    // "wayland-egl", "xcb:option=..." and the like name the two display servers too.
    const bool qtOfItsOwn = !qt.empty() && qt.rfind("xcb", 0) != 0 && qt.rfind("wayland", 0) != 0;
    return {.chosen = View(std::getenv("DRIFTMERE_PLATFORM")),
            .waylandDisplay = std::move(wayland),
            .waylandReachable = reachable,
            .display = View(std::getenv("DISPLAY")),
            .qtPlatformOfItsOwn = qtOfItsOwn,
            .drawsIntoXWindow = drawsIntoXWindow};
}

}  // namespace driftmere
