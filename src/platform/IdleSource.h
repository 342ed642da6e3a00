#pragma once
// How long the user has been idle, as the session knows it (the X server, a Wayland compositor,
// a desktop's D-Bus service). `driftmere --idle` decides from it when to start the saver.
#include <cstdint>

namespace driftmere {

// Tells the watcher how long the user has been idle, and calls it back (OnIdleReached,
// OnActivity) from the program's event loop. Each watch fires at most once, and a new call of
// the same kind replaces the previous one.
class IdleSource {
  public:
    virtual ~IdleSource() = default;
    // Milliseconds since the user's last input.
    virtual std::uint64_t IdleMs() = 0;
    // Call OnIdleReached once the idle time is at least `ms` (soon, if it already is).
    virtual void WatchIdle(std::uint64_t ms) = 0;
    // Call OnActivity at the user's next input.
    virtual void WatchActivity() = 0;
    // True while the session itself holds screen savers off (on X11: the X server's saver
    // turned off since the watcher started, which is how `xdg-screensaver suspend` does it on a
    // plain X desktop). No callback when that ends: the watcher looks again after an idle time.
    virtual bool HeldOffBySession() = 0;
};

}  // namespace driftmere
