#include "startup/IdleSourceChoice.h"

namespace driftmere {

IdleSourceKind ChooseIdleSource(const SessionOffers& offers) {
    if (offers.waylandSession) {
        if (offers.extIdleNotify) return IdleSourceKind::ExtIdleNotify;
        if (offers.kdeIdle) return IdleSourceKind::KdeIdle;
        if (offers.mutterIdleMonitor) return IdleSourceKind::MutterIdleMonitor;
        return IdleSourceKind::None;
    }
    return offers.xDisplay ? IdleSourceKind::XServer : IdleSourceKind::None;
}

std::string IdleSourceName(IdleSourceKind kind) {
    switch (kind) {
        case IdleSourceKind::XServer:
            return "the X server's idle time";
        case IdleSourceKind::ExtIdleNotify:
            return "the compositor's ext_idle_notify_v1";
        case IdleSourceKind::KdeIdle:
            return "the compositor's org_kde_kwin_idle";
        case IdleSourceKind::MutterIdleMonitor:
            return "GNOME's org.gnome.Mutter.IdleMonitor";
        case IdleSourceKind::None:
            break;
    }
    return "nothing";
}

std::string NoIdleSourceReason(const SessionOffers& offers) {
    if (offers.waylandSession)
        return "the Wayland compositor tells no idle time (it offers neither ext_idle_notify_v1 "
               "nor org_kde_kwin_idle, and no org.gnome.Mutter.IdleMonitor answers on the "
               "session bus)";
    return "no session to watch (neither WAYLAND_DISPLAY nor DISPLAY is set)";
}

}  // namespace driftmere
