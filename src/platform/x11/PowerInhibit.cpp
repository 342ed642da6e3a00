#include "platform/x11/PowerInhibit.h"

// Qt first: Xlib's macros (Bool, Status) break Qt headers that follow them.
// clang-format off
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
// clang-format on

namespace driftmere {
namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";

}  // namespace

PowerInhibit::PowerInhibit(void (*warn)(const std::string&)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusInterface screenSaver(kService, kPath, kService, bus);
        if (screenSaver.isValid()) {
            QDBusReply<uint> reply =
                screenSaver.call("Inhibit", QStringLiteral("driftmere"),
                                 QStringLiteral("Screen saver running with power saving disabled"));
            if (reply.isValid()) {
                cookie_ = reply.value();
                viaBus_ = true;
                return;
            }
        }
    }
    if (Display* d = XOpenDisplay(nullptr)) {
        int event = 0, error = 0;
        if (XScreenSaverQueryExtension(d, &event, &error)) {
            XScreenSaverSuspend(d, True);
            XFlush(d);
            xDisplay_ = d;
            viaX_ = true;
        } else {
            XCloseDisplay(d);
        }
    }
    if (!viaX_ && warn)
        warn("driftmere: cannot keep the monitor on (no screen-saver service and no X extension)");
}

PowerInhibit::~PowerInhibit() {
    if (viaBus_) {
        QDBusInterface screenSaver(kService, kPath, kService, QDBusConnection::sessionBus());
        screenSaver.call("UnInhibit", cookie_);
    }
    if (auto* d = static_cast<Display*>(xDisplay_)) {
        XScreenSaverSuspend(d, False);
        XCloseDisplay(d);
    }
}

}  // namespace driftmere
