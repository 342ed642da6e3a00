#pragma once
// Keeps the saver's own full-screen window above every other window for as long as it runs. A
// window that opens later (a notification, another program's dialog) would otherwise show over
// the scene and take the keys that are meant to end the saver.
//
// A window manager is asked for the full-screen and above states when the window is shown
// (Qt::WindowStaysOnTopHint, showFullScreen). That is not enough on its own: there may be no
// window manager, windows that bypass it (override-redirect) map on top regardless, and one that
// keeps the saver above still gives a new window the focus. So on an X connection of its own,
// the watcher follows the root window's children being mapped and restacked, its window's
// visibility and its keyboard focus; whenever another window comes to lie over it, it raises its
// window again, and whenever another window has taken the focus, it takes it back.
#include <xcb/xcb.h>

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QWindow>
#include <memory>
#include <vector>

#include "display/qt/RaiseBudget.h"

namespace driftmere {

class KeepAbove : public QObject {
    Q_OBJECT
  public:
    // Starts watching `window`, a top-level window of this process. Does nothing when the
    // application is not on X11 or the X server cannot be reached.
    explicit KeepAbove(WId window);
    ~KeepAbove() override;
    KeepAbove(const KeepAbove&) = delete;
    KeepAbove& operator=(const KeepAbove&) = delete;

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
    Cover Covering(xcb_window_t topLevel);
    xcb_window_t TopLevel();
    bool OtherWindowHasFocus();
    void Stop();

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_;
    xcb_window_t root_ = XCB_NONE;
    std::unique_ptr<QSocketNotifier> notifier_;
    RaiseBudget budget_;
    QElapsedTimer clock_;
    bool readPending_ = false;
    int raises_ = 0;
    int focusTakes_ = 0;
};

}  // namespace driftmere
