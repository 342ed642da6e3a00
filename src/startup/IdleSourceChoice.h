#pragma once
// Where `driftmere --idle` learns the user's idle time, from what the session offers. In a
// Wayland session the X server (XWayland, if any) sees only the input of X programs, so its idle
// time would start the saver while the user types into any other window: there only the
// compositor counts.
#include <string>

namespace driftmere {

enum class IdleSourceKind {
    None,
    XServer,            // the X server's IDLETIME counter
    ExtIdleNotify,      // the Wayland protocol ext_idle_notify_v1 (KWin, newer wlroots)
    KdeIdle,            // the older org_kde_kwin_idle (sway 1.7)
    MutterIdleMonitor,  // GNOME's org.gnome.Mutter.IdleMonitor on the session bus
};

struct SessionOffers {
    bool waylandSession = false;  // WAYLAND_DISPLAY is set
    bool xDisplay = false;        // DISPLAY is set
    bool extIdleNotify = false;
    bool kdeIdle = false;
    bool mutterIdleMonitor = false;
};

IdleSourceKind ChooseIdleSource(const SessionOffers& offers);

// The source in a few words, for the watcher's messages.
std::string IdleSourceName(IdleSourceKind kind);

// Why there is no source (ChooseIdleSource gave None), as one plain line.
std::string NoIdleSourceReason(const SessionOffers& offers);

}  // namespace driftmere
