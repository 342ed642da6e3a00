// The composed frame against one drawn independently with a painter: the backdrop, then every
// balloon "source over" in order, at 1x and at a density of 2.7, after full and partial redraws
// of balloons that overlap one another and the frame's edges.
#include <gtest/gtest.h>

#include <QPainter>

#include "TestPictures.h"
#include "display/qt/Density.h"

namespace driftmere {
namespace {

using testing::kKey;

class ComposedFrameTest : public testing::PictureFixture,
                          public ::testing::WithParamInterface<QSize> {
  protected:
    ComposedFrameTest() {
        // A backdrop whose every pixel differs from its neighbours, so a piece copied from the
        // wrong place shows.
        QImage backdrop(800, 600, QImage::Format_RGB888);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                backdrop.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, (x + y) & 255));
        backdrop.save(files.Path("sky.bmp"), "BMP");
        // A round balloon, and a ring whose rows hold two solid runs with the key between.
        QImage round(60, 80, QImage::Format_RGB888), ring(70, 70, QImage::Format_RGB888);
        for (QImage* picture : {&round, &ring}) {
            picture->fill(kKey);
            QPainter painter(picture);
            painter.setPen(Qt::NoPen);
            for (int y = 0; y < picture->height(); y += 4) {  // stripes: rows tell apart
                painter.setBrush(QColor(200 + y % 50, 20 + y, 40));
                painter.setClipRect(0, y, picture->width(), 4);
                painter.drawEllipse(4, 0, picture->width() - 8, picture->width() - 8);
            }
            if (picture == &ring) {
                painter.setClipping(false);
                painter.setBrush(QColor(kKey));
                painter.drawEllipse(22, 22, 18, 22);
            }
        }
        round.save(files.Path("round.bmp"), "BMP");
        ring.save(files.Path("ring.bmp"), "BMP");
    }

    void Start(QSize device) {
        c.SetDeviceSize(device);
        grid = DeviceGrid({800, 600}, device);
        c.ClearFrame(kBlack);
        surfaces.push_back(Load("sky.bmp", kOpaque));
        const struct {
            const char* name;
            int x, y;
        } balloons[] = {
            {"round.bmp", 100, 100}, {"ring.bmp", 130, 120},  {"alpha.bmp", 150, 140},
            {"round.bmp", -30, 300}, {"ring.bmp", 760, 560},  {"round.bmp", 400, -50},
            {"keyed.bmp", 420, -10}, {"ring.bmp", 410, 20},   {"solid-alpha.bmp", 795, 5},
            {"round.bmp", 500, 400}, {"round.bmp", 520, 410}, {"ring.bmp", 300, 300}};
        sizes.push_back({800, 600});
        for (const auto& each : balloons) {
            surfaces.push_back(Load(each.name, kKeyedOrAlpha, each.x, each.y));
            sizes.push_back(QImage(files.Path(each.name)).size());
        }
        // The first frames read the pictures (and find no dense twins); from then on each is
        // drawn at its final density.
        for (int i = 0; i < 2; ++i) {
            Draw();
            c.WaitForDecodes();
        }
        Draw();
    }

    void Draw() {
        c.ClearFrame(kBlack);
        for (SurfaceId s : surfaces) c.DrawSurface(s);
        c.Compose();
    }

    // The pixels that differ from the painter's frame; the first few are described.
    int Differences(std::string* first) const {
        QImage reference(grid.device(), QImage::Format_RGB32);
        reference.fill(Qt::black);
        {
            QPainter painter(&reference);
            for (SurfaceId s : surfaces) {
                const QImage image = c.SurfaceImage(s);
                EXPECT_EQ(image.size(), grid.Size(sizes[s - 1])) << "surface " << s;
                painter.drawImage(QPoint(static_cast<int>(grid.X(c.SurfaceX(s))),
                                         static_cast<int>(grid.Y(c.SurfaceY(s)))),
                                  image);
            }
        }
        int count = 0;
        for (int y = 0; y < reference.height(); ++y) {
            for (int x = 0; x < reference.width(); ++x) {
                const QRgb want = reference.pixel(x, y) & 0xffffff;
                const QRgb got = c.frame().pixel(x, y) & 0xffffff;
                if (want == got) continue;
                if (++count <= 3) {
                    *first += QStringLiteral("(%1, %2) %3 not %4; ")
                                  .arg(x)
                                  .arg(y)
                                  .arg(got, 6, 16, QChar('0'))
                                  .arg(want, 6, 16, QChar('0'))
                                  .toStdString();
                }
            }
        }
        return count;
    }

    DeviceGrid grid;
    std::vector<SurfaceId> surfaces;
    std::vector<QSize> sizes;  // each surface's picture at 1x
};

TEST_P(ComposedFrameTest, MatchesThePaintersFrameAfterFullAndPartialRedraws) {
    Start(GetParam());
    std::string where;
    EXPECT_EQ(Differences(&where), 0) << "full: " << where;
    // Balloons drift a pixel or a few each way, over one another and off the edges; the
    // frame is redrawn only where they were and are.
    for (int step = 0; step < 12; ++step) {
        for (std::size_t i = 1; i < surfaces.size(); ++i) {
            const int n = static_cast<int>(i);
            c.MoveSurfaceX(surfaces[i], (step + n) % 3 - 1 + (n % 4 == 0 ? 5 : 0));
            c.MoveSurfaceY(surfaces[i], n % 2 == 0 ? 1 : -2);
        }
        Draw();
        where.clear();
        ASSERT_EQ(Differences(&where), 0) << "step " << step << ": " << where;
    }
    c.Invalidate();
    Draw();
    where.clear();
    EXPECT_EQ(Differences(&where), 0) << "full again: " << where;
}

INSTANTIATE_TEST_SUITE_P(Densities, ComposedFrameTest,
                         ::testing::Values(QSize(800, 600), QSize(2160, 1620)));

}  // namespace
}  // namespace driftmere
