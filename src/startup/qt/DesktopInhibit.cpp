#include "startup/qt/DesktopInhibit.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace driftmere {
namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";

}  // namespace

DesktopInhibit::DesktopInhibit() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusInterface screenSaver(kService, kPath, kService, bus);
    if (!screenSaver.isValid()) return;
    QDBusReply<uint> reply =
        screenSaver.call("Inhibit", QStringLiteral("driftmere"),
                         QStringLiteral("Screen saver running with power saving disabled"));
    if (!reply.isValid()) return;
    cookie_ = reply.value();
    active_ = true;
}

DesktopInhibit::~DesktopInhibit() {
    if (!active_) return;
    QDBusInterface screenSaver(kService, kPath, kService, QDBusConnection::sessionBus());
    screenSaver.call("UnInhibit", cookie_);
}

}  // namespace driftmere
