#include "display/qt/SolidRuns.h"

#include <algorithm>

#include "platform/FetchAhead.h"

namespace driftmere {

std::vector<RowRuns> RowRunsOf(const QImage& image) {
    std::vector<RowRuns> rows(static_cast<std::size_t>(std::max(image.height(), 0)));
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        RowRuns& row = rows[static_cast<std::size_t>(y)];
        int first = 0, last = width;
        while (first < width && qAlpha(line[first]) == 0) ++first;
        while (last > first && qAlpha(line[last - 1]) == 0) --last;
        if (first < last) row.seen = Span{first, last};
        Span& best = row.solid;
        for (int x = first; x < last;) {
            if (qAlpha(line[x]) != 255) {
                ++x;
                continue;
            }
            int end = x + 1;
            while (end < last && qAlpha(line[end]) == 255) ++end;
            if (end - x > best.end - best.begin) best = Span{x, end};
            x = end;
        }
    }
    return rows;
}

const std::vector<RowRuns>& SolidRunCache::Of(const QImage& image, std::uint64_t frameNumber) {
    auto [it, added] = runs_.try_emplace(image.cacheKey());
    if (added) it->second.runs = RowRunsOf(image);
    it->second.lastUsed = frameNumber;
    return it->second.runs;
}

void SolidRunCache::Trim(std::uint64_t frameNumber) {
    std::erase_if(runs_, [frameNumber](const auto& each) {
        return each.second.lastUsed + 100 < frameNumber;
    });
}

void PaintAround(QImage& frame, const QRect& part, const QImage* image, QRgb colour, int sourceX,
                 int sourceY, const std::vector<Cover>& covers) {
    uchar* const bits = frame.bits();
    const qsizetype stride = frame.bytesPerLine();
    const int left = part.x(), right = part.x() + part.width();
    // Where later pictures hide little of the part (the whole frame drawn anew), one copy a row
    // costs less than several short ones.
    auto size = [](const QRect& r) { return std::int64_t{r.width()} * r.height(); };
    std::int64_t covered = 0;
    for (const Cover& cover : covers) covered += size(cover.bounds);
    const std::size_t count = covered * 4 >= size(part) ? covers.size() : 0;
    std::vector<Span> hidden;
    hidden.reserve(covers.size());
    for (int y = part.top(); y <= part.bottom(); ++y) {
        hidden.clear();
        for (std::size_t i = 0; i < count; ++i) {
            const Cover& cover = covers[i];
            if (y < cover.bounds.top() || y > cover.bounds.bottom()) continue;
            std::int64_t begin = cover.bounds.left(), end = cover.bounds.right() + 1;
            if (cover.runs != nullptr) {
                const Span run = (*cover.runs)[static_cast<std::size_t>(y - cover.y)].solid;
                begin = std::max(begin, cover.x + run.begin);
                end = std::min(end, cover.x + run.end);
            }
            begin = std::max<std::int64_t>(begin, left);
            end = std::min<std::int64_t>(end, right);
            if (begin < end) hidden.push_back({static_cast<int>(begin), static_cast<int>(end)});
        }
        std::sort(hidden.begin(), hidden.end(),
                  [](const Span& a, const Span& b) { return a.begin < b.begin; });
        auto* out = reinterpret_cast<QRgb*>(bits + y * stride);
        const QRgb* in =
            image ? reinterpret_cast<const QRgb*>(image->constScanLine(sourceY + y - part.y())) +
                        sourceX
                  : nullptr;
        if (y + kRowsAhead <= part.bottom()) {
            const auto rowBytes = static_cast<std::size_t>(right - left) * 4;
            FetchAhead(out + kRowsAhead * stride / 4 + left, rowBytes, true);
            if (in) FetchAhead(in + kRowsAhead * image->bytesPerLine() / 4, rowBytes, false);
        }
        auto paint = [&](int from, int to) {
            if (to <= from) return;
            if (in) {
                std::copy(in + (from - left), in + (to - left), out + from);
            } else {
                std::fill(out + from, out + to, colour | 0xff000000u);
            }
        };
        int at = left;
        for (const Span& each : hidden) {
            paint(at, each.begin);
            at = std::max(at, each.end);
        }
        paint(at, right);
    }
}

}  // namespace driftmere
