#include "platform/wayland/PixelRegion.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace driftmere::wayland {
namespace {

// Edges in 64 bits, so that a rectangle reaching to INT_MAX cannot wrap around.
struct Edges {
    std::int64_t left, top, right, bottom;
};

Edges EdgesOf(const PixelRect& r) {
    return {r.x, r.y, std::int64_t{r.x} + r.width, std::int64_t{r.y} + r.height};
}

struct Span {
    std::int64_t left, right;
    bool operator==(const Span&) const = default;
};

PixelRect RectOf(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    // Only a union of rectangles far apart near the ends of int can be wider than an int.
    auto side = [](std::int64_t from, std::int64_t to) {
        return static_cast<int>(std::min<std::int64_t>(to - from, INT_MAX));
    };
    return {static_cast<int>(left), static_cast<int>(top), side(left, right), side(top, bottom)};
}

bool Covers(const PixelRect& outer, const PixelRect& inner) {
    const Edges o = EdgesOf(outer), i = EdgesOf(inner);
    return i.left >= o.left && i.top >= o.top && i.right <= o.right && i.bottom <= o.bottom;
}

}  // namespace

void PixelRegion::Add(const PixelRect& rect) {
    if (rect.width <= 0 || rect.height <= 0) return;
    // The common case of a change inside what is already there costs a scan, not a rebuild.
    for (const PixelRect& have : rects_) {
        if (Covers(have, rect)) return;
    }
    Add(std::vector<PixelRect>{rect});
}

void PixelRegion::Add(const std::vector<PixelRect>& rects) {
    std::vector<Edges> all;
    all.reserve(rects_.size() + rects.size());
    for (const PixelRect& r : rects_) all.push_back(EdgesOf(r));
    for (const PixelRect& r : rects) {
        if (r.width > 0 && r.height > 0) all.push_back(EdgesOf(r));
    }
    if (all.size() == rects_.size()) return;

    // Every top and bottom cuts the plane into horizontal slabs; in each, a rectangle covers the
    // slab's full height or none of it, so the slab's columns are the merged spans of those that
    // cover it.
    std::vector<std::int64_t> cuts;
    cuts.reserve(all.size() * 2);
    for (const Edges& e : all) {
        cuts.push_back(e.top);
        cuts.push_back(e.bottom);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    std::vector<PixelRect> out;
    std::vector<Span> spans, previous;
    std::int64_t previousBottom = 0;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const std::int64_t top = cuts[i], bottom = cuts[i + 1];
        spans.clear();
        for (const Edges& e : all) {
            if (e.top <= top && e.bottom >= bottom) spans.push_back({e.left, e.right});
        }
        std::sort(spans.begin(), spans.end(),
                  [](const Span& a, const Span& b) { return a.left < b.left; });
        // Overlapping and touching spans become one.
        std::size_t kept = 0;
        for (const Span& s : spans) {
            if (kept > 0 && s.left <= spans[kept - 1].right) {
                spans[kept - 1].right = std::max(spans[kept - 1].right, s.right);
            } else {
                spans[kept++] = s;
            }
        }
        spans.resize(kept);
        if (spans.empty()) {
            previous.clear();
            continue;
        }
        if (spans == previous && previousBottom == top) {
            // The band above has the same columns: it grows down instead.
            for (std::size_t k = out.size() - spans.size(); k < out.size(); ++k) {
                out[k] = RectOf(out[k].x, out[k].y, std::int64_t{out[k].x} + out[k].width, bottom);
            }
        } else {
            for (const Span& s : spans) out.push_back(RectOf(s.left, top, s.right, bottom));
        }
        previous.swap(spans);
        previousBottom = bottom;
    }

    if (out.size() > kMostRects) {
        Edges box = EdgesOf(out.front());
        for (const PixelRect& r : out) {
            const Edges e = EdgesOf(r);
            box = {std::min(box.left, e.left), std::min(box.top, e.top),
                   std::max(box.right, e.right), std::max(box.bottom, e.bottom)};
        }
        out.assign(1, RectOf(box.left, box.top, box.right, box.bottom));
    }
    rects_ = std::move(out);
}

long long PixelRegion::area() const {
    long long sum = 0;
    for (const PixelRect& r : rects_) sum += static_cast<long long>(r.width) * r.height;
    return sum;
}

}  // namespace driftmere::wayland
