#include "platform/wayland/CompositorConnection.h"

#include <poll.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace driftmere::wayland {

wl_display* ConnectToCompositor(std::string* problem) {
    // libwayland would fall back to "wayland-0" without the variable: a session that names no
    // compositor has none for us.
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (name == nullptr || *name == '\0') {
        *problem = "no Wayland compositor: WAYLAND_DISPLAY is not set";
        return nullptr;
    }
    // libwayland takes WAYLAND_SOCKET, a descriptor a compositor that started us passed down,
    // before any name. One that is not a socket is some other file of ours: never used.
    if (const char* inherited = std::getenv("WAYLAND_SOCKET")) {
        struct stat info {};
        char* end = nullptr;
        const long fd = std::strtol(inherited, &end, 10);
        if (end == inherited || *end != '\0' || fd < 0 || fd > INT_MAX ||
            ::fstat(static_cast<int>(fd), &info) != 0 || !S_ISSOCK(info.st_mode)) {
            ::unsetenv("WAYLAND_SOCKET");
        }
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        *problem = std::string("no Wayland compositor at ") + name + ": " + std::strerror(errno);
        return nullptr;
    }
    return display;
}

RoundTripAnswer RoundTripWithin(wl_display* display, int timeoutMs) {
    static const wl_callback_listener listener = {
        .done = [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; },
    };
    bool answered = false;
    wl_callback* sync = wl_display_sync(display);
    wl_callback_add_listener(sync, &listener, &answered);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool broken = false;
    while (!answered && !broken) {
        while (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0) broken = true;
            if (broken || answered) break;
        }
        if (broken || answered) break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display);
            broken = true;
            break;
        }
        pollfd ready = {wl_display_get_fd(display), POLLIN, 0};
        const int polled = left.count() > 0 ? ::poll(&ready, 1, static_cast<int>(left.count())) : 0;
        if (polled <= 0) {
            wl_display_cancel_read(display);
            if (polled < 0 && errno == EINTR) continue;
            break;  // out of time
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) {
            broken = true;
        }
    }
    wl_callback_destroy(sync);
    if (broken) return RoundTripAnswer::kBroken;
    return answered ? RoundTripAnswer::kAnswered : RoundTripAnswer::kSilent;
}

bool SetupRoundTrip(wl_display* display, const char* what, std::string* problem) {
    switch (RoundTripWithin(display, kSetupTimeoutMs)) {
        case RoundTripAnswer::kAnswered:
            return true;
        case RoundTripAnswer::kBroken:
            *problem =
                std::string("the Wayland compositor broke the connection while it was ") + what;
            return false;
        case RoundTripAnswer::kSilent:
            break;
    }
    *problem = "the Wayland compositor did not answer within " +
               std::to_string(kSetupTimeoutMs / 1000) + " seconds";
    return false;
}

}  // namespace driftmere::wayland
