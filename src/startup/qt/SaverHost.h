#pragma once
// The saver session's host on Qt: the three one-second timers, the pointer, the message box,
// the locale's time text and the end of the event loop.
#include <QObject>
#include <QTimer>
#include <functional>

#include "platform/SessionHost.h"

namespace driftmere {

class SaverSession;

// What the host asks of the display the saver runs with; either may be empty.
struct HostedDisplay {
    // Hides the pointer over the display's windows (true) or shows it again.
    std::function<void(bool hidden)> setPointerHidden;
    // Something changed that the next frame shows: a frame within this many milliseconds.
    std::function<void(int ms)> requestFrameWithin;
};

class SaverHost : public QObject, public SessionHost {
    Q_OBJECT
  public:
    // hosted: a screen-saver host owns the pointer, so it is left alone, and messages go to
    // stderr instead of a box; so they do without boxes (no window of the toolkit's to show
    // one on, as in a Wayland session).
    SaverHost(HostedDisplay display, bool hosted, bool boxes = true);

    // Connects the timers to the session and starts BackdropAndLaunchTick and ClockAndTimeoutTick,
    // which tick from the moment the session loads.
    void Attach(SaverSession& session);
    int exitStatus() const { return exitStatus_; }

    void SetPointerHidden(bool hidden) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void SetSongWatcherEnabled(bool enabled) override;
    std::string TimeText(double secondsOfDay) override;
    void RequestQuit(int status) override;

  private:
    HostedDisplay display_;
    bool hosted_;
    bool boxes_;
    QTimer backdropAndLaunchTimer_, clockAndTimeoutTimer_, songWatcherTimer_;  // each every second
    QString timeFormat_;
    int exitStatus_ = 0;
};

// The locale's long time format without its time-zone part ("h:mm:ss AP", "HH:mm:ss").
QString TimeOfDayFormat(const QString& localeLongTimeFormat);

}  // namespace driftmere
