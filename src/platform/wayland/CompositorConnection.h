#pragma once
// Reaching the Wayland compositor the careful way, for every connection the program makes (the
// saver's surfaces, the idle watcher's notifications): only the compositor WAYLAND_DISPLAY names,
// never a descriptor that is not a socket, and never waiting on one that does not answer.
#include <wayland-client.h>

#include <string>

namespace driftmere::wayland {

// A compositor that takes the connection but never answers is given this long, not forever.
inline constexpr int kSetupTimeoutMs = 5000;

// Connects to the compositor WAYLAND_DISPLAY names (libwayland would fall back to "wayland-0"
// without it). An inherited WAYLAND_SOCKET that is not a socket is some other file of ours and is
// dropped rather than taken and closed. Null with *problem (one line) when there is none.
wl_display* ConnectToCompositor(std::string* problem);

// Waits for the compositor to answer everything sent so far, dispatching what comes meanwhile,
// for at most timeoutMs.
enum class RoundTripAnswer { kAnswered, kBroken, kSilent };
RoundTripAnswer RoundTripWithin(wl_display* display, int timeoutMs);

// RoundTripWithin(display, kSetupTimeoutMs), with the line for a *problem when it fails; `what`
// says what was being done ("being set up").
bool SetupRoundTrip(wl_display* display, const char* what, std::string* problem);

}  // namespace driftmere::wayland
