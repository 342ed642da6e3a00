#include "startup/qt/DesktopInhibit.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

namespace driftmere {
namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
// Desktops serve the interface at either path (some at both); the first that answers holds it.
constexpr const char* kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
// A desktop that does not answer within this does not hold up the saver's start.
constexpr int kCallTimeoutMs = 2000;

QDBusMessage Call(const char* path, const char* method) {
    return QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(path),
                                          QString::fromLatin1(kService),
                                          QString::fromLatin1(method));
}

}  // namespace

DesktopInhibit::DesktopInhibit() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    for (const char* path : kPaths) {
        QDBusMessage inhibit = Call(path, "Inhibit");
        inhibit << QStringLiteral("driftmere")
                << QStringLiteral("Screen saver running with power saving disabled");
        QDBusReply<uint> reply = bus.call(inhibit, QDBus::Block, kCallTimeoutMs);
        if (reply.isValid()) {
            cookie_ = reply.value();
            path_ = path;
            return;
        }
        // Nobody owns the name: the other path cannot answer either.
        if (reply.error().type() == QDBusError::ServiceUnknown) return;
    }
}

DesktopInhibit::~DesktopInhibit() {
    if (!path_) return;
    QDBusMessage uninhibit = Call(path_, "UnInhibit");
    uninhibit << cookie_;
    QDBusConnection::sessionBus().call(uninhibit, QDBus::Block, kCallTimeoutMs);
}

}  // namespace driftmere
