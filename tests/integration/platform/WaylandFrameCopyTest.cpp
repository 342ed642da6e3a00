#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "platform/wayland/FrameCopy.h"
#include "platform/wayland/PixelRegion.h"

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

// A region covers exactly the union of what was added (its bounding box past the bound), each
// pixel once, in as few rectangles as its shape needs, whether added one at a time or at once.
TEST(WaylandFrameCopy, RegionsCoverTheUnionOnceInFewRectangles) {
    struct Case {
        const char* what;
        std::vector<PixelRect> added;
        std::size_t rects;  // how many the region should hold
        bool bounded;       // past the bound: the box around them all
    };
    std::vector<PixelRect> many;
    for (int i = 0; i < 32; ++i) many.push_back({i % 8 * 8, i / 8 * 8, 2, 2});
    std::vector<PixelRect> tooMany = many;
    tooMany.push_back({60, 40, 3, 3});
    const Case cases[] = {
        {"overlapping", {{0, 0, 4, 4}, {2, 2, 4, 4}}, 3, false},
        {"a sprite moving", {{10, 10, 8, 8}, {12, 10, 8, 8}, {14, 11, 8, 8}}, 3, false},
        {"touching side by side", {{0, 0, 3, 2}, {3, 0, 3, 2}}, 1, false},
        {"touching one above the other", {{0, 0, 3, 2}, {0, 2, 3, 2}}, 1, false},
        {"nested, large first", {{0, 0, 8, 8}, {2, 2, 2, 2}}, 1, false},
        {"nested, small first", {{2, 2, 2, 2}, {0, 0, 8, 8}}, 1, false},
        {"twice, and empty", {{1, 1, 5, 5}, {0, 0, 0, 9}, {1, 1, 5, 5}, {3, 3, 4, -1}}, 1, false},
        {"a cross", {{4, 0, 2, 10}, {0, 4, 10, 2}}, 3, false},
        {"many small, at the bound", many, 32, false},
        {"one past the bound", tooMany, 1, true},
    };
    constexpr int kSide = 64;
    auto mark = [](std::vector<int>& grid, const PixelRect& r) {
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) ++grid[y * kSide + x];
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> want(kSide * kSide, 0);
        for (const PixelRect& r : c.bounded ? std::vector<PixelRect>{{0, 0, 63, 43}} : c.added)
            mark(want, r);
        PixelRegion one, all;
        for (const PixelRect& r : c.added) one.Add(r);
        all.Add(c.added);
        for (const PixelRegion* region : {&one, &all}) {
            ASSERT_EQ(region->rects().size(), c.rects);
            std::vector<int> times(kSide * kSide, 0);
            for (const PixelRect& r : region->rects()) mark(times, r);
            for (int i = 0; i < kSide * kSide; ++i)
                ASSERT_EQ(times[i], want[i] > 0 ? 1 : 0) << "at " << i % kSide << "," << i / kSide;
        }
    }
}

// A rectangle reaching to INT_MAX is cut, not wrapped around into a small or negative one.
TEST(WaylandFrameCopy, HugeRectanglesAreCut) {
    const PixelRect cut = ClipRect({INT_MAX - 1, 0, INT_MAX, INT_MAX}, 100, 100);
    EXPECT_TRUE(IsEmpty(cut));
    const PixelRect whole = ClipRect({-INT_MAX, -INT_MAX, INT_MAX, INT_MAX}, 100, 100);
    EXPECT_TRUE(IsEmpty(whole));
}

}  // namespace
}  // namespace driftmere::wayland
