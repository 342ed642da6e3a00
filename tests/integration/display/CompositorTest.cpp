// The composition half of the display: pictures, positions, text and the redraw of only what
// changed, checked pixel by pixel on the back buffer.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "TestPictures.h"
#include "display/qt/Compositor.h"

namespace driftmere {
namespace {

using testing::kKey;
using testing::TestPictures;

QColor At(const Compositor& c, int x, int y) { return QColor(c.frame().pixel(x, y)); }

bool IsYellow(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 60; }

int CountYellow(const QImage& frame, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += IsYellow(frame.pixel(x, y));
    return n;
}

class CompositorTest : public ::testing::Test {
  protected:
    SurfaceId Load(const QString& name, int transparency) {
        const SurfaceId s = c.CreateSurface();
        QString error;
        EXPECT_TRUE(c.LoadPicture(s, files.Path(name), transparency, &error))
            << error.toStdString();
        return s;
    }
    TestPictures files;
    Compositor c;
};

TEST_F(CompositorTest, SurfacesAreNumberedFromOneAndKeepTheirPositions) {
    EXPECT_EQ(c.CreateSurface(), 1);
    EXPECT_EQ(c.CreateSurface(), 2);
    c.SetSurfaceX(2, -120);
    c.SetSurfaceY(2, 590);
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

TEST_F(CompositorTest, OpaqueKeyedAndAlphaPicturesDrawAsLoaded) {
    const SurfaceId backdrop = Load("backdrop.bmp", kOpaque);
    const SurfaceId keyed = Load("keyed.bmp", kKeyedOrAlpha);
    const SurfaceId alpha = Load("alpha.bmp", kKeyedOrAlpha);
    const SurfaceId solid = Load("solid-alpha.bmp", kKeyedOrAlpha);
    const SurfaceId keyedAsOpaque = Load("keyed.bmp", kOpaque);
    c.SetSurfaceX(keyed, 10);
    c.SetSurfaceY(keyed, 5);
    c.SetSurfaceY(alpha, 40);
    c.SetSurfaceX(solid, 20);
    c.SetSurfaceY(solid, 40);
    c.SetSurfaceX(keyedAsOpaque, 100);
    c.ClearFrame(0x000080);  // dark red: red + 256 * green + 65536 * blue
    c.DrawSurface(backdrop);
    c.DrawSurface(keyed);
    c.DrawSurface(alpha);
    c.DrawSurface(solid);
    c.DrawSurface(keyedAsOpaque);
    c.Compose();

    EXPECT_EQ(At(c, 39, 29), QColor(10, 120, 200));  // backdrop
    EXPECT_EQ(At(c, 10, 5), QColor(10, 120, 200));   // keyed corner: backdrop shows through
    EXPECT_EQ(At(c, 29, 24), QColor(10, 120, 200));  // opposite corner too
    EXPECT_EQ(At(c, 20, 15), QColor(0, 200, 0));     // keyed inside
    EXPECT_EQ(At(c, 200, 200), QColor(128, 0, 0));   // the clear colour
    const QColor blended = At(c, 2, 45);             // half red over the dark red clear
    EXPECT_NEAR(blended.red(), 191, 3);
    EXPECT_EQ(blended.blue(), 0);
    EXPECT_EQ(At(c, 8, 45), QColor(255, 0, 0));
    // Alpha that hides nothing counts as no alpha: the top-left colour is left out.
    EXPECT_EQ(At(c, 20, 40), QColor(128, 0, 0));
    EXPECT_EQ(At(c, 21, 40), QColor(255, 0, 0));
    // Opaque means opaque, key colour and all.
    EXPECT_EQ(At(c, 100, 0), QColor(kKey));
}

TEST_F(CompositorTest, PicturesPartlyOrWhollyOffTheFrameAreClipped) {
    const SurfaceId keyed = Load("keyed.bmp", kKeyedOrAlpha);
    const SurfaceId far = Load("backdrop.bmp", kOpaque);
    c.SetSurfaceX(keyed, -10);  // only its right half shows
    c.SetSurfaceY(keyed, 590);  // and only its top half
    c.SetSurfaceX(far, INT32_MAX - 5);
    c.SetSurfaceY(far, INT32_MIN);
    c.DrawSurface(keyed);
    c.DrawSurface(far);
    const QRegion changed = c.Compose();
    EXPECT_EQ(At(c, 5, 595), QColor(0, 200, 0));
    EXPECT_EQ(At(c, 11, 599), QColor(0, 0, 0));  // keyed corner on black
    EXPECT_EQ(changed, QRegion(0, 0, 800, 600));
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
    const SurfaceId balloon = Load("keyed.bmp", kKeyedOrAlpha);
    c.SetSurfaceX(balloon, 100);
    c.SetSurfaceY(balloon, 200);
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
    c.MoveSurfaceX(balloon, -200);
    frame();
    // A balloon no longer drawn leaves no trace, and what did not change is left alone.
    c.ClearFrame(kBlack);
    c.DrawSurface(backdrop);
    const QRegion gone = c.Compose();
    EXPECT_TRUE(gone.contains(QRect(101, 199, 20, 20)));
    EXPECT_FALSE(gone.intersects(QRect(200, 100, 600, 500)));
    EXPECT_EQ(At(c, 110, 210), QColor(0, 0, 0));
}

// Redrawing only the changed parts must give exactly the picture a full redraw gives, however
// the pictures move, overlap, appear and disappear.
TEST_F(CompositorTest, PartialRedrawsMatchAFullRedraw) {
    Compositor fresh;
    std::vector<SurfaceId> mine, theirs;
    for (const QString name : {"backdrop.bmp", "keyed.bmp", "alpha.bmp", "keyed.bmp"}) {
        const int transparency = name == "backdrop.bmp" ? kOpaque : kKeyedOrAlpha;
        mine.push_back(Load(name, transparency));
        theirs.push_back(fresh.CreateSurface());
        fresh.LoadPicture(theirs.back(), files.Path(name), transparency, nullptr);
    }
    QRandomGenerator random(7);
    for (int step = 0; step < 300; ++step) {
        const Colour clear = random.bounded(3) == 0 ? 0x204060 : kBlack;
        for (Compositor* each : {&c, &fresh}) each->ClearFrame(clear);
        for (std::size_t i = 0; i < mine.size(); ++i) {
            c.MoveSurfaceX(mine[i], random.bounded(-3, 4));
            c.MoveSurfaceY(mine[i], random.bounded(-3, 4));
            if (c.SurfaceX(mine[i]) < -30 || c.SurfaceX(mine[i]) > 120) c.SetSurfaceX(mine[i], 40);
            if (c.SurfaceY(mine[i]) < -30 || c.SurfaceY(mine[i]) > 120) c.SetSurfaceY(mine[i], 40);
            fresh.SetSurfaceX(theirs[i], c.SurfaceX(mine[i]));
            fresh.SetSurfaceY(theirs[i], c.SurfaceY(mine[i]));
            if (random.bounded(5) != 0) {
                c.DrawSurface(mine[i]);
                fresh.DrawSurface(theirs[i]);
            }
        }
        if (step % 50 < 25) {
            for (Compositor* each : {&c, &fresh}) {
                each->SetFont("Arial", 14);
                each->DrawText(std::to_string(step / 10), 30, 30, kYellow);
            }
        }
        c.Compose();
        fresh.Invalidate();
        fresh.Compose();
        ASSERT_EQ(c.frame(), fresh.frame()) << "step " << step;
    }
}

}  // namespace
}  // namespace driftmere
