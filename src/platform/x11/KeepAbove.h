#pragma once
// Keeps the saver's own full-screen windows (one per monitor) above every other window for as
// long as it runs. A window that opens later (a notification, another program's dialog) would
// otherwise show over the scene and take the keys that are meant to end the saver.
//
// A window manager is asked for the full-screen and above states when the window is shown
// (Qt::WindowStaysOnTopHint, showFullScreen). That is not enough on its own: there may be no
// window manager, windows that bypass it (override-redirect) map on top regardless, and one that
// keeps the saver above still gives a new window the focus. So on an X connection of its own,
// the watcher follows the root window's children being mapped and restacked, its windows'
// visibility and their keyboard focus; whenever another program's window comes to lie over one
// of them, it raises that one again, and whenever another program's window has taken the focus,
// it gives it to the first of its windows.
//
// One watcher looks after all the saver's windows, so the focus passing from one of them to
// another, or two of them touching, is never taken for another program pushing in: two
// watchers, one per window, would snatch the focus from each other until both gave up.
#include <xcb/xcb.h>

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QWindow>
#include <memory>
#include <vector>

#include "platform/x11/RaiseBudget.h"

namespace driftmere {

class KeepAbove : public QObject {
    Q_OBJECT
  public:
    // Connects to the X server. Does nothing from here on when the application is not on X11 or
    // the X server cannot be reached.
    KeepAbove();
    ~KeepAbove() override;
    KeepAbove(const KeepAbove&) = delete;
    KeepAbove& operator=(const KeepAbove&) = delete;

    // Starts watching `windows`, top-level windows of this process, and stops watching any other.
    // The first takes the keyboard focus back.
    void SetWindows(const std::vector<WId>& windows);

    bool active() const { return connection_ != nullptr; }
    // How often the window was raised and the focus taken back, for tests.
    int raises() const { return raises_; }
    int focusTakes() const { return focusTakes_; }

  private:
    void ReadEvents();
    // Reads every event that has arrived; true when one may mean the window is covered or has
    // lost the focus.
    bool Drain();
    struct Cover {
        std::vector<xcb_window_t> managed, unmanaged;
    };
    void Restore();
    bool Ours(xcb_window_t window) const;
    bool Viewable(xcb_window_t window);
    Cover Covering(xcb_window_t topLevel, const std::vector<xcb_window_t>& ownTopLevels);
    xcb_window_t TopLevel(xcb_window_t window);
    bool OtherWindowHasFocus();
    void Stop();

    xcb_connection_t* connection_ = nullptr;
    std::vector<xcb_window_t> windows_;
    xcb_window_t root_ = XCB_NONE;
    std::unique_ptr<QSocketNotifier> notifier_;
    RaiseBudget budget_;
    QElapsedTimer clock_;
    bool readPending_ = false;
    int raises_ = 0;
    int focusTakes_ = 0;
};

}  // namespace driftmere
