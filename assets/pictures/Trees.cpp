#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "Detail.h"
#include "Scenery.h"

namespace driftmere::pictures {

namespace {

QColor Colour(Rgb c, int alpha = 255) {
    QColor q = QColor::fromRgb(ToQRgb(c));
    q.setAlpha(alpha);
    return q;
}

// A painter on the image that takes logical coordinates.
void Begin(QPainter& p, QImage& img) {
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(ScaleOf(img), ScaleOf(img));
    p.setPen(Qt::NoPen);
}

// One tier of a fir's boughs: out from the trunk and down to a tip on either side, with a
// ragged lower edge of hanging twigs.
QPolygonF Bough(Dice& dice, float x, float top, float y, float halfWidth, float droop) {
    QPolygonF poly;
    poly << QPointF(x, top);
    int teeth = std::max(3, int(halfWidth / 1.6f));
    for (float side : {-1.0f, 1.0f}) {
        for (int i = 0; i <= teeth; ++i) {
            // Left: from the tip in to the trunk; right: from the trunk out to the tip.
            float s = side < 0 ? float(i) / float(teeth) : 1 - float(i) / float(teeth);
            float px = x + side * halfWidth * (1 - s);
            float py = y + droop * (1 - 0.55f * s);
            if (i % 2 == 1) py -= droop * dice.Range(0.25f, 0.6f);
            poly << QPointF(px, py);
        }
    }
    return poly;
}

}  // namespace

void PaintFirs(QImage& img, const Firs& f) {
    const QImage before = img.copy();
    QPainter p;
    Begin(p, img);
    Dice dice(f.seed);
    Rgb dark = Mix(f.dark, f.hazeColour, f.haze), light = Mix(f.light, f.hazeColour, f.haze);
    for (float x = f.from; x < f.to; x += f.spacing * dice.Range(0.5f, 1.3f)) {
        float h = dice.Range(f.minHeight, f.maxHeight);
        float base = f.ground(x) + dice.Range(0, f.minHeight * 0.4f + f.spread);
        float w = h * dice.Range(0.26f, 0.34f);
        float tone = dice.Range(0.85f, 1.1f);
        p.setBrush(Colour(Mix(Hex(0x3A2A20), f.hazeColour, f.haze) * tone));
        p.drawRect(QRectF(x - w * 0.07f, base - h * 0.3f, w * 0.14f, h * 0.3f));
        // Tiers from the bottom up, each overlapping the one below and casting a little shade
        // on it; every bough runs from the shaded side through the dark body to lit tips.
        int tiers = std::clamp(int(h / 4.5f), 4, 12);
        for (int t = 0; t < tiers; ++t) {
            float a = float(t) / float(tiers);
            float y = base - h * 0.14f - h * 0.8f * a;
            float half = w * (1.0f - 0.88f * a) * dice.Range(0.85f, 1.12f);
            float droop = h * (0.09f - 0.04f * a);
            float top = y - h * 1.9f / float(tiers);
            if (t == tiers - 1) top = base - h;
            QPolygonF bough = Bough(dice, x, top, y, half, droop);
            if (t > 0) {
                p.setBrush(Colour(dark * 0.45f, 90));
                p.drawPolygon(bough.translated(0, droop * 0.5f));
            }
            QLinearGradient g(x - f.sunSide * half, 0, x + f.sunSide * half, 0);
            g.setColorAt(0, Colour(dark * (0.8f * tone)));
            g.setColorAt(0.5, Colour(dark * tone));
            g.setColorAt(0.85, Colour(Mix(dark, light, 0.8f) * tone));
            g.setColorAt(1, Colour(light * (1.05f * tone)));
            p.setBrush(g);
            p.drawPolygon(bough);
        }
    }
    p.end();
    TextureOver(img, before, Foliage::kNeedles, 0.3f, f.seed + 91);
}

void PaintGrove(QImage& img, const Grove& g) {
    struct Tree {
        float x, base, size;
        Rgb colour;
        uint32_t seed;
    };
    const QImage before = img.copy();
    Dice dice(g.seed);
    std::vector<Tree> trees;
    for (float x = g.from; x < g.to; x += g.spacing * dice.Range(0.5f, 1.2f)) {
        float s = dice.Range(g.minSize, g.maxSize);
        float base = g.ground(x) + dice.Range(0, s * 0.5f + g.spread);
        Rgb c = g.colours[size_t(dice.Next() * float(g.colours.size())) % g.colours.size()];
        // Woods come in clumps with meadow between them.
        if (Noise(x / 60, base / 30, g.seed + 1) < -0.2f) continue;
        trees.push_back(
            {x, base, s, Mix(c, g.hazeColour, g.haze), Hash(uint32_t(trees.size()), g.seed)});
    }
    // Back to front, so a tree lower on the slope stands before the ones above it.
    std::stable_sort(trees.begin(), trees.end(),
                     [](const Tree& a, const Tree& b) { return a.base < b.base; });
    QPainter p;
    Begin(p, img);
    Rgb bark = Mix(Hex(0x3E2C22), g.hazeColour, g.haze);
    for (const Tree& t : trees) {
        Dice d(t.seed);
        float s = t.size;
        // Its shade on the ground, away from the sun.
        p.setBrush(Colour(t.colour * 0.25f, 70));
        p.drawEllipse(QPointF(t.x - g.sunSide * s * 0.3f, t.base), s * 0.55f, s * 0.12f);
        p.setBrush(Colour(bark));
        p.drawRect(QRectF(t.x - s * 0.045f, t.base - s * 0.5f, s * 0.09f, s * 0.5f));
        // The crown: a mass of leafy clumps in an uneven egg shape, darker underneath and on
        // the far side, lit on top towards the sun; the lit clumps are laid on last.
        struct Clump {
            float x, y, r, lit;
        };
        std::vector<Clump> clumps;
        float cx = t.x + d.Range(-0.05f, 0.05f) * s, cy = t.base - s * 0.74f;
        float rx = s * d.Range(0.38f, 0.5f), ry = s * d.Range(0.36f, 0.46f);
        // Big trees near by are built of many small clumps, far ones of a few.
        int count = 14 + int(s * 0.9f);
        float grain = 1.0f / std::sqrt(float(count) / 14.0f);
        for (int i = 0; i < count; ++i) {
            float ang = d.Range(0, 2 * kPi), rad = std::sqrt(d.Next());
            float px = cx + std::cos(ang) * rad * rx, py = cy + std::sin(ang) * rad * ry;
            float lit = 0.5f - 0.45f * g.sunSide * (px - cx) / rx - 0.5f * (py - cy) / ry;
            clumps.push_back({px, py, s * d.Range(0.13f, 0.22f) * grain + 0.4f, Clamp01(lit)});
        }
        std::stable_sort(clumps.begin(), clumps.end(),
                         [](const Clump& a, const Clump& b) { return a.lit < b.lit; });
        for (const Clump& c : clumps) {
            p.setBrush(Colour(t.colour * (Lerp(0.5f, 1.12f, c.lit) * d.Range(0.93f, 1.05f))));
            p.drawEllipse(QPointF(c.x, c.y), c.r, c.r * 0.88f);
        }
    }
    p.end();
    TextureOver(img, before, Foliage::kLeaves, 0.22f, g.seed + 91);
}

void PaintPalm(QImage& img, const Palm& m) {
    const QImage before = img.copy();
    QPainter p;
    Begin(p, img);
    p.setPen(Qt::NoPen);
    Dice dice(m.seed);
    auto at = [&](float t) {
        return QPointF(m.x + m.lean * m.height * t * t, m.ground - m.height * t);
    };
    const int steps = 40;
    QPolygonF trunk;
    for (int i = 0; i <= steps; ++i) {
        float t = float(i) / steps;
        QPointF c = at(t);
        trunk << QPointF(c.x() - Lerp(m.height * 0.035f, m.height * 0.02f, t), c.y());
    }
    for (int i = steps; i >= 0; --i) {
        float t = float(i) / steps;
        QPointF c = at(t);
        trunk << QPointF(c.x() + Lerp(m.height * 0.035f, m.height * 0.02f, t), c.y());
    }
    p.setBrush(QColor(ToQRgb(m.trunk)));
    p.drawPolygon(trunk);
    // Rings where old fronds fell, a little darker.
    QPen ring(QColor(ToQRgb(m.trunk * 0.7f)));
    ring.setWidthF(1.0);
    p.setPen(ring);
    for (float t = 0.03f; t < 0.97f; t += 0.045f) {
        QPointF c = at(t);
        float w = Lerp(m.height * 0.035f, m.height * 0.02f, t);
        p.drawLine(QPointF(c.x() - w, c.y()), QPointF(c.x() + w, c.y() + 1.5));
    }
    p.setPen(Qt::NoPen);
    QPointF crown = at(1.0f);
    const int fronds = 13;
    for (int k = 0; k < fronds; ++k) {
        // Fronds fan out from the crown, rise a little and arch over into a droop; each carries
        // a row of narrow hanging leaflets on either side of its rib.
        float a = kPi * (float(k) + dice.Range(0.2f, 0.8f)) / float(fronds);  // 0..pi, left/right
        float dir = -std::cos(a);
        float rise = std::sin(a);
        float len = m.height * dice.Range(0.34f, 0.46f) * (0.8f + 0.2f * std::fabs(dir));
        QPointF ctrl = crown + QPointF(dir * len * 0.55f, -len * (0.25f + 0.3f * rise));
        QPointF tip = crown + QPointF(dir * len, len * (0.45f - 0.25f * rise));
        Rgb col = m.leaf * dice.Range(0.8f, 1.12f);
        QPen leaflet(QColor(ToQRgb(col)));
        leaflet.setCapStyle(Qt::RoundCap);
        const int n = 26;
        for (int i = 1; i <= n; ++i) {
            float t = float(i) / n;
            QPointF sp = crown * ((1 - t) * (1 - t)) + ctrl * (2 * (1 - t) * t) + tip * (t * t);
            QPointF d = (ctrl - crown) * (2 * (1 - t)) + (tip - ctrl) * (2 * t);
            float dl = std::sqrt(float(d.x() * d.x() + d.y() * d.y())) + 1e-3f;
            QPointF along(d.x() / dl, d.y() / dl), nrm(-d.y() / dl, d.x() / dl);
            float l = len * 0.24f * std::pow(std::sin(kPi * std::min(1.0f, t * 1.05f)), 0.6f) + 1;
            leaflet.setWidthF(std::max(1.0, 2.4 * (1 - t) + 0.8));
            p.setPen(leaflet);
            for (float side : {-1.0f, 1.0f}) {
                QPointF way = nrm * side + along * 0.45 + QPointF(0, 0.9);
                float wl = std::sqrt(float(way.x() * way.x() + way.y() * way.y()));
                p.drawLine(sp, sp + way * (l / wl));
            }
        }
        QPen rib(QColor(ToQRgb(col * 0.85f)));
        rib.setWidthF(1.6);
        p.setPen(rib);
        p.setBrush(Qt::NoBrush);
        QPainterPath spine;
        spine.moveTo(crown);
        spine.quadTo(ctrl, tip);
        p.drawPath(spine);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(ToQRgb(m.trunk * 0.75f)));
    for (int k = 0; k < 3; ++k) {
        p.drawEllipse(crown + QPointF(dice.Range(-4, 4), dice.Range(2, 6)), 2.6, 2.6);
    }
    p.end();
    TextureOver(img, before, Foliage::kFronds, 0.2f, m.seed + 91);
}

}  // namespace driftmere::pictures
