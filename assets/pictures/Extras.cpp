#include "Extras.h"

#include <QFont>
#include <QFontInfo>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

#include "BmpFile.h"

namespace driftmere::pictures {

namespace {

const QImage& Find(const std::vector<BackdropPicture>& all, const std::string& name) {
    for (const BackdropPicture& b : all) {
        if (b.name == name) return b.image;
    }
    return all.front().image;
}

const QImage& Find(const std::vector<BalloonPicture>& all, const std::string& name) {
    for (const BalloonPicture& b : all) {
        if (b.name == name) return b.image;
    }
    return all.front().image;
}

// The pictures all come at the same scale k; positions below are in 1x pixels.
int ScaleOf(const std::vector<BackdropPicture>& backdrops) {
    return backdrops.front().image.width() / 800;
}

void PutBalloon(QPainter& p, const QImage& balloon, double scale, double x, double y, int k) {
    int w = std::max(1, int(std::lround(balloon.width() * scale)));
    int h = std::max(1, int(std::lround(balloon.height() * scale)));
    p.drawImage(QPointF(x * k, y * k), Downscale(balloon, w, h));
}

}  // namespace

QImage Thumbnail(const QImage& backdrop) {
    int k = backdrop.width() / 800;
    return Downscale(backdrop, 96 * k, 72 * k).convertToFormat(QImage::Format_RGB32);
}

QImage PaintPreview(const std::vector<BackdropPicture>& backdrops,
                    const std::vector<BalloonPicture>& balloons) {
    const int k = ScaleOf(backdrops);
    QImage img =
        Downscale(Find(backdrops, "mtn02"), 153 * k, 115 * k).convertToFormat(QImage::Format_RGB32);
    QPainter p(&img);
    // Drawn a little larger than true scale, so that they still read as balloons this small.
    PutBalloon(p, Find(balloons, "balloon05"), 0.30, 18, 10, k);
    PutBalloon(p, Find(balloons, "balloon01"), 0.24, 78, 32, k);
    PutBalloon(p, Find(balloons, "balloon03"), 0.19, 120, 14, k);
    return img;
}

QImage PaintBanner(const std::vector<BackdropPicture>& backdrops,
                   const std::vector<BalloonPicture>& balloons) {
    // The band of the morning scene where the far peaks meet the sky, shrunk to 480 x 90.
    const int k = ScaleOf(backdrops);
    QImage strip = Find(backdrops, "mtn01").copy(0, 200 * k, 800 * k, 150 * k);
    QImage img = Downscale(strip, 480 * k, 90 * k).convertToFormat(QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    PutBalloon(p, Find(balloons, "balloon05"), 0.44, 372, 8, k);
    PutBalloon(p, Find(balloons, "balloon11"), 0.3, 428, 30, k);
    PutBalloon(p, Find(balloons, "balloon01"), 0.26, 16, 34, k);
    p.scale(k, k);  // the lettering is a vector outline, drawn in 1x units

    // The name is filled as an outline path, not drawn as hinted text, so it comes out the
    // same on every build; the face is taken only if the packaged font is really there.
    QFont font("DejaVu Serif");
    font.setPixelSize(46);
    font.setBold(true);
    font.setItalic(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    if (QFontInfo(font).family() != "DejaVu Serif") {
        std::fprintf(stderr, "driftmere-paint: font DejaVu Serif not found; banner unlettered\n");
        return img;
    }
    QPainterPath name;
    name.addText(QPointF(70, 60), font, "Driftmere");
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 80, 150));
    p.drawPath(name.translated(2.5, 2.5));
    QLinearGradient fill(0, 20, 0, 62);
    fill.setColorAt(0, QColor(255, 255, 255));
    fill.setColorAt(1, QColor(255, 236, 196));
    p.setBrush(fill);
    QPen edge(QColor(40, 70, 120, 200));
    edge.setWidthF(1.0);
    p.setPen(edge);
    p.drawPath(name);
    return img;
}

}  // namespace driftmere::pictures
