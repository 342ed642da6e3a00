#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "platform/wayland/FrameCopy.h"

namespace driftmere::wayland {
namespace {

// A frame lands centred in the surface's buffer with black bars around it, a frame larger than
// the buffer is cut evenly, and a later partial copy writes only its rectangle: every pixel of
// the buffer is checked against where the frame should be.
TEST(WaylandFrameCopy, CentresTheFrameBehindBlackBarsAndCopiesOnlyTheChangedArea) {
    struct Case {
        int frameW, frameH, bufferW, bufferH;
        int left, top;      // where the frame's corner lands
        PixelRect redrawn;  // copied again after the frame changed everywhere
    };
    const Case cases[] = {
        {4, 3, 8, 7, 2, 2, {1, 1, 2, 1}},    // bars on all four sides
        {5, 4, 8, 4, 1, 0, {0, 0, 5, 4}},    // odd difference: the extra column on the right
        {8, 6, 4, 4, -2, -1, {0, 0, 8, 6}},  // larger than the buffer: cut on both sides
        {3, 3, 3, 3, 0, 0, {2, 2, 9, 9}},    // a change reaching past the frame is cut to it
        {3, 3, 6, 6, 1, 1, {-5, -5, 2, 2}},  // one wholly outside changes nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.frameW << "x" << c.frameH << " in " << c.bufferW << "x" << c.bufferH);
        auto pixel = [](int x, int y, int generation) {
            return static_cast<std::uint32_t>(generation << 16 | y << 8 | x);
        };
        std::vector<std::uint32_t> frame(c.frameW * c.frameH);
        auto paint = [&](int generation) {
            for (int y = 0; y < c.frameH; ++y)
                for (int x = 0; x < c.frameW; ++x)
                    frame[y * c.frameW + x] = pixel(x, y, generation);
        };
        const FramePixels source = {reinterpret_cast<const std::uint8_t*>(frame.data()), c.frameW,
                                    c.frameH, c.frameW * 4};
        std::vector<std::uint32_t> buffer(c.bufferW * c.bufferH, 0xdeadbeef);
        const BufferPixels target = {reinterpret_cast<std::uint8_t*>(buffer.data()), c.bufferW,
                                     c.bufferH, c.bufferW * 4};
        const FramePlacement at = CentreFrame(c.frameW, c.frameH, c.bufferW, c.bufferH);
        EXPECT_EQ(at.x, c.left);
        EXPECT_EQ(at.y, c.top);
        paint(1);
        PaintBars(target, c.frameW, c.frameH, at);
        CopyFrameArea(source, {0, 0, c.frameW, c.frameH}, at, target);
        paint(2);
        CopyFrameArea(source, c.redrawn, at, target);

        const PixelRect redrawn = ClipRect(c.redrawn, c.frameW, c.frameH);
        for (int y = 0; y < c.bufferH; ++y) {
            for (int x = 0; x < c.bufferW; ++x) {
                const int fx = x - c.left, fy = y - c.top;
                std::uint32_t want = 0;
                if (fx >= 0 && fy >= 0 && fx < c.frameW && fy < c.frameH) {
                    const bool again = fx >= redrawn.x && fx < redrawn.x + redrawn.width &&
                                       fy >= redrawn.y && fy < redrawn.y + redrawn.height;
                    want = pixel(fx, fy, again ? 2 : 1);
                }
                ASSERT_EQ(buffer[y * c.bufferW + x], want) << "at " << x << "," << y;
            }
        }
    }
}

// A buffer that misses many frames keeps a short list, and a rectangle reaching to INT_MAX is
// cut, not wrapped around into a small or negative one.
TEST(WaylandFrameCopy, DamageListsStayBoundedAndHugeRectanglesAreCut) {
    std::vector<PixelRect> list;
    for (int i = 0; i < 100; ++i) AddDamage(list, {i * 10, 5, 4, 4});
    ASSERT_LE(list.size(), 8u);
    for (int i = 0; i < 100; ++i) {
        bool covered = false;
        for (const PixelRect& r : list) covered |= r.x <= i * 10 && r.x + r.width >= i * 10 + 4;
        EXPECT_TRUE(covered) << i;
    }
    const PixelRect cut = ClipRect({INT_MAX - 1, 0, INT_MAX, INT_MAX}, 100, 100);
    EXPECT_TRUE(IsEmpty(cut));
    const PixelRect whole = ClipRect({-INT_MAX, -INT_MAX, INT_MAX, INT_MAX}, 100, 100);
    EXPECT_TRUE(IsEmpty(whole));
}

}  // namespace
}  // namespace driftmere::wayland
