#pragma once
// The window the saver is shown in: it paints the composed frame letterboxed into whatever size
// it has, and passes input on to its listener. When it is the saver's own window (it takes the
// input), it stays above every other window for as long as it is shown.
#include <QPoint>
#include <QRasterWindow>
#include <QRegion>
#include <memory>
#include <optional>

#include "display/qt/KeepAbove.h"

namespace driftmere {

class DisplayWindow : public QRasterWindow {
    Q_OBJECT
  public:
    class Listener {
      public:
        virtual ~Listener() = default;
        virtual void WindowKey(int qtKey) = 0;
        virtual void WindowClick() = 0;
        virtual void WindowPointerMoved() = 0;
    };

    // `frame` is the back buffer; it must outlive the window.
    DisplayWindow(const QImage& frame, Listener& listener, bool takesInput);

    // Repaints the window pixels that show the logical region `changed` of the frame.
    void ShowChanged(const QRegion& changed);
    // The frame's place in the window as it is now.
    QRect FrameRect() const;
    // Where the pointer was last seen, so that a motion report that does not move it (X sends
    // one when a window maps under the pointer or the pointer is warped) is not counted.
    void SetPointerStart(QPoint globalPosition) { lastPointer_ = globalPosition; }

    int paintCount() const { return paintCount_; }
    QRegion lastPainted() const { return lastPainted_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    const QImage& frame_;
    Listener& listener_;
    bool takesInput_;
    std::optional<QPoint> lastPointer_;
    int paintCount_ = 0;
    QRegion lastPainted_;
    std::unique_ptr<KeepAbove> keepAbove_;
};

}  // namespace driftmere
