#include "display/qt/Presentation.h"

#include <algorithm>
#include <cmath>

namespace driftmere {

QRect HostedWindowRect(QSize host) {
    const qint64 width = std::max(host.width(), 1);
    const qint64 height = std::max(host.height(), 1);
    if (width * height <= kLargestWindowPixels) return QRect(0, 0, int(width), int(height));
    const double scale = std::sqrt(static_cast<double>(kLargestWindowPixels) / (width * height));
    const int w = std::max(1, static_cast<int>(width * scale));
    const int h = std::max(1, static_cast<int>(height * scale));
    return QRect(static_cast<int>((width - w) / 2), static_cast<int>((height - h) / 2), w, h);
}

QRect LetterboxRect(QSize frame, QSize window) {
    if (frame.isEmpty() || window.isEmpty()) return {};
    // Compare the two aspect ratios in whole numbers so a window of exactly the frame's shape
    // gets no one-pixel bar from a rounding error.
    const qint64 wide = static_cast<qint64>(window.width()) * frame.height();
    const qint64 tall = static_cast<qint64>(window.height()) * frame.width();
    int width = window.width();
    int height = window.height();
    if (wide > tall) {
        width = static_cast<int>(
            (static_cast<qint64>(window.height()) * frame.width() + frame.height() / 2) /
            frame.height());
    } else if (tall > wide) {
        height = static_cast<int>(
            (static_cast<qint64>(window.width()) * frame.height() + frame.width() / 2) /
            frame.width());
    }
    return QRect((window.width() - width) / 2, (window.height() - height) / 2, width, height);
}

bool NeedsSmoothScaling(QSize frame, QRect target) {
    if (frame.isEmpty()) return false;
    return target.width() % frame.width() != 0 || target.height() % frame.height() != 0;
}

QRegion WindowRegionFor(const QRegion& changed, QSize frame, QRect target) {
    if (frame.isEmpty() || target.isEmpty()) return {};
    const double sx = static_cast<double>(target.width()) / frame.width();
    const double sy = static_cast<double>(target.height()) / frame.height();
    const int grow = NeedsSmoothScaling(frame, target) ? 1 : 0;
    QRegion out;
    for (const QRect& r : changed) {
        const int left = static_cast<int>(std::floor(r.x() * sx)) - grow;
        const int top = static_cast<int>(std::floor(r.y() * sy)) - grow;
        const int right = static_cast<int>(std::ceil((r.x() + r.width()) * sx)) + grow;
        const int bottom = static_cast<int>(std::ceil((r.y() + r.height()) * sy)) + grow;
        out += QRect(target.x() + left, target.y() + top, right - left, bottom - top) & target;
    }
    return out;
}

}  // namespace driftmere
