// Composing the logical frame at two pixels per logical pixel: which density a window gets, the
// redraw of only what changed at that density, the twice-as-dense twins of the pictures and
// their decoding only when drawn.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>

#include "TestPictures.h"
#include "display/qt/Compositor.h"
#include "display/qt/Density.h"
#include "display/qt/PictureLoading.h"
#include "display/qt/QtDisplay.h"

namespace driftmere {
namespace {

using testing::TestPictures;

TEST(PictureScaleForTest, TheTwiceDenseSetFromOneAndAHalfDevicePixelsPerLogicalPixel) {
    const QSize logical(800, 600);
    const struct {
        QSize device;
        int scale;
    } cases[] = {
        {{800, 600}, 1},   {{1199, 899}, 1}, {{1200, 900}, 2}, {{1440, 1080}, 2},
        {{2880, 2160}, 2}, {{1200, 899}, 1}, {{0, 0}, 1},      {{-1600, -1200}, 1},
        {{1600, 1200}, 2},  // an 800 x 600 window at a device pixel ratio of 2
    };
    for (const auto& each : cases) {
        EXPECT_EQ(PictureScaleFor(each.device, logical), each.scale)
            << each.device.width() << "x" << each.device.height();
    }
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

class DensityTest : public ::testing::Test {
  protected:
    DensityTest() {
        c.SetWarningSink([this](const QString& path, const QString& why) {
            warnings.push_back(path + ": " + why);
        });
    }
    SurfaceId Load(Compositor& into, const QString& name, int transparency) {
        const SurfaceId s = into.CreateSurface();
        QString error;
        EXPECT_TRUE(into.LoadPicture(s, files.Path(name), transparency, &error))
            << error.toStdString();
        return s;
    }
    void WriteTwin(const QString& name, QSize size, QColor colour) {
        QImage twin(size, QImage::Format_RGB32);
        twin.fill(colour);
        twin.save(files.Path(name), "PNG");
    }
    TestPictures files;
    Compositor c;
    QStringList warnings;
};

// At 2x, redrawing only the changed parts gives exactly what a full redraw gives, frame after
// frame, with balloons moving, appearing and vanishing over a backdrop with a twin, text
// changing, and the density changing in the middle of a frame.
TEST_F(DensityTest, PartialRedrawsAtTwiceTheDensityMatchAFullRedraw) {
    WriteTwin("backdrop@2x.png", {80, 60}, QColor(30, 90, 160));
    Compositor fresh;
    std::vector<SurfaceId> mine, theirs;
    for (const QString name : {"backdrop.bmp", "keyed.bmp", "alpha.bmp", "keyed.bmp"}) {
        const int transparency = name == "backdrop.bmp" ? kOpaque : kKeyedOrAlpha;
        mine.push_back(Load(c, name, transparency));
        theirs.push_back(Load(fresh, name, transparency));
    }
    c.SetScale(2);
    fresh.SetScale(2);
    QRandomGenerator random(11);
    for (int step = 0; step < 240; ++step) {
        for (Compositor* each : {&c, &fresh}) each->ClearFrame(kBlack);
        for (std::size_t i = 0; i < mine.size(); ++i) {
            c.MoveSurfaceX(mine[i], random.bounded(-2, 3));
            c.MoveSurfaceY(mine[i], random.bounded(-2, 3));
            if (c.SurfaceX(mine[i]) < -30 || c.SurfaceX(mine[i]) > 90) c.SetSurfaceX(mine[i], 30);
            if (c.SurfaceY(mine[i]) < -30 || c.SurfaceY(mine[i]) > 70) c.SetSurfaceY(mine[i], 30);
            fresh.SetSurfaceX(theirs[i], c.SurfaceX(mine[i]));
            fresh.SetSurfaceY(theirs[i], c.SurfaceY(mine[i]));
            if (random.bounded(6) != 0) {
                c.DrawSurface(mine[i]);
                fresh.DrawSurface(theirs[i]);
            }
        }
        for (Compositor* each : {&c, &fresh}) {
            each->SetFont("Arial", 12);
            each->DrawText(std::to_string(step / 7), 20 + step % 30, 10, kYellow);
            each->DrawTextInFont(QStringLiteral("FPS"), QFont(), 5, 80, kYellow);
            // Asked for mid-frame, the new density starts with the next frame.
            if (step == 120) each->SetScale(1);
            if (step == 180) each->SetScale(2);
            // The twins read in the background arrive at the next draw, in both alike.
            each->WaitForDecodes();
        }
        c.Compose();
        fresh.Invalidate();
        fresh.Compose();
        ASSERT_EQ(c.frame(), fresh.frame()) << "step " << step;
        ASSERT_EQ(c.frame().size(), QSize(800, 600) * (step >= 120 && step < 180 ? 1 : 2));
    }
    // The balloons have no twins: one warning for each, however often they are decoded again.
    EXPECT_EQ(warnings.size(), 3) << warnings.join('\n').toStdString();
}

TEST_F(DensityTest, ALogicalPositionLandsOnTwiceItsPixelsAndAOnePixelMoveRedrawsTwoRows) {
    WriteTwin("backdrop@2x.png", {80, 60}, QColor(30, 90, 160));
    const SurfaceId backdrop = Load(c, "backdrop.bmp", kOpaque);
    const SurfaceId balloon = Load(c, "keyed.bmp", kKeyedOrAlpha);  // no twin: enlarged
    c.SetScale(2);
    c.SetSurfaceX(backdrop, 100);
    c.SetSurfaceY(backdrop, 50);
    c.SetSurfaceX(balloon, 300);
    c.SetSurfaceY(balloon, 200);
    auto frame = [&] {
        c.ClearFrame(kBlack);
        c.DrawSurface(backdrop);
        c.DrawSurface(balloon);
        c.SetFont("Arial", 20);
        c.DrawText("12:00", 400, 300, 0x0000ff);  // red
        return c.Compose();
    };
    EXPECT_EQ(frame(), QRegion(0, 0, 1600, 1200));
    // Until its twin is read the backdrop stands in enlarged; then the twin replaces it.
    EXPECT_EQ(Around(c.frame(), qRgb(10, 120, 200)), QRect(200, 100, 80, 60));
    c.WaitForDecodes();
    // The backdrop's twin replaces it; the balloon, which has none, is enlarged filtered.
    EXPECT_EQ(frame(), QRegion(200, 100, 80, 60) | QRegion(600, 400, 40, 40));
    EXPECT_EQ(Around(c.frame(), qRgb(30, 90, 160)), QRect(200, 100, 80, 60));
    // The balloon's 1x picture, enlarged, on 40 x 40 pixels; its key-coloured corners stay left
    // out.
    EXPECT_EQ(Around(c.frame(), qRgb(0, 200, 0)), QRect(600, 400, 40, 40));
    EXPECT_EQ(c.frame().pixel(601, 401), qRgb(0, 0, 0));
    EXPECT_EQ(c.frame().pixel(620, 420), qRgb(0, 200, 0));
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
    EXPECT_EQ(warnings.size(), 1);
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
    const SurfaceId away = Load(c, "keyed.bmp", kKeyedOrAlpha);
    c.SetSurfaceX(away, -500);
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
    EXPECT_TRUE(c.IsDecoded(a));
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
    const struct {
        const char* name;
        QByteArray twin;  // empty: write a PNG of twinSize
        QSize twinSize;
    } cases[] = {
        {"missing", "-", {}},
        {"wrong size", {}, {81, 60}},
        {"garbage", QByteArray(500, '\x33'), {}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        Compositor dense;
        QStringList seen;
        dense.SetWarningSink([&](const QString& path, const QString&) { seen.push_back(path); });
        QFile::remove(files.Path("backdrop@2x.png"));
        if (each.twin.isEmpty()) {
            WriteTwin("backdrop@2x.png", each.twinSize, Qt::white);
        } else if (each.twin != "-") {
            QFile out(files.Path("backdrop@2x.png"));
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(each.twin);
        }
        const SurfaceId s = Load(dense, "backdrop.bmp", kOpaque);
        dense.SetScale(2);
        dense.SetSurfaceX(s, 10);
        dense.SetSurfaceY(s, 20);
        for (int i = 0; i < 3; ++i) {
            dense.ClearFrame(kBlack);
            dense.DrawSurface(s);
            dense.Compose();
            dense.WaitForDecodes();
        }
        EXPECT_EQ(Around(dense.frame(), qRgb(10, 120, 200)), QRect(20, 40, 80, 60));
        EXPECT_EQ(seen, QStringList{files.Path("backdrop@2x.png")});
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

// A window that grows to twice the frame's size is composed at 2x from its next frame on, and at
// 1x again once it shrinks.
TEST(DisplayDensityTest, TheDensityFollowsTheWindowsSize) {
    struct Frames : DisplayEvents {
        int count = 0;
        void RenderFrame() override { ++count; }
        void KeyDown(std::int16_t) override {}
        void MouseClick() override {}
        void MouseMove() override {}
    } frames;
    QtDisplay display;
    display.SetEventSink(&frames);
    ASSERT_TRUE(display.OpenDisplay(800, 600, 16, ""));
    auto scaleAfterResize = [&](QSize size) {
        display.window()->showNormal();  // a full-screen window keeps its screen's size
        display.window()->resize(size);
        // Two frames later the density has been checked at least once since the resize.
        const int until = frames.count + 2;
        QDeadlineTimer deadline(5000);
        while (frames.count < until && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        display.ClearFrame(kBlack);
        display.Flip();
        return display.frameImage().size();
    };
    EXPECT_EQ(scaleAfterResize({1600, 1200}), QSize(1600, 1200));
    EXPECT_EQ(scaleAfterResize({1920, 1080}), QSize(1600, 1200));
    EXPECT_EQ(scaleAfterResize({1100, 700}), QSize(800, 600));
}

}  // namespace
}  // namespace driftmere
