#include "display/qt/DisplayWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "display/qt/Density.h"
#include "display/qt/KeyCodes.h"
#include "display/qt/Presentation.h"
#include "display/qt/SharedFrames.h"

namespace driftmere {

DisplayWindow::DisplayWindow(const QImage& frame, Listener& listener, bool takesInput,
                             SharedFrames* shared)
    : frame_(&frame), shared_(shared), listener_(listener), takesInput_(takesInput) {
    setSurfaceType(QSurface::RasterSurface);
    // Inside a host window the host owns the keyboard and the mouse, and the stacking: let its
    // events through. Shown by itself, the saver asks a window manager to keep it above others.
    if (!takesInput_) setFlag(Qt::WindowTransparentForInput, true);
    if (takesInput_) setFlag(Qt::WindowStaysOnTopHint, true);
}

QRect DisplayWindow::FrameRect() const { return LetterboxRect(frame_->size(), size()); }

QSize DisplayWindow::WantedFrameSize(QSize scene) const {
    const qreal ratio = devicePixelRatio();
    return FrameSizeFor(QSize(qRound(width() * ratio), qRound(height() * ratio)), scene);
}

DisplayWindow::~DisplayWindow() {
    if (shared_ != nullptr && handle() != nullptr)
        shared_->Forget(static_cast<xcb_window_t>(winId()));
}

void DisplayWindow::ShowChanged(const QRegion& changed) {
    if (!isExposed()) return;  // painted whole when it shows
    const QRegion area = WindowRegionFor(changed, frame_->size(), FrameRect());
    if (!area.isEmpty()) Present(area);
}

void DisplayWindow::Present(const QRegion& area) {
    ++paintCount_;
    lastPainted_ = area;
    if (PresentShared(area)) {
        store_.reset();  // not needed while the server reads the frame itself
        return;
    }
    PaintThroughQt(area);
}

bool DisplayWindow::PresentShared(const QRegion& area) {
    if (shared_ == nullptr || !shared_->enabled() || devicePixelRatio() != 1) return false;
    const QRect target = FrameRect();
    if (target.size() != frame_->size()) return false;
    const auto window = static_cast<xcb_window_t>(winId());
    const QRegion inside = area & target;
    for (const QRect& r : inside) {
        if (!shared_->Put(window, *frame_, r.translated(-target.topLeft()), r.topLeft())) {
            // Only the first can fail (the frame or the window cannot be shared): nothing sent.
            return false;
        }
    }
    for (const QRect& bar : area - QRegion(target)) {
        if (!shared_->Fill(window, bar)) return false;
    }
    return true;
}

void DisplayWindow::PaintThroughQt(QRegion area) {
    if (!store_) store_ = std::make_unique<QBackingStore>(this);
    if (store_->size() != size()) {
        store_->resize(size());
        area = QRect(QPoint(), size());  // a new store holds nothing yet
    }
    store_->beginPaint(area);
    QPainter painter(store_->paintDevice());
    PaintFrame(painter, area);
    painter.end();
    store_->endPaint();
    store_->flush(area);
}

void DisplayWindow::PaintFrame(QPainter& painter, const QRegion& area) const {
    const QRect target = FrameRect();
    for (const QRect& bar : area - QRegion(target)) painter.fillRect(bar, Qt::black);
    const QRegion inside = area & target;
    if (inside.isEmpty()) return;
    const QImage& frame = *frame_;
    if (target.size() == frame.size()) {
        // One to one: plain copies of the changed rectangles.
        for (const QRect& r : inside) {
            painter.drawImage(r.topLeft(), frame, r.translated(-target.topLeft()));
        }
        return;
    }
    // Scaled: only for a frame of another density, until the next frame is composed at this
    // window's own, and under a device pixel ratio other than 1.
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
                          NeedsSmoothScaling(frame.size(), target));
    // Scaled in bands of at most 64 rows: Qt hands a scaled draw of 96 rows or more to its
    // worker threads, and waking them for every changed rectangle, fifty times a second, cost
    // more CPU than the scaling itself. The clip only narrows which rows are drawn, so the
    // pixels are the same as one draw of the whole rectangle.
    constexpr int kRowsPerBand = 64;
    for (const QRect& r : inside) {
        for (int top = r.top(); top <= r.bottom(); top += kRowsPerBand) {
            painter.setClipRect(
                QRect(r.left(), top, r.width(), std::min(kRowsPerBand, r.bottom() + 1 - top)));
            painter.drawImage(target, frame);
        }
    }
}

void DisplayWindow::exposeEvent(QExposeEvent*) {
    if (!isExposed()) return;
    Present(QRect(QPoint(), size()));
    if (shared_ != nullptr) shared_->Flush();
    listener_.WindowExposed();
}

void DisplayWindow::keyPressEvent(QKeyEvent* event) {
    if (!takesInput_) return;
    listener_.WindowKey(SaverQtKeyFor(*event));
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
