#include "startup/qt/InhibitService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <algorithm>

namespace driftmere {
namespace {

constexpr const char* kName = "org.freedesktop.ScreenSaver";
// Callers use either path.
constexpr const char* kPaths[] = {"/ScreenSaver", "/org/freedesktop/ScreenSaver"};
constexpr int kReplyTimeoutMs = 1000;

}  // namespace

InhibitService::InhibitService(QDBusConnection bus)
    : bus_(std::move(bus)), callers_(QString(), bus_, QDBusServiceWatcher::WatchForUnregistration) {
    connect(&callers_, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& caller) { CallerGone(caller); });
}

InhibitService::~InhibitService() {
    if (!registered_) return;
    for (const char* path : kPaths) bus_.unregisterObject(QString::fromLatin1(path));
    bus_.unregisterService(QString::fromLatin1(kName));
}

bool InhibitService::Register() {
    if (!bus_.isConnected()) return false;
    QDBusConnectionInterface* daemon = bus_.interface();
    if (!daemon) return false;
    const auto reply = daemon->registerService(QString::fromLatin1(kName),
                                               QDBusConnectionInterface::DontQueueService,
                                               QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered)
        return false;
    for (const char* path : kPaths)
        bus_.registerObject(QString::fromLatin1(path), this, QDBusConnection::ExportAllSlots);
    registered_ = true;
    return true;
}

uint InhibitService::Inhibit(const QString& application, const QString& reason) {
    Q_UNUSED(application);
    Q_UNUSED(reason);
    if (!calledFromDBus()) return 0;
    const QString caller = message().service();
    const auto mine = std::count_if(cookies_.begin(), cookies_.end(),
                                    [&](const auto& entry) { return entry.second == caller; });
    if (mine >= kMostPerCaller || Count() >= kMost) {
        sendErrorReply(QDBusError::LimitsExceeded, QStringLiteral("too many inhibitors"));
        return 0;
    }
    if (mine == 0) callers_.addWatchedService(caller);
    // A caller that left before we began watching would hold its inhibitor for ever: a caller
    // like dbus-send is gone by the time its call is handled.
    QDBusConnectionInterface* daemon = bus_.interface();
    if (!daemon || !daemon->isServiceRegistered(caller).value()) {
        if (mine == 0) callers_.removeWatchedService(caller);
        return nextCookie_++;
    }
    uint cookie = nextCookie_++;
    while (cookie == 0 || cookies_.count(cookie)) cookie = nextCookie_++;
    cookies_[cookie] = caller;
    emit inhibitorsChanged(Count());
    return cookie;
}

void InhibitService::UnInhibit(uint cookie) {
    if (!calledFromDBus()) return;
    const auto it = cookies_.find(cookie);
    // Only the caller that holds an inhibitor lets it go.
    if (it == cookies_.end() || it->second != message().service()) return;
    const QString caller = it->second;
    cookies_.erase(it);
    if (std::none_of(cookies_.begin(), cookies_.end(),
                     [&](const auto& entry) { return entry.second == caller; }))
        callers_.removeWatchedService(caller);
    emit inhibitorsChanged(Count());
}

bool InhibitService::GetActive() { return active_; }

void InhibitService::SimulateUserActivity() { emit userActivity(); }

void InhibitService::CallerGone(const QString& caller) {
    const std::size_t before = cookies_.size();
    std::erase_if(cookies_, [&](const auto& entry) { return entry.second == caller; });
    callers_.removeWatchedService(caller);
    if (cookies_.size() != before) emit inhibitorsChanged(Count());
}

bool DesktopHoldsSaversOff(QDBusConnection bus) {
    if (!bus.isConnected()) return false;
    // GNOME: inhibited for idle (flag 8).
    QDBusMessage gnome = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
        QStringLiteral("org.gnome.SessionManager"), QStringLiteral("IsInhibited"));
    gnome << 8u;
    // Asking must not start a service that is not running.
    gnome.setAutoStartService(false);
    QDBusReply<bool> inhibited = bus.call(gnome, QDBus::Block, kReplyTimeoutMs);
    if (inhibited.isValid()) return inhibited.value();
    QDBusMessage power = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.PowerManagement"),
        QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"),
        QStringLiteral("org.freedesktop.PowerManagement.Inhibit"), QStringLiteral("HasInhibit"));
    power.setAutoStartService(false);
    QDBusReply<bool> has = bus.call(power, QDBus::Block, kReplyTimeoutMs);
    return has.isValid() && has.value();
}

}  // namespace driftmere
