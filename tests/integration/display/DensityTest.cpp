// The frame at two pixels per logical pixel: the density chosen, partial redraws, the pictures'
// twice-as-dense twins and their decoding only when drawn.
#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

#include "TestPictures.h"
#include "display/qt/Density.h"
#include "display/qt/PictureLoading.h"

namespace driftmere {
namespace {

TEST(PictureScaleForTest, TheTwiceDenseSetFromOneAndAHalfDevicePixelsPerLogicalPixel) {
    const QSize logical(800, 600);
    // {width, height, scale}; 1600 x 1200 is an 800 x 600 window at a device pixel ratio of 2.
    const int cases[][3] = {{800, 600, 1},   {1199, 899, 1},    {1200, 900, 2},
                            {1440, 1080, 2}, {2880, 2160, 2},   {1200, 899, 1},
                            {0, 0, 1},       {-1600, -1200, 1}, {1600, 1200, 2}};
    for (auto [w, h, scale] : cases)
        EXPECT_EQ(PictureScaleFor({w, h}, logical), scale) << w << "x" << h;
    EXPECT_EQ(PictureScaleFor({1600, 1200}, {}), 1);
    EXPECT_EQ(TwinPath("/data/mtn01.bmp"), "/data/mtn01@2x.png");
    EXPECT_EQ(TwinPath("/da.ta/picture"), "/da.ta/picture@2x.png");
}

// The box around the pixels of one colour.
QRect Around(const QImage& frame, QRgb colour) {
    QRect box;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if ((frame.pixel(x, y) & 0xffffff) == (colour & 0xffffff)) box |= QRect(x, y, 1, 1);
    return box;
}

class DensityTest : public testing::PictureFixture {
  protected:
    DensityTest() {
        c.SetWarningSink([this](const QString& path, const QString& why) {
            warnings.push_back(path + ": " + why);
        });
    }
    void WriteTwin(const QString& name, QSize size, QColor colour) {
        QImage twin(size, QImage::Format_RGB32);
        twin.fill(colour);
        twin.save(files.Path(name), "PNG");
    }
    QStringList warnings;
};

// Redrawing only what changed gives exactly a full redraw's picture, frame after frame, at either
// density: balloons move, overlap, come and go over a backdrop with a twin, the clear colour and
// the text change, and the density changes in the middle of a frame.
TEST_F(DensityTest, PartialRedrawsMatchAFullRedrawAtEitherDensity) {
    WriteTwin("backdrop@2x.png", {80, 60}, QColor(30, 90, 160));
    Compositor fresh;
    std::vector<SurfaceId> ids;  // the same in both
    for (const QString name : {"backdrop.bmp", "keyed.bmp", "alpha.bmp", "keyed.bmp"}) {
        const int transparency = name == "backdrop.bmp" ? kOpaque : kKeyedOrAlpha;
        ids.push_back(Load(c, name, transparency));
        Load(fresh, name, transparency);
    }
    c.SetScale(2);
    fresh.SetScale(2);
    QRandomGenerator random(11);
    for (int step = 0; step < 360; ++step) {
        const Colour clear = random.bounded(3) == 0 ? 0x204060 : kBlack;
        for (Compositor* each : {&c, &fresh}) each->ClearFrame(clear);
        for (SurfaceId s : ids) {
            c.MoveSurfaceX(s, random.bounded(-3, 4));
            c.MoveSurfaceY(s, random.bounded(-3, 4));
            const int x = c.SurfaceX(s), y = c.SurfaceY(s);
            if (x < -30 || x > 120 || y < -30 || y > 120)
                c.SetSurfaceX(s, 40), c.SetSurfaceY(s, 40);
            fresh.SetSurfaceX(s, c.SurfaceX(s));
            fresh.SetSurfaceY(s, c.SurfaceY(s));
            if (random.bounded(5) != 0)
                for (Compositor* each : {&c, &fresh}) each->DrawSurface(s);
        }
        for (Compositor* each : {&c, &fresh}) {
            each->SetFont("Arial", 12);
            if (step % 50 < 25)
                each->DrawText(std::to_string(step / 7), 20 + step % 30, 10, kYellow);
            each->DrawTextInFont(QStringLiteral("FPS"), QFont(), 5, 80, kYellow);
            // Asked for mid-frame, the new density starts with the next frame.
            if (step == 120 || step == 240) each->SetScale(step == 120 ? 1 : 2);
            // The twins read in the background arrive at the next draw, in both alike.
            each->WaitForDecodes();
        }
        c.Compose();
        fresh.Invalidate();
        fresh.Compose();
        ASSERT_EQ(c.frame(), fresh.frame()) << "step " << step;
        ASSERT_EQ(c.frame().size(), QSize(800, 600) * (step >= 120 && step < 240 ? 1 : 2));
    }
    // The balloons have no twins: one warning for each, however often they are decoded again.
    EXPECT_EQ(warnings.size(), 3) << warnings.join('\n').toStdString();
}

TEST_F(DensityTest, ALogicalPositionLandsOnTwiceItsPixelsAndAOnePixelMoveRedrawsTwoRows) {
    WriteTwin("backdrop@2x.png", {80, 60}, QColor(30, 90, 160));
    const SurfaceId backdrop = Load(c, "backdrop.bmp", kOpaque, 100, 50);
    const SurfaceId balloon = Load(c, "keyed.bmp", kKeyedOrAlpha, 300, 200);  // no twin
    c.SetScale(2);
    auto frame = [&] {
        c.ClearFrame(kBlack);
        c.DrawSurface(backdrop);
        c.DrawSurface(balloon);
        c.SetFont("Arial", 20);
        c.DrawText("12:00", 400, 300, 0x0000ff);  // red
        return c.Compose();
    };
    EXPECT_EQ(frame(), QRegion(0, 0, 1600, 1200));
    // The backdrop stands in enlarged until its twin is read, then the twin replaces it.
    EXPECT_EQ(Around(c.frame(), qRgb(10, 120, 200)), QRect(200, 100, 80, 60));
    c.WaitForDecodes();
    EXPECT_EQ(frame(), QRegion(200, 100, 80, 60) | QRegion(600, 400, 40, 40));
    EXPECT_EQ(Around(c.frame(), qRgb(30, 90, 160)), QRect(200, 100, 80, 60));
    // The balloon, enlarged on 40 x 40 pixels, its key-coloured corners still left out.
    EXPECT_EQ(Around(c.frame(), qRgb(0, 200, 0)), QRect(600, 400, 40, 40));
    EXPECT_EQ(c.frame().pixel(601, 401), qRgb(0, 0, 0));
    ASSERT_EQ(warnings.size(), 1);  // the balloon's missing twin, once
    EXPECT_TRUE(warnings[0].contains("keyed@2x.png")) << warnings[0].toStdString();
    // The text: twice the size at twice the place.
    const QRect text = Around(c.frame(), qRgb(255, 0, 0));
    EXPECT_NEAR(text.left(), 800, 10);
    EXPECT_NEAR(text.top(), 600, 24);
    EXPECT_GT(text.height(), 24);
    EXPECT_LT(text.height(), 60);

    c.MoveSurfaceY(balloon, 1);  // one logical pixel up
    EXPECT_EQ(frame(), QRegion(600, 398, 40, 42));
    EXPECT_EQ(Around(c.frame(), qRgb(0, 200, 0)), QRect(600, 398, 40, 40));
}

TEST_F(DensityTest, PicturesAreDecodedWhenFirstDrawnAndAnUndrawnBackdropIsLetGo) {
    // 400 x 400 pictures: large enough (2.4 MB at 2x) to be let go when not drawn.
    QImage big(400, 400, QImage::Format_RGB32);
    big.fill(QColor(200, 10, 10));
    big.save(files.Path("a.bmp"), "BMP");
    big.save(files.Path("b.bmp"), "BMP");
    WriteTwin("b@2x.png", {800, 800}, QColor(10, 200, 10));
    const SurfaceId a = Load(c, "a.bmp", kOpaque);
    const SurfaceId b = Load(c, "b.bmp", kOpaque);
    const SurfaceId balloon = Load(c, "keyed.bmp", kKeyedOrAlpha);
    const SurfaceId away = Load(c, "keyed.bmp", kKeyedOrAlpha, -500);
    c.SetScale(2);
    // Replaced after loading: what is drawn is what the file holds when first drawn.
    big.fill(QColor(10, 10, 200));
    big.save(files.Path("a.bmp"), "BMP");

    auto frame = [&](SurfaceId backdrop) {
        c.ClearFrame(kBlack);
        c.DrawSurface(backdrop);
        c.DrawSurface(balloon);
        c.DrawSurface(away);
        c.Compose();
        c.WaitForDecodes();
        return QColor(c.frame().pixel(700, 700));
    };
    EXPECT_EQ(frame(a), QColor(10, 10, 200));
    EXPECT_FALSE(c.IsDecoded(b));              // never drawn
    EXPECT_FALSE(c.IsDecoded(away));           // drawn, but wholly off the frame
    EXPECT_EQ(frame(b), QColor(200, 10, 10));  // b enlarged, until its twin is read
    EXPECT_FALSE(c.IsDecoded(a));              // no longer shown: let go
    EXPECT_TRUE(c.IsDecoded(balloon));
    EXPECT_EQ(warnings.size(), 2);  // a@2x.png and keyed@2x.png are missing
    EXPECT_EQ(frame(b), QColor(10, 200, 10));
    EXPECT_EQ(frame(a), QColor(10, 10, 200));  // decoded again, and no new warning
    EXPECT_EQ(warnings.size(), 2);
}

// A twin that cannot be used is never trusted for its size or its pixels: the 1x picture is
// drawn enlarged in its place, with one warning. A 1x picture that no longer decodes when first
// drawn draws nothing, with one warning, and is not tried again frame after frame.
TEST_F(DensityTest, AnUnusableTwinFallsBackToTheEnlargedPictureWithOneWarning) {
    const QString twin = files.Path("backdrop@2x.png");
    for (const std::string each : {"missing", "wrong size", "garbage"}) {
        SCOPED_TRACE(each);
        Compositor dense;
        QStringList seen;
        dense.SetWarningSink([&](const QString& path, const QString&) { seen.push_back(path); });
        QFile::remove(twin);
        if (each == "wrong size") WriteTwin("backdrop@2x.png", {81, 60}, Qt::white);
        if (each == "garbage") QFile::copy(files.Path("garbage.bmp"), twin);
        const SurfaceId s = Load(dense, "backdrop.bmp", kOpaque, 10, 20);
        dense.SetScale(2);
        for (int i = 0; i < 3; ++i) {
            dense.ClearFrame(kBlack);
            dense.DrawSurface(s);
            dense.Compose();
            dense.WaitForDecodes();
        }
        EXPECT_EQ(Around(dense.frame(), qRgb(10, 120, 200)), QRect(20, 40, 80, 60));
        EXPECT_EQ(seen, QStringList{twin});
    }

    // The 1x picture turns to garbage between loading and drawing.
    const SurfaceId s = Load(c, "backdrop.bmp", kOpaque);
    QFile::remove(files.Path("backdrop.bmp"));
    QFile::copy(files.Path("garbage.bmp"), files.Path("backdrop.bmp"));
    for (int i = 0; i < 3; ++i) {
        c.ClearFrame(0x00ff00);
        c.DrawSurface(s);
        c.Compose();
    }
    EXPECT_EQ(QColor(c.frame().pixel(5, 5)), QColor(0, 255, 0));
    EXPECT_EQ(warnings.size(), 1);
}

}  // namespace
}  // namespace driftmere
