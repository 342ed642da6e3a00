#pragma once
// The display control on Qt: a full-screen window on every monitor (or one child of a host
// program's window) that shows the composed frame scaled to fit with black bars, raises a frame
// event when its owner has something new to draw (FramePacer.h), and reports keys, clicks and
// pointer motion from any of its windows.
//
// The frame is composed once per density in use, at each window's own device pixels, and every
// window paints the part a Flip changed from the frame of its density, pixel for pixel. Monitors
// that come or go while the saver runs gain or lose their window.
//
// An owner that keeps no schedule gets a frame every 10 ms: a balloon moves at most once per
// 20 ms, so frames at a divisor of 20 ms give every balloon its full 50 moves a second, which a
// 60 Hz refresh would halve.
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <vector>

#include "display/DisplayControl.h"
#include "display/qt/ComposingDisplay.h"
#include "display/qt/Compositor.h"
#include "display/qt/DisplayWindow.h"
#include "display/qt/FramePacer.h"
#include "display/qt/SharedFrames.h"

namespace driftmere {

class HostWindow;
class KeepAbove;
class Visibility;

struct QtDisplayOptions {
    // 0: an own full-screen window on every monitor. Otherwise the X11 window to draw in; the
    // display becomes its child, follows its size and takes no input.
    WId hostWindow = 0;
    // Frame rate and processor use in the bottom-left corner, updated once a second.
    bool showFps = false;
};

class QtDisplay : public QObject, public ComposingDisplay, private DisplayWindow::Listener {
    Q_OBJECT
  public:
    using Options = QtDisplayOptions;

    explicit QtDisplay(Options options = {});
    ~QtDisplay() override;

    // A blank pointer over the saver's windows while hidden.
    void SetPointerHidden(bool hidden);
    // The first window (on the primary monitor); null before OpenDisplay.
    QWindow* window();
    // Every window, the first one first; one per monitor that shows the scene.
    const std::vector<std::unique_ptr<DisplayWindow>>& windows() const { return windows_; }

    void SetEventSink(DisplayEvents* sink) override;
    bool OpenDisplay(int sceneWidth, int sceneHeight) override;
    void Flip() override;

    // Something changed that the next frame shows (the clock's second, the backdrop, a launch):
    // a frame comes within `ms` milliseconds, sooner when one is due sooner anyway.
    void RequestFrameWithin(int ms);

    // For tests and measurements: the composed frame, the part of it the last Flip changed, and
    // how often the first window has painted.
    QImage frameImage() const { return FirstCompositor().frame(); }
    QRegion lastDamage() const { return lastDamage_; }
    int paintCount() const { return windows_.empty() ? 0 : windows_.front()->paintCount(); }
    QRegion lastPainted() const {
        return windows_.empty() ? QRegion() : windows_.front()->lastPainted();
    }
    const Compositor& compositor() const { return FirstCompositor(); }
    // Whether a frame is coming (none while nothing is seen, and none while nothing is due).
    bool frameScheduled() const { return frameTimer_.wakeAt().has_value(); }

  signals:
    // The host window was destroyed (embedded only); the display stops raising frames.
    void hostWindowGone();

  private:
    void Tick();
    void ScheduleNextFrame();
    // Some window is shown (mapped: the first frame is composed while it is being mapped, not
    // after), not wholly covered, on a monitor that is on: without that, no frames.
    bool Seen() const;
    void ApplyDensity();
    const Compositor& ForWindow(const DisplayWindow& window) const;
    void FollowHost(QSize size);
    void HostGone();
    std::unique_ptr<DisplayWindow> NewWindow();
    void FollowScreens();
    void WatchScreen(QScreen* screen);

    void WindowKey(int qtKey) override;
    void WindowClick() override;
    void WindowPointerMoved() override;
    void WindowExposed() override;

    Options options_;
    // Frames the X server reads itself; outlives the windows. A frame still held when it goes
    // keeps its memory (SharedFrames.h).
    SharedFrames sharedFrames_;
    DisplayEvents* sink_ = nullptr;
    bool open_ = false;
    bool inFrame_ = false;
    bool pointerHidden_ = false;
    FramePacer frameTimer_;
    QRegion lastDamage_;  // of the first window's frame
    // The host's stand-in must outlive our window, its child: declared first, destroyed last.
    std::unique_ptr<QWindow> host_;
    std::unique_ptr<HostWindow> hostWatch_;
    std::vector<std::unique_ptr<DisplayWindow>> windows_;
    std::unique_ptr<KeepAbove> keepAbove_;
    std::unique_ptr<Visibility> visibility_;
};

}  // namespace driftmere
