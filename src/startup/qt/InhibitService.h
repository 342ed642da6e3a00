#pragma once
// org.freedesktop.ScreenSaver's inhibitors on the session bus, for `driftmere --idle` where no
// desktop provides that service: a video player's Inhibit(application, reason) returns a cookie
// and holds savers off until UnInhibit(cookie) from the same caller, or until that caller leaves
// the bus (it ends or crashes), whichever comes first.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <map>

namespace driftmere {

class InhibitService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public:
    explicit InhibitService(QDBusConnection bus);
    ~InhibitService() override;

    // Takes the service's name; false when somebody else owns it (the desktop's own service)
    // or there is no session bus.
    bool Register();
    int Count() const { return static_cast<int>(cookies_.size()); }
    void SetActive(bool active) { active_ = active; }

    // Bounds on what callers may hold, so one caller cannot eat the watcher's memory.
    static constexpr int kMostPerCaller = 64;
    static constexpr int kMost = 1024;

  signals:
    void inhibitorsChanged(int count);
    void userActivity();

  public slots:
    uint Inhibit(const QString& application, const QString& reason);
    void UnInhibit(uint cookie);
    bool GetActive();
    void SimulateUserActivity();

  private:
    void CallerGone(const QString& caller);

    QDBusConnection bus_;
    QDBusServiceWatcher callers_;
    std::map<uint, QString> cookies_;  // cookie -> the caller's unique bus name
    uint nextCookie_ = 1;
    bool registered_ = false;
    bool active_ = false;
};

// Where the desktop provides the service itself: whether it holds savers off now, as far as it
// tells (GNOME's session manager, or the power manager of KDE and Xfce). False when it cannot
// tell.
bool DesktopHoldsSaversOff(QDBusConnection bus);

}  // namespace driftmere
