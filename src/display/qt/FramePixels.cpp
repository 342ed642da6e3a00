#include "display/qt/FramePixels.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/FetchAhead.h"

namespace driftmere {

QRect ClipToFrame(QSize frame, std::int64_t x, std::int64_t y, std::int64_t width,
                  std::int64_t height) {
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(x + width, frame.width());
    const std::int64_t bottom = std::min<std::int64_t>(y + height, frame.height());
    if (right <= left || bottom <= top) return {};
    return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                 static_cast<int>(bottom - top));
}

void FillScaled(QImage& frame, const QImage& pixels) {
    const QImage scaled =
        pixels.size() == frame.size()
            ? pixels
            : pixels.scaled(frame.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                  .convertToFormat(QImage::Format_RGB32);
    const auto rowBytes = static_cast<std::size_t>(frame.width()) * 4;
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(frame.scanLine(y), scaled.constScanLine(y), rowBytes);
}

void FillPart(QImage& frame, const QRect& part, QRgb colour) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(frame.scanLine(y)) + part.x();
        std::fill_n(line, part.width(), colour | 0xff000000u);
    }
}

namespace {

// Premultiplied "source over": out = in + out * (255 - alpha) / 255, two channels at a time,
// with the usual exact rounding of a division by 255.
inline void BlendOver(QRgb src, QRgb& out) {
    const std::uint32_t alpha = qAlpha(src);
    if (alpha == 0) return;
    if (alpha == 255) {
        out = src;
        return;
    }
    const std::uint32_t rest = 255 - alpha;
    const QRgb dst = out;
    std::uint32_t rb = (dst & 0x00ff00ffu) * rest;
    rb = ((rb + ((rb >> 8) & 0x00ff00ffu) + 0x00800080u) >> 8) & 0x00ff00ffu;
    std::uint32_t ag = ((dst >> 8) & 0x00ff00ffu) * rest;
    ag = (ag + ((ag >> 8) & 0x00ff00ffu) + 0x00800080u) & 0xff00ff00u;
    out = src + (rb | ag);
}

}  // namespace

void DrawPart(QImage& frame, const QRect& part, const QImage& image, int sourceX, int sourceY,
              bool opaque, const std::vector<RowRuns>* runs) {
    // The frame's pixels are taken once: each scanLine() call of a writable image checks whether
    // it must be copied first.
    uchar* const bits = frame.bits();
    const qsizetype stride = frame.bytesPerLine();
    const int width = part.width();
    const auto rowBytes = static_cast<std::size_t>(width) * 4;
    for (int row = 0; row < part.height(); ++row) {
        auto* out = reinterpret_cast<QRgb*>(bits + (part.y() + row) * stride) + part.x();
        const auto* in =
            reinterpret_cast<const QRgb*>(image.constScanLine(sourceY + row)) + sourceX;
        if (row + kRowsAhead < part.height()) {
            FetchAhead(out + kRowsAhead * stride / 4, rowBytes, true);
            FetchAhead(in + kRowsAhead * image.bytesPerLine() / 4, rowBytes, false);
        }
        if (opaque) {
            std::copy_n(in, width, out);
            continue;
        }
        // A balloon is mostly solid inside and clear around: runs of either are copied or
        // skipped whole, and only the pixels of its edge are blended.
        auto blend = [in, out](int from, int to) {
            for (int x = from; x < to;) {
                const std::uint32_t alpha = qAlpha(in[x]);
                int end = x + 1;
                if (alpha == 255) {
                    while (end < to && qAlpha(in[end]) == 255) ++end;
                    std::copy(in + x, in + end, out + x);
                } else if (alpha == 0) {
                    while (end < to && qAlpha(in[end]) == 0) ++end;
                } else {
                    BlendOver(in[x], out[x]);
                }
                x = end;
            }
        };
        if (runs == nullptr) {
            blend(0, width);
            continue;
        }
        const RowRuns& run = (*runs)[static_cast<std::size_t>(sourceY + row)];
        const int first = std::clamp(run.seen.begin - sourceX, 0, width);
        const int last = std::clamp(run.seen.end - sourceX, first, width);
        const int begin = std::clamp(run.solid.begin - sourceX, first, last);
        const int end = std::clamp(run.solid.end - sourceX, begin, last);
        blend(first, begin);
        std::copy(in + begin, in + end, out + begin);
        blend(end, last);
    }
}

void DrawPartStretched(QImage& frame, const QRect& part, const QImage& image, QSize drawnSize,
                       int sourceX, int sourceY, bool opaque) {
    auto source = [](std::int64_t at, int from, int to) {
        return static_cast<int>(std::min<std::int64_t>(at * from / to, from - 1));
    };
    // The image column of each frame column, worked out once for all the rows.
    std::vector<int> columns(static_cast<std::size_t>(part.width()));
    for (int x = 0; x < part.width(); ++x)
        columns[x] = source(sourceX + x, image.width(), drawnSize.width());
    for (int row = 0; row < part.height(); ++row) {
        auto* out = reinterpret_cast<QRgb*>(frame.scanLine(part.y() + row)) + part.x();
        const auto* in = reinterpret_cast<const QRgb*>(
            image.constScanLine(source(sourceY + row, image.height(), drawnSize.height())));
        for (int x = 0; x < part.width(); ++x) {
            if (opaque) {
                out[x] = in[columns[x]];
            } else {
                BlendOver(in[columns[x]], out[x]);
            }
        }
    }
}

void AddToAreas(std::vector<QRect>& areas, QRect area) {
    if (area.isEmpty()) return;
    // A balloon that moved a pixel overlaps its old place almost entirely: one rectangle around
    // both costs fewer painter calls than the pieces of their exact union. Rectangles are joined
    // only when the box around them is no larger than the two together.
    auto size = [](const QRect& r) { return static_cast<std::int64_t>(r.width()) * r.height(); };
    for (bool joined = true; joined;) {
        joined = false;
        for (auto it = areas.begin(); it != areas.end(); ++it) {
            if (!it->intersects(area)) continue;
            const QRect both = it->united(area);
            if (size(both) <= size(*it) + size(area)) {
                area = both;
                areas.erase(it);
                joined = true;
                break;
            }
        }
    }
    areas.push_back(area);
}

}  // namespace driftmere
