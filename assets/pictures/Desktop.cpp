#include "Desktop.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "BmpFile.h"

namespace driftmere::pictures {

namespace {

template <class Picture>
const QImage& Named(const std::vector<Picture>& all, const std::string& name) {
    for (const Picture& p : all) {
        if (p.name == name) return p.image;
    }
    return all.front().image;
}

}  // namespace

QImage PaintIcon(const std::vector<BackdropPicture>& backdrops,
                 const std::vector<BalloonPicture>& balloons, int size) {
    const QImage& lake = Named(backdrops, "mtn02");
    const int k = lake.width() / 800;
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // The tile: a square of the lake scene from high sky down into the water, the peaks across
    // its middle. A small icon keeps a wider margin less and a larger balloon, so that the
    // balloon still reads at 48 pixels.
    const double margin = size * (size <= 48 ? 0.04 : 0.06);
    const QRectF tile(margin, margin, size - 2 * margin, size - 2 * margin);
    const double radius = tile.width() * 0.2;
    QPainterPath rounded;
    rounded.addRoundedRect(tile, radius, radius);
    const int side = int(std::lround(tile.width()));
    const QImage sky = Downscale(lake.copy(190 * k, 40 * k, 420 * k, 420 * k), side, side);
    p.setClipPath(rounded);
    p.drawImage(tile.topLeft(), sky);

    const QImage& balloon = Named(balloons, "balloon01");
    const double tall = tile.height() * (size <= 48 ? 0.78 : 0.68);
    const int h = int(std::lround(tall));
    const int w = int(std::lround(tall * balloon.width() / balloon.height()));
    p.drawImage(QPointF(size / 2.0 - w / 2.0, tile.top() + tile.height() * 0.07),
                Downscale(balloon, w, h));
    p.setClipping(false);

    // A thin dark edge and a light line inside it keep the tile apart from any panel colour.
    QPen edge(QColor(16, 38, 84, 200));
    edge.setWidthF(std::max(1.0, size / 96.0));
    p.setPen(edge);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tile, radius, radius);
    return img.convertToFormat(QImage::Format_ARGB32);
}

QImage PaintScreenshot(const std::vector<BackdropPicture>& backdrops,
                       const std::vector<BalloonPicture>& balloons) {
    QImage img = Named(backdrops, "mtn02").convertToFormat(QImage::Format_RGB32);
    const int k = img.width() / 800;
    QPainter p(&img);
    // Where the balloons are in a moment of a run some minutes in: spread across the sky, one
    // sunk low over the water, one coming in at the left edge. Positions in scene pixels.
    const struct {
        const char* name;
        int x, y;
    } placed[] = {{"balloon05", 70, 60},   {"balloon01", 250, 150}, {"balloon11", 430, 40},
                  {"balloon03", 600, 170}, {"balloon07", 330, 330}, {"balloon13", -40, 280},
                  {"balloon14", 560, 380}};
    for (const auto& b : placed) p.drawImage(QPoint(b.x * k, b.y * k), Named(balloons, b.name));
    return img;
}

}  // namespace driftmere::pictures
