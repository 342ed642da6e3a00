#include "display/qt/DisplayWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "display/qt/Presentation.h"

namespace driftmere {

DisplayWindow::DisplayWindow(const QImage& frame, Listener& listener, bool takesInput)
    : frame_(frame), listener_(listener), takesInput_(takesInput) {
    // Inside a host window the host owns the keyboard and the mouse, and the stacking: let its
    // events through. Shown by itself, the saver asks a window manager to keep it above others.
    if (!takesInput_) setFlag(Qt::WindowTransparentForInput, true);
    if (takesInput_) setFlag(Qt::WindowStaysOnTopHint, true);
}

QRect DisplayWindow::FrameRect() const { return LetterboxRect(frame_.size(), size()); }

void DisplayWindow::ShowChanged(const QRegion& changed) {
    const QRegion area = WindowRegionFor(changed, frame_.size(), FrameRect());
    if (!area.isEmpty()) update(area);
}

void DisplayWindow::paintEvent(QPaintEvent* event) {
    ++paintCount_;
    lastPainted_ = event->region();
    QPainter painter(this);
    const QRect target = FrameRect();
    for (const QRect& bar : event->region() - QRegion(target)) painter.fillRect(bar, Qt::black);
    const QRegion inside = event->region() & target;
    if (inside.isEmpty()) return;
    if (target.size() == frame_.size()) {
        // One to one: plain copies of the changed rectangles.
        for (const QRect& r : inside) {
            painter.drawImage(r.topLeft(), frame_, r.translated(-target.topLeft()));
        }
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          NeedsSmoothScaling(frame_.size(), target));
    for (const QRect& r : inside) {
        painter.setClipRect(r);
        painter.drawImage(target, frame_);
    }
}

void DisplayWindow::keyPressEvent(QKeyEvent* event) {
    if (!takesInput_) return;
    listener_.WindowKey(event->key());
}

void DisplayWindow::mousePressEvent(QMouseEvent*) {
    if (takesInput_) listener_.WindowClick();
}

// A turn of the wheel is a button press in X; it ends the saver like a click.
void DisplayWindow::wheelEvent(QWheelEvent*) {
    if (takesInput_) listener_.WindowClick();
}

void DisplayWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!takesInput_) return;
    const QPoint position = event->globalPosition().toPoint();
    if (lastPointer_ && *lastPointer_ == position) return;
    lastPointer_ = position;
    listener_.WindowPointerMoved();
}

}  // namespace driftmere
