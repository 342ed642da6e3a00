#pragma once
// How a composed frame lands in a surface's buffer: centred, black bars around it, and only the
// rectangles that changed copied again (made disjoint by PixelRegion). Plain memory work, no
// Wayland, so that it can be checked on its own.
#include <cstdint>
#include <vector>

#include "platform/wayland/WaylandClient.h"

namespace driftmere::wayland {

// Where the frame's top-left corner falls in a buffer of `bufferWidth` x `bufferHeight`: centred,
// negative when the frame is the larger (it is then cut on both sides alike).
struct FramePlacement {
    int x = 0;
    int y = 0;
};
FramePlacement CentreFrame(int frameWidth, int frameHeight, int bufferWidth, int bufferHeight);

// `rect` cut to the `width` x `height` area from the origin; empty (zero size) when outside.
PixelRect ClipRect(const PixelRect& rect, int width, int height);
bool IsEmpty(const PixelRect& rect);

// A buffer's memory: XRGB8888, `stride` bytes a row.
struct BufferPixels {
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Copies the `area` of the frame (frame pixels) to its place in the buffer, cut to the buffer.
// Returns the buffer rectangle written (empty when nothing was).
PixelRect CopyFrameArea(const FramePixels& frame, const PixelRect& area, FramePlacement at,
                        const BufferPixels& buffer);

// Makes the whole buffer black except where the frame covers it.
void PaintBars(const BufferPixels& buffer, int frameWidth, int frameHeight, FramePlacement at);

}  // namespace driftmere::wayland
