#pragma once
// The user's idle time from GNOME's compositor, which offers no Wayland idle protocol but an idle
// monitor on the session bus (org.gnome.Mutter.IdleMonitor): it tells the idle time when asked,
// and sends WatchFired when a watch added there fires (idle this long, or input again).
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <functional>
#include <string>

#include "platform/IdleSource.h"

namespace driftmere {

class MutterIdleSource : public QObject, public IdleSource {
    Q_OBJECT
  public:
    explicit MutterIdleSource(QDBusConnection bus);
    ~MutterIdleSource() override;

    // Whether the idle monitor answers on this bus (without starting anything).
    static bool Offered(QDBusConnection bus);
    // Listens for its watches; false with `problem` set when it does not answer.
    bool Open(std::string& problem);
    // Called from the event loop: a watch fired, or the monitor left the bus (GNOME ended).
    void SetCallbacks(std::function<void()> idleReached, std::function<void()> activity,
                      std::function<void()> gone);

    std::uint64_t IdleMs() override;
    void WatchIdle(std::uint64_t ms) override;
    void WatchActivity() override;
    bool HeldOffBySession() override { return alsoHeld_ && alsoHeld_(); }

    // A hold that HeldOffBySession reports: the desktop's inhibitors.
    void AlsoHeldOffBy(std::function<bool()> held) { alsoHeld_ = std::move(held); }
    // Input as far as the watcher is concerned (a D-Bus SimulateUserActivity).
    void ResetIdle();

  private slots:
    void OnWatchFired(uint id);

  private:
    // A watch's id from the monitor, 0 when it refused.
    uint AddWatch(const char* method, std::uint64_t ms, bool withInterval);
    void RemoveWatch(uint& id);
    void FireIdle();

    QDBusConnection bus_;
    QDBusServiceWatcher monitorWatcher_;
    uint idleWatch_ = 0;
    uint activityWatch_ = 0;
    std::uint64_t idleWatchMs_ = 0;
    int idleGeneration_ = 0;
    bool idleArmed_ = false;
    std::function<void()> idleReached_;
    std::function<void()> activity_;
    std::function<void()> gone_;
    std::function<bool()> alsoHeld_;
};

}  // namespace driftmere
