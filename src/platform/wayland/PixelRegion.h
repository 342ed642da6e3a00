#pragma once
// An area of a frame as disjoint rectangles, so that each of its pixels is copied and damaged
// once however many overlapping changes made it. Kept in bands: rectangles sorted by top, then by
// left; the rectangles of one band share their top and bottom, and two bands that touch with the
// same columns are one.
#include <cstddef>
#include <vector>

#include "platform/wayland/WaylandClient.h"

namespace driftmere::wayland {

class PixelRegion {
  public:
    // Past this many rectangles a region becomes the one rectangle around them all: a buffer
    // that misses many frames, or a frame of many small changes, keeps a short list (and copies
    // a little more than changed).
    static constexpr std::size_t kMostRects = 32;

    PixelRegion() = default;

    // The union with `rect` (with every one of `rects`). Empty rectangles add nothing.
    void Add(const PixelRect& rect);
    void Add(const std::vector<PixelRect>& rects);
    void Add(const PixelRegion& other) { Add(other.rects_); }
    void Clear() { rects_.clear(); }

    bool empty() const { return rects_.empty(); }
    const std::vector<PixelRect>& rects() const { return rects_; }
    // How many pixels it covers.
    long long area() const;

  private:
    std::vector<PixelRect> rects_;
};

}  // namespace driftmere::wayland
