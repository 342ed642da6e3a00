#pragma once
// A window the saver is shown in: it paints the composed frame letterboxed into whatever size it
// has, and passes input on to its listener. A frame the X server can read (SharedFrames.h) is
// handed to the server part by part; any other, or under a device pixel ratio other than 1, is
// painted through a backing store of the window's size, made only then. Running by itself the saver
// has one on each monitor, each painting from the frame composed at its density (monitors of one
// density share one); inside a host's window it has one, which takes no input.
#include <QBackingStore>
#include <QPainter>
#include <QPoint>
#include <QRegion>
#include <QWindow>
#include <cstdint>
#include <memory>
#include <optional>

namespace driftmere {

class SharedFrames;

class DisplayWindow : public QWindow {
    Q_OBJECT
  public:
    class Listener {
      public:
        virtual ~Listener() = default;
        virtual void WindowKey(int qtKey) = 0;
        virtual void WindowClick() = 0;
        virtual void WindowPointerMoved() = 0;
        // The window was shown or uncovered (it may not have been drawn while unseen).
        virtual void WindowExposed() {}
    };

    // `frame` is the back buffer; it must outlive the window, or be replaced by SetFrame first.
    // `shared` (may be null) must outlive the window too.
    DisplayWindow(const QImage& frame, Listener& listener, bool takesInput,
                  SharedFrames* shared = nullptr);
    ~DisplayWindow() override;
    void SetFrame(const QImage& frame) { frame_ = &frame; }
    const QImage& frame() const { return *frame_; }
    // The frame this window shows pixel for pixel: its letterbox in device pixels.
    QSize WantedFrameSize(QSize scene) const;

    // Repaints the window pixels that show the region `changed` of the frame (in frame pixels),
    // now. Parts handed to the X server go out with the next SharedFrames::Flush.
    void ShowChanged(const QRegion& changed);
    // The frame's place in the window as it is now.
    QRect FrameRect() const;
    // Where the pointer was last seen, so that a motion report that does not move it (X sends
    // one when a window maps under the pointer or the pointer is warped) is not counted.
    void SetPointerStart(QPoint globalPosition) { lastPointer_ = globalPosition; }

    // The monitor it was put on (an id of the display's choosing; 0 inside a host's window) and
    // that monitor's rectangle then.
    std::uintptr_t monitor() const { return monitor_; }
    QRect monitorArea() const { return monitorArea_; }
    void SetMonitor(std::uintptr_t monitor, QRect area) {
        monitor_ = monitor;
        monitorArea_ = area;
    }

    int paintCount() const { return paintCount_; }
    QRegion lastPainted() const { return lastPainted_; }

    // Whether it paints through a backing store of its own now (for tests).
    bool paintsThroughQt() const { return store_ != nullptr; }

  protected:
    void exposeEvent(QExposeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    // Repaints `area` (window pixels), bars included.
    void Present(const QRegion& area);
    bool PresentShared(const QRegion& area);
    void PaintThroughQt(QRegion area);
    void PaintFrame(QPainter& painter, const QRegion& area) const;

    const QImage* frame_;
    SharedFrames* shared_;
    std::unique_ptr<QBackingStore> store_;
    Listener& listener_;
    bool takesInput_;
    std::optional<QPoint> lastPointer_;
    std::uintptr_t monitor_ = 0;
    QRect monitorArea_;
    int paintCount_ = 0;
    QRegion lastPainted_;
};

}  // namespace driftmere
