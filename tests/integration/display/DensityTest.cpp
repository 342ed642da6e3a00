// The frame at the window's own device pixels: where scene pixels land, partial redraws at every
// common density, the pictures' twice-as-dense twins and their decoding only when drawn.
#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

#include "TestPictures.h"
#include "display/qt/Density.h"
#include "display/qt/PictureLoading.h"

namespace driftmere {
namespace {

TEST(DeviceGridTest, ScenePixelsLandOnDevicePixelsRoundedDown) {
    const QSize scene(800, 600);
    struct Case {
        QSize window, frame;
        std::int64_t x, deviceX, y, deviceY;
        QSize picture, devicePicture;
    };
    const Case cases[] = {
        {{800, 600}, {800, 600}, 13, 13, -7, -7, {130, 170}, {130, 170}},
        {{1366, 768}, {1024, 768}, 1, 1, 599, 766, {130, 170}, {166, 218}},            // 1.28
        {{1064, 798}, {1064, 798}, -1, -2, 300, 399, {104, 148}, {138, 197}},          // 1.33
        {{1920, 1080}, {1440, 1080}, 799, 1438, -171, -308, {130, 170}, {234, 306}},   // 1.8
        {{1920, 1200}, {1600, 1200}, -120, -240, 590, 1180, {40, 30}, {80, 60}},       // 2
        {{2160, 1620}, {2160, 1620}, 3, 8, 1, 2, {1, 1}, {3, 3}},                      // 2.7
        {{3840, 2160}, {2880, 2160}, 800, 2880, 600, 2160, {800, 600}, {2880, 2160}},  // 3.6
        {{0, 0}, {1, 1}, 400, 0, 0, 0, {800, 600}, {1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window.width());
        ASSERT_EQ(FrameSizeFor(c.window, scene), c.frame);
        const DeviceGrid grid(scene, c.frame);
        EXPECT_EQ(grid.X(c.x), c.deviceX);
        EXPECT_EQ(grid.Y(c.y), c.deviceY);
        EXPECT_EQ(grid.Size(c.picture), c.devicePicture);
        EXPECT_EQ(grid.UsesTwins(), c.frame.width() > 800);
    }
    // The farthest wrapped positions stay in range.
    EXPECT_EQ(DeviceGrid(scene, {2880, 2160}).X(INT32_MIN), INT64_C(-7730941133));
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
    QStringList warnings;
};

// Redrawing only what changed gives exactly a full redraw's picture, frame after frame, at every
// density a screen commonly has: balloons move, overlap, come and go over a backdrop with a twin,
// the clear colour and the text change, and the density changes in the middle of a frame.
TEST_F(DensityTest, PartialRedrawsMatchAFullRedrawAtEveryDensity) {
    files.Solid("backdrop@2x.png", {80, 60}, QColor(30, 90, 160));
    // 1, 1.28, 1.33, 1.8, 2, 2.7 and 3.6 device pixels per scene pixel.
    const QSize densities[] = {{800, 600},   {1024, 768},  {1064, 798}, {1440, 1080},
                               {1600, 1200}, {2160, 1620}, {2880, 2160}};
    constexpr int kStepsEach = 24;
    Compositor fresh;
    const std::vector<Compositor*> all = {&c, &fresh};
    fresh.SetWarningSink([](const QString&, const QString&) {});
    std::vector<SurfaceId> ids;  // the same in all
    for (const QString name : {"backdrop.bmp", "keyed.bmp", "alpha.bmp", "keyed.bmp"}) {
        const Transparency transparency = name == "backdrop.bmp" ? kOpaque : kKeyedOrAlpha;
        ids.push_back(Load(c, name, transparency));
        Load(fresh, name, transparency);
    }
    QRandomGenerator random(11);
    const int steps = kStepsEach * std::size(densities);
    for (int step = 0; step < steps; ++step) {
        const int at = step / kStepsEach;
        if (step == 0)
            for (Compositor* each : all) each->SetDeviceSize(densities[0]);
        const Colour clear = random.bounded(3) == 0 ? 0x204060 : kBlack;
        for (Compositor* each : all) each->ClearFrame(clear);
        for (SurfaceId s : ids) {
            const int dx = random.bounded(-3, 4), dy = random.bounded(-3, 4);
            for (Compositor* each : all) each->MoveSurfaceX(s, dx), each->MoveSurfaceY(s, dy);
            const int x = c.SurfaceX(s), y = c.SurfaceY(s);
            if (x < -30 || x > 120 || y < -30 || y > 120)
                for (Compositor* each : all) each->SetSurfaceX(s, 40), each->SetSurfaceY(s, 40);
            if (random.bounded(5) != 0)
                for (Compositor* each : all) each->DrawSurface(s);
        }
        for (Compositor* each : all) {
            each->SetFont("Arial", 12);
            if (step % 50 < 25)
                each->DrawText(std::to_string(step / 7), 20 + step % 30, 10, kYellow);
            each->DrawTextInFont(QStringLiteral("FPS"), QFont(), 5, 80, kYellow);
            // Asked for mid-frame, the new density starts with the next frame.
            if ((step + 1) % kStepsEach == 0 && step + 1 < steps)
                each->SetDeviceSize(densities[at + 1]);
            // The twins read in the background arrive at the next draw, in all alike.
            each->WaitForDecodes();
        }
        c.Compose();
        fresh.Invalidate();
        fresh.Compose();
        ASSERT_EQ(c.frame(), fresh.frame()) << "step " << step;
        const std::size_t shown = std::min<std::size_t>((step + 1) / kStepsEach, 6);
        ASSERT_EQ(c.frame().size(), densities[shown]);
    }
    // The balloons have no twins: one warning for each, however often they are decoded again.
    EXPECT_EQ(warnings.size(), 3) << warnings.join('\n').toStdString();
}

TEST_F(DensityTest, ALogicalPositionLandsOnTwiceItsPixelsAndAOnePixelMoveRedrawsTwoRows) {
    files.Solid("backdrop@2x.png", {80, 60}, QColor(30, 90, 160));
    const SurfaceId backdrop = Load(c, "backdrop.bmp", kOpaque, 100, 50);
    const SurfaceId balloon = Load(c, "keyed.bmp", kKeyedOrAlpha, 300, 200);  // no twin
    c.SetDeviceSize({1600, 1200});
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
    for (const char* name : {"a.bmp", "b.bmp"}) files.Solid(name, {400, 400}, QColor(200, 10, 10));
    files.Solid("b@2x.png", {800, 800}, QColor(10, 200, 10));
    const SurfaceId a = Load(c, "a.bmp", kOpaque);
    const SurfaceId b = Load(c, "b.bmp", kOpaque);
    const SurfaceId balloon = Load(c, "keyed.bmp", kKeyedOrAlpha);
    const SurfaceId away = Load(c, "keyed.bmp", kKeyedOrAlpha, -500);
    c.SetDeviceSize({1600, 1200});
    // Replaced after loading: what is drawn is what the file holds when first drawn.
    files.Solid("a.bmp", {400, 400}, QColor(10, 10, 200));

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
        if (each == "wrong size") files.Solid("backdrop@2x.png", {81, 60}, Qt::white);
        if (each == "garbage") QFile::copy(files.Path("garbage.bmp"), twin);
        const SurfaceId s = Load(dense, "backdrop.bmp", kOpaque, 10, 20);
        dense.SetDeviceSize({1600, 1200});
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
