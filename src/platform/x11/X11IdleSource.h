#pragma once
// The user's idle time from the X server: its IDLETIME counter (the SYNC extension), with one
// alarm for "idle this long" and one for "input again". The server sends an event when either
// fires, so the program sleeps in between; nothing is polled.
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <string>

#include "platform/IdleSource.h"

namespace driftmere {

class X11IdleSource : public QObject, public IdleSource {
    Q_OBJECT
  public:
    X11IdleSource();
    ~X11IdleSource() override;

    // Connects to $DISPLAY; false with `problem` set when there is no server or no IDLETIME.
    bool Open(std::string& problem);
    // Called from the event loop when a watch fires.
    void SetCallbacks(std::function<void()> idleReached, std::function<void()> activity);

    std::uint64_t IdleMs() override;
    void WatchIdle(std::uint64_t ms) override;
    void WatchActivity() override;
    bool HeldOffBySession() override;

    // The screen-saver host that already runs on this display, in a few words (empty: none):
    // xscreensaver, or any client that took the X server's screen saver for itself.
    std::string SaverHostRunning();
    // A further hold that HeldOffBySession reports: the desktop's inhibitors, say.
    void AlsoHeldOffBy(std::function<bool()> held) { alsoHeld_ = std::move(held); }
    // Input as far as the X server's idle time is concerned (SimulateUserActivity).
    void ResetIdle();

  private:
    void ReadEvents();
    void FireIdle();
    unsigned long SetAlarm(unsigned long alarm, std::uint64_t value, bool rising);

    void* display_ = nullptr;  // Display*
    unsigned long counter_ = 0;
    unsigned long idleAlarm_ = 0;
    unsigned long activityAlarm_ = 0;
    int syncEventBase_ = 0;
    std::uint64_t idleWatch_ = 0;
    std::uint64_t activityWatch_ = 0;
    bool idleArmed_ = false;
    bool activityArmed_ = false;
    int startTimeout_ = 0;  // the X server's own saver timeout when the watcher started
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> idleReached_;
    std::function<void()> activity_;
    std::function<bool()> alsoHeld_;
};

// The screen-saver host on the X display DISPLAY names, from a short connection of its own, for
// a session whose idle time comes from elsewhere (XWayland in a Wayland session); empty when none
// or no X display.
std::string SaverHostOnXDisplay();

}  // namespace driftmere
