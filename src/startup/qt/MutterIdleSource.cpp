#include "startup/qt/MutterIdleSource.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QTimer>

namespace driftmere {
namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString kInterface = QStringLiteral("org.gnome.Mutter.IdleMonitor");
// The compositor answers at once or is stuck; the watcher does not wait on it for long.
constexpr int kReplyTimeoutMs = 2000;

QDBusMessage Call(const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setAutoStartService(false);
    return call;
}

}  // namespace

MutterIdleSource::MutterIdleSource(QDBusConnection bus)
    : bus_(bus), monitorWatcher_(kService, bus, QDBusServiceWatcher::WatchForUnregistration) {}

MutterIdleSource::~MutterIdleSource() {
    RemoveWatch(idleWatch_);
    RemoveWatch(activityWatch_);
}

bool MutterIdleSource::Offered(QDBusConnection bus) {
    if (!bus.isConnected()) return false;
    QDBusReply<qulonglong> idle =
        bus.call(Call(QStringLiteral("GetIdletime")), QDBus::Block, kReplyTimeoutMs);
    return idle.isValid();
}

bool MutterIdleSource::Open(std::string& problem) {
    if (!Offered(bus_)) {
        problem = "GNOME's idle monitor does not answer on the session bus";
        return false;
    }
    bus_.connect(kService, kPath, kInterface, QStringLiteral("WatchFired"), this,
                 SLOT(OnWatchFired(uint)));
    connect(&monitorWatcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        if (gone_) gone_();
    });
    return true;
}

void MutterIdleSource::SetCallbacks(std::function<void()> idleReached,
                                    std::function<void()> activity, std::function<void()> gone) {
    idleReached_ = std::move(idleReached);
    activity_ = std::move(activity);
    gone_ = std::move(gone);
}

std::uint64_t MutterIdleSource::IdleMs() {
    QDBusReply<qulonglong> idle =
        bus_.call(Call(QStringLiteral("GetIdletime")), QDBus::Block, kReplyTimeoutMs);
    return idle.isValid() ? idle.value() : 0;
}

uint MutterIdleSource::AddWatch(const char* method, std::uint64_t ms, bool withInterval) {
    QDBusMessage call = Call(QString::fromLatin1(method));
    if (withInterval) call << static_cast<qulonglong>(ms);
    QDBusReply<uint> id = bus_.call(call, QDBus::Block, kReplyTimeoutMs);
    return id.isValid() ? id.value() : 0;
}

void MutterIdleSource::RemoveWatch(uint& id) {
    if (id == 0) return;
    QDBusMessage call = Call(QStringLiteral("RemoveWatch"));
    call << id;
    bus_.send(call);  // no answer needed: a watch already gone is as good
    id = 0;
}

void MutterIdleSource::WatchIdle(std::uint64_t ms) {
    // The monitor's idle watch fires each time the idle time reaches it; one that the user
    // passed already fires only after the next input, so that case is answered here.
    RemoveWatch(idleWatch_);
    idleWatchMs_ = ms;
    idleArmed_ = true;
    const int generation = ++idleGeneration_;
    idleWatch_ = AddWatch("AddIdleWatch", ms, true);
    if (IdleMs() >= ms) {
        QTimer::singleShot(0, this, [this, generation] {
            if (idleArmed_ && idleGeneration_ == generation) FireIdle();
        });
    }
}

void MutterIdleSource::WatchActivity() {
    RemoveWatch(activityWatch_);
    activityWatch_ = AddWatch("AddUserActiveWatch", 0, false);
}

void MutterIdleSource::FireIdle() {
    idleArmed_ = false;
    if (idleReached_) idleReached_();
}

void MutterIdleSource::OnWatchFired(uint id) {
    if (id == 0) return;
    if (id == idleWatch_ && idleArmed_) {
        FireIdle();
    } else if (id == activityWatch_) {
        activityWatch_ = 0;  // the monitor drops a user-active watch once it fired
        if (activity_) activity_();
    }
}

void MutterIdleSource::ResetIdle() {
    // The monitor counts this as input: its watches see it as they see a key.
    bus_.send(Call(QStringLiteral("ResetIdletime")));
}

}  // namespace driftmere
