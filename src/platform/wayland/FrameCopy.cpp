#include "platform/wayland/FrameCopy.h"

#include <algorithm>
#include <cstring>

#include "platform/FetchAhead.h"

namespace driftmere::wayland {
namespace {

void FillBlack(const BufferPixels& buffer, int x, int y, int width, int height) {
    const PixelRect area = ClipRect({x, y, width, height}, buffer.width, buffer.height);
    if (IsEmpty(area)) return;
    // XRGB8888 black is all zero bytes, padding included.
    for (int row = area.y; row < area.y + area.height; ++row) {
        std::memset(buffer.pixels + static_cast<std::size_t>(row) * buffer.stride + area.x * 4, 0,
                    static_cast<std::size_t>(area.width) * 4);
    }
}

}  // namespace

FramePlacement CentreFrame(int frameWidth, int frameHeight, int bufferWidth, int bufferHeight) {
    // Halving the difference rounds towards zero for both signs, so a frame one pixel larger
    // than the buffer loses that pixel on the right, and one smaller leaves it on the right.
    return {(bufferWidth - frameWidth) / 2, (bufferHeight - frameHeight) / 2};
}

bool IsEmpty(const PixelRect& rect) { return rect.width <= 0 || rect.height <= 0; }

PixelRect ClipRect(const PixelRect& rect, int width, int height) {
    // In 64 bits, so that a rectangle far out (INT_MAX wide) cannot wrap around into the area.
    const std::int64_t left = std::max<std::int64_t>(rect.x, 0);
    const std::int64_t top = std::max<std::int64_t>(rect.y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{rect.x} + rect.width, width);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{rect.y} + rect.height, height);
    if (right <= left || bottom <= top) return {};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

PixelRect CopyFrameArea(const FramePixels& frame, const PixelRect& area, FramePlacement at,
                        const BufferPixels& buffer) {
    // The part of the area inside the frame, then the part of that inside the buffer.
    PixelRect source = ClipRect(area, frame.width, frame.height);
    PixelRect target = ClipRect({source.x + at.x, source.y + at.y, source.width, source.height},
                                buffer.width, buffer.height);
    if (IsEmpty(source) || IsEmpty(target)) return {};
    source = {target.x - at.x, target.y - at.y, target.width, target.height};
    const std::size_t rowBytes = static_cast<std::size_t>(target.width) * 4;
    const std::uint8_t* from = frame.pixels + static_cast<std::size_t>(source.y) * frame.stride +
                               static_cast<std::size_t>(source.x) * 4;
    std::uint8_t* to = buffer.pixels + static_cast<std::size_t>(target.y) * buffer.stride +
                       static_cast<std::size_t>(target.x) * 4;
    for (int row = 0; row < target.height; ++row) {
        if (row + kRowsAhead < target.height) {
            FetchAhead(from + kRowsAhead * static_cast<std::size_t>(frame.stride), rowBytes, false);
            FetchAhead(to + kRowsAhead * static_cast<std::size_t>(buffer.stride), rowBytes, true);
        }
        std::memcpy(to, from, rowBytes);
        from += frame.stride;
        to += buffer.stride;
    }
    return target;
}

void PaintBars(const BufferPixels& buffer, int frameWidth, int frameHeight, FramePlacement at) {
    const PixelRect covered =
        ClipRect({at.x, at.y, frameWidth, frameHeight}, buffer.width, buffer.height);
    if (IsEmpty(covered)) {
        FillBlack(buffer, 0, 0, buffer.width, buffer.height);
        return;
    }
    FillBlack(buffer, 0, 0, buffer.width, covered.y);
    const int below = covered.y + covered.height;
    FillBlack(buffer, 0, below, buffer.width, buffer.height - below);
    FillBlack(buffer, 0, covered.y, covered.x, covered.height);
    const int right = covered.x + covered.width;
    FillBlack(buffer, right, covered.y, buffer.width - right, covered.height);
}

}  // namespace driftmere::wayland
