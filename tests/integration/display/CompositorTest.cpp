// Pictures, positions, text and the redraw of only what changed, pixel by pixel on the back buffer.
#include <gtest/gtest.h>

#include "TestPictures.h"

namespace driftmere {
namespace {

using testing::kKey;

QColor At(const Compositor& c, int x, int y) { return QColor(c.frame().pixel(x, y)); }

bool IsYellow(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 60; }

int CountYellow(const QImage& frame, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += IsYellow(frame.pixel(x, y));
    return n;
}

using CompositorTest = testing::PictureFixture;

TEST_F(CompositorTest, SurfacesAreNumberedFromOneAndKeepTheirPositions) {
    EXPECT_EQ(c.CreateSurface(), 1);
    EXPECT_EQ(Load("keyed.bmp", kOpaque, -120, 590), 2);
    c.MoveSurfaceX(2, 3);
    c.MoveSurfaceY(2, 2);  // positive moves up
    c.MoveSurfaceY(2, -5);
    EXPECT_EQ(c.SurfaceX(2), -117);
    EXPECT_EQ(c.SurfaceY(2), 593);
    // Runaway positions wrap instead of overflowing; unknown numbers are harmless.
    c.SetSurfaceX(1, INT32_MAX);
    c.MoveSurfaceX(1, 1);
    EXPECT_EQ(c.SurfaceX(1), INT32_MIN);
    c.MoveSurfaceY(77, 5);
    EXPECT_EQ(c.SurfaceY(77), 0);
    EXPECT_FALSE(c.LoadPicture(77, files.Path("backdrop.bmp"), kOpaque, nullptr));
}

// Opaque, keyed and alpha pictures draw as loaded, clipped partly or wholly by the frame.
TEST_F(CompositorTest, PicturesDrawAsLoadedAndClipped) {
    c.ClearFrame(0x000080);  // dark red: red + 256 * green + 65536 * blue
    for (SurfaceId s :
         {Load("backdrop.bmp", kOpaque), Load("keyed.bmp", kKeyedOrAlpha, 10, 5),
          Load("alpha.bmp", kKeyedOrAlpha, 0, 40), Load("solid-alpha.bmp", kKeyedOrAlpha, 20, 40),
          Load("keyed.bmp", kOpaque, 100, 0), Load("keyed.bmp", kKeyedOrAlpha, -10, 590),
          Load("backdrop.bmp", kOpaque, INT32_MAX - 5, INT32_MIN)})
        c.DrawSurface(s);
    c.Compose();

    const QColor sky(10, 120, 200), green(0, 200, 0), red(255, 0, 0), clear(128, 0, 0);
    // Backdrop; keyed corners show it; keyed inside; the clear colour; alpha's opaque half;
    // alpha that hides nothing counts as none (the top-left colour left out); opaque keeps the
    // key colour; the clipped one's top-right quarter and its corner.
    for (auto [x, y, colour] : {std::tuple{39, 29, sky},
                                {10, 5, sky},
                                {29, 24, sky},
                                {20, 15, green},
                                {200, 200, clear},
                                {8, 45, red},
                                {20, 40, clear},
                                {21, 40, red},
                                {100, 0, QColor(kKey)},
                                {5, 595, green},
                                {7, 591, clear}})
        EXPECT_EQ(At(c, x, y), colour) << x << ", " << y;
    const QColor blended = At(c, 2, 45);  // half red over the dark red clear
    EXPECT_NEAR(blended.red(), 191, 3);
    EXPECT_EQ(blended.blue(), 0);
}

TEST_F(CompositorTest, TextSitsWithItsTopLeftAtThePointAndIsClippedByTheFrame) {
    EXPECT_EQ(Compositor::PixelSizeForPoints(22), 29);
    EXPECT_EQ(Compositor::PixelSizeForPoints(-5), 1);
    c.SetFont("Arial", 22);
    c.DrawText("12:34:56", 1, 1, kBlack);
    c.DrawText("12:34:56", 0, 0, kYellow);
    c.SetFont("No Such Font Family", 22);  // falls back to the sans font
    c.DrawText(std::string(3000, 'W'), 400, 0, kYellow);
    c.Compose();
    const QImage& frame = c.frame();
    EXPECT_GT(CountYellow(frame, QRect(0, 0, 140, 29)), 100);     // clock, top-left
    EXPECT_EQ(CountYellow(frame, QRect(0, 35, 399, 565)), 0);     // nothing below the line
    EXPECT_EQ(CountYellow(frame, QRect(160, 0, 239, 600)), 0);    // clock is short, gap before 400
    EXPECT_GT(CountYellow(frame, QRect(400, 0, 400, 35)), 1000);  // message up to the right edge
    EXPECT_GT(CountYellow(frame, QRect(790, 0, 10, 35)), 10);
}

TEST_F(CompositorTest, TextCacheKeepsOnlyWhatIsStillDrawn) {
    c.SetFont("Arial", 22);
    for (int second = 0; second < 500; ++second) {
        c.DrawText(std::to_string(second), 1, 1, kBlack);
        c.DrawText(std::to_string(second), 0, 0, kYellow);
        c.Compose();
    }
    EXPECT_LE(c.CachedTextCount(), 66u);
}

TEST_F(CompositorTest, AnUnchangedFrameComposesNothingAndAMoveOnlyItsTwoRectangles) {
    const SurfaceId backdrop = Load("backdrop.bmp", kOpaque);
    const SurfaceId balloon = Load("keyed.bmp", kKeyedOrAlpha, 100, 200);
    auto frame = [&] {
        c.ClearFrame(kBlack);
        c.DrawSurface(backdrop);
        c.DrawSurface(balloon);
        c.SetFont("Arial", 22);
        c.DrawText("clock", 0, 0, kYellow);
        return c.Compose();
    };
    EXPECT_EQ(frame(), QRegion(0, 0, 800, 600));
    EXPECT_TRUE(frame().isEmpty());
    c.MoveSurfaceX(balloon, 1);
    c.MoveSurfaceY(balloon, 1);
    // The old and new places overlap, so the box around both is redrawn as one rectangle.
    EXPECT_EQ(frame(), QRegion(100, 199, 21, 21));
    // Far apart, they stay two rectangles.
    c.MoveSurfaceX(balloon, 200);
    EXPECT_EQ(frame(), QRegion(101, 199, 20, 20) | QRegion(301, 199, 20, 20));
}

}  // namespace
}  // namespace driftmere
