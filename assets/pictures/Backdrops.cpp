#include "Backdrops.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>

#include "Paint.h"

namespace driftmere::pictures {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr float kPi = 3.14159265358979f;

using Line = std::function<float(float)>;  // a height on the screen for each x

QRgb* Row(QImage& img, int y) { return reinterpret_cast<QRgb*>(img.scanLine(y)); }

// ---------------------------------------------------------------------------------------------
// Sky

struct Sky {
    Rgb zenith, middle, horizon;
    float horizonY;  // where the horizon colour is reached
    float sunX, sunY;
    Rgb glow;         // added round the sun
    float glowSize;   // in pixels
    float sunRadius;  // 0: no disc to be seen
    Rgb sunColour;
    Rgb cloudLight, cloudShade;
    float cloudCover;  // 0 clear .. 1 overcast
    float cloudTop, cloudBottom;
    uint32_t seed;
};

void PaintSky(QImage& img, const Sky& s) {
    for (int y = 0; y < kHeight; ++y) {
        QRgb* line = Row(img, y);
        float t = Clamp01(float(y) / s.horizonY);
        Rgb base = Mix3(s.zenith, s.middle, s.horizon, std::pow(t, 1.15f));
        // The clouds are kept out of the top strip, where the clock and the message are
        // written in yellow, and flatten towards the horizon as they recede.
        float band = SmoothStep(s.cloudTop, s.cloudTop + 40, float(y)) *
                     (1 - SmoothStep(s.cloudBottom - 30, s.cloudBottom, float(y)));
        float depth = 0.35f + 0.65f * (1 - t);
        for (int x = 0; x < kWidth; ++x) {
            float dx = float(x) - s.sunX, dy = (float(y) - s.sunY) * 1.4f;
            float d2 = (dx * dx + dy * dy) / (s.glowSize * s.glowSize);
            Rgb c = base + s.glow * (std::exp(-d2) * 0.8f + std::exp(-d2 * 0.15f) * 0.25f);
            if (s.sunRadius > 0) {
                float d = std::sqrt(dx * dx + (float(y) - s.sunY) * (float(y) - s.sunY));
                c = Mix(c, s.sunColour, Clamp01(s.sunRadius + 0.5f - d));
            }
            if (band > 0 && s.cloudCover > 0) {
                float sx = float(x) / (230 * depth), sy = float(y) / (55 * depth);
                float n = 0.5f + 0.5f * Fbm(sx, sy, s.seed, 5);
                float above = 0.5f + 0.5f * Fbm(sx, sy - 0.12f, s.seed, 5);
                float density = SmoothStep(1 - s.cloudCover, 1 - s.cloudCover + 0.28f, n) * band;
                if (density > 0) {
                    float lit = Clamp01(0.55f + (n - above) * 6.0f);
                    Rgb cloud = Mix(s.cloudShade, s.cloudLight, lit);
                    // Clouds near the sun catch its colour on their edges.
                    cloud = cloud + s.glow * (std::exp(-d2 * 0.3f) * 0.4f);
                    c = Mix(c, cloud, density * 0.88f);
                }
            }
            line[x] = ToQRgb(c);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Ridges: a crest line from fractal noise, a face shaded by the sun, snow, woods and haze.

struct Ridge {
    float base;   // mean height of the crest
    float amp;    // how far the peaks rise above it
    float scale;  // width of a typical peak, pixels
    float sharp;  // 0 rolling hills .. 1 jagged peaks
    uint32_t seed;
    Rgb shadow, lit;
    Rgb hazeColour;
    float haze;      // 0 clear .. 1 lost in the haze
    float mist;      // extra haze at the foot of the layer
    float snowLine;  // snow above this height (screen y); negative: no snow
    Rgb snow = Hex(0xF4F6FA);
    float woodLine = 10000;  // woods below this height
    Rgb wood = Hex(0x2F4A2E);
    float sunSide = 1;            // +1 light from the left, -1 from the right
    float from = -100, to = 900;  // the layer fades into the base line outside these x
    float fade = 1;
    float bottom = kHeight;
    Line foot = nullptr;  // if set, the layer stops at this line instead of at bottom
};

float Crest(const Ridge& r, float x) {
    float rolling = 0.5f + 0.6f * Fbm(x / r.scale, 0.37f, r.seed, 6);
    float jagged = Ridged(x / r.scale * 0.8f, 1.91f, r.seed + 7, 6);
    float detail = Lerp(rolling, jagged, r.sharp);
    // Some stretches stand much taller than others, so a range has a few real summits and
    // saddles between them rather than an even wall.
    float massif = SmoothStep(-0.65f, 0.75f, Fbm(x / (r.scale * 3.0f), 4.2f, r.seed + 3, 3));
    float extent =
        SmoothStep(r.from - r.fade, r.from, x) * (1 - SmoothStep(r.to, r.to + r.fade, x));
    return r.base - r.amp * detail * (0.3f + 0.7f * massif) * extent;
}

void PaintRidge(QImage& img, const Ridge& r) {
    std::vector<float> crest(kWidth * 4 + 8);
    for (int i = 0; i < int(crest.size()); ++i) {
        crest[size_t(i)] = Crest(r, (float(i) - 4.0f + 0.5f) / 4.0f);
    }
    auto crestAt = [&](int x) { return crest[size_t(x * 4 + 4 + 2)]; };
    for (int x = 0; x < kWidth; ++x) {
        float top = std::min({crest[size_t(x * 4 + 4)], crest[size_t(x * 4 + 5)],
                              crest[size_t(x * 4 + 6)], crest[size_t(x * 4 + 7)]});
        float slope = (crestAt(std::min(x + 2, kWidth - 1)) - crestAt(std::max(x - 2, 0))) / 4.0f;
        float bottom = r.foot ? r.foot(float(x)) : r.bottom;
        for (int y = std::max(0, int(std::floor(top))); y < std::min(kHeight, int(bottom) + 1);
             ++y) {
            // Four samples across the pixel give a smooth crest on steep slopes too.
            float cover = 0;
            for (int i = 0; i < 4; ++i) {
                cover += Clamp01(float(y) + 1.0f - crest[size_t(x * 4 + 4 + i)]) * 0.25f;
            }
            if (r.foot) cover *= Clamp01(bottom - float(y));
            if (cover <= 0) continue;
            float fx = float(x), fy = float(y);
            float depth = fy - crestAt(x);
            // Spurs and gullies run down from the crest; their sides catch or miss the sun.
            float lean = 0.35f * r.sunSide;
            float gs = r.scale * 0.22f;
            float g1 = Ridged((fx + depth * lean + 1) / gs, depth / (gs * 1.6f), r.seed + 11, 4);
            float g0 = Ridged((fx + depth * lean - 1) / gs, depth / (gs * 1.6f), r.seed + 11, 4);
            float gully = (g1 - g0) * gs * 0.5f * (0.25f + 0.75f * r.sharp);
            float crestLight = -slope * std::exp(-depth / (r.amp * 0.6f + 10));
            float light = 0.5f + 0.5f * std::tanh(r.sunSide * (crestLight * 1.8f - gully * 0.9f));
            float low = SmoothStep(0, r.amp + 60, depth);
            Rgb c = Mix(r.shadow, r.lit, light * (1 - 0.3f * low));
            if (r.snowLine >= 0) {
                float edge =
                    r.snowLine + 26 * Fbm(fx / 38, fy / 16, r.seed + 21, 4) - 14 * (g0 - 0.5f);
                float snow = SmoothStep(edge + 3, edge - 3, fy);
                Rgb snowC = Mix(r.snow * Rgb{0.62f, 0.7f, 0.86f}, r.snow, light);
                c = Mix(c, snowC, snow);
            }
            if (fy > r.woodLine) {
                float edge = r.woodLine + 22 * Fbm(fx / 30, fy / 30, r.seed + 31, 3);
                float woods = SmoothStep(edge - 4, edge + 10, fy);
                float speck = 0.8f + 0.35f * Fbm(fx / 2.2f, fy / 2.2f, r.seed + 41, 2);
                Rgb w = r.wood * (speck * (0.75f + 0.45f * light));
                c = Mix(c, w, woods);
            }
            float drift = 0.6f + 0.4f * Fbm(fx / 150, fy / 40, r.seed + 51, 3);
            float haze =
                Clamp01(r.haze + r.mist * drift * SmoothStep(crestAt(x) + 20, r.base + 40, fy));
            c = Mix(c, r.hazeColour, haze);
            Blend(img, x, y, c, cover);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Trees

// A row of firs standing on a ground line, drawn back to front.
struct Firs {
    Line ground;
    float from, to;
    float minHeight, maxHeight;
    float spacing;
    Rgb dark, light;
    Rgb hazeColour;
    float haze;
    uint32_t seed;
    float sunSide = 1;
    float spread = 0;  // trees stand anywhere down to this far below the ground line
};

void PaintFirs(QImage& img, const Firs& f) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    Dice dice(f.seed);
    Rgb dark = Mix(f.dark, f.hazeColour, f.haze), light = Mix(f.light, f.hazeColour, f.haze);
    for (float x = f.from; x < f.to; x += f.spacing * dice.Range(0.5f, 1.3f)) {
        float h = dice.Range(f.minHeight, f.maxHeight);
        float base = f.ground(x) + dice.Range(0, f.minHeight * 0.4f + f.spread);
        float w = h * dice.Range(0.26f, 0.34f);
        int tiers = h > 24 ? 5 : 3;
        QPolygonF left, right;
        left << QPointF(x, base - h);
        right << QPointF(x, base - h);
        for (int t = 1; t <= tiers; ++t) {
            float ty = base - h + h * 0.92f * float(t) / float(tiers);
            float tw = w * (0.35f + 0.65f * float(t) / float(tiers));
            float jag = dice.Range(0.85f, 1.1f);
            left << QPointF(x - tw * jag, ty) << QPointF(x - tw * 0.45f, ty - h * 0.04f);
            right << QPointF(x + tw * jag, ty) << QPointF(x + tw * 0.45f, ty - h * 0.04f);
        }
        left << QPointF(x - w * 0.12f, base) << QPointF(x, base);
        right << QPointF(x + w * 0.12f, base) << QPointF(x, base);
        float tone = dice.Range(0.85f, 1.1f);
        const QPolygonF& sunny = f.sunSide > 0 ? left : right;
        const QPolygonF& shady = f.sunSide > 0 ? right : left;
        p.setBrush(QColor(ToQRgb(light * tone)));
        p.drawPolygon(sunny);
        p.setBrush(QColor(ToQRgb(dark * tone)));
        p.drawPolygon(shady);
    }
}

// Round broad-leaved crowns in autumn colours along a ground line.
struct Grove {
    Line ground;
    float from, to;
    float minSize, maxSize;
    float spacing;
    std::vector<Rgb> colours;
    Rgb hazeColour;
    float haze;
    uint32_t seed;
    float spread = 0;  // trees stand anywhere down to this far below the ground line
};

void PaintGrove(QImage& img, const Grove& g) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    Dice dice(g.seed);
    for (float x = g.from; x < g.to; x += g.spacing * dice.Range(0.5f, 1.2f)) {
        float s = dice.Range(g.minSize, g.maxSize);
        float base = g.ground(x) + dice.Range(0, s * 0.5f + g.spread);
        // Woods come in clumps with meadow between them.
        if (Noise(x / 60, base / 30, g.seed + 1) < -0.15f) continue;
        Rgb c = g.colours[size_t(dice.Next() * float(g.colours.size())) % g.colours.size()];
        c = Mix(c, g.hazeColour, g.haze);
        // Trunk, then the crown as a few overlapping puffs, shade first and light on top.
        p.setBrush(QColor(ToQRgb(Mix(Hex(0x4A3428), g.hazeColour, g.haze))));
        p.drawRect(QRectF(x - s * 0.06f, base - s * 0.6f, s * 0.12f, s * 0.6f));
        for (int k = 0; k < 5; ++k) {
            float px = x + dice.Range(-0.35f, 0.35f) * s, py = base - s * dice.Range(0.7f, 1.1f);
            float r = s * dice.Range(0.3f, 0.45f);
            p.setBrush(QColor(ToQRgb(c * 0.72f)));
            p.drawEllipse(QPointF(px, py), r, r * 0.9f);
        }
        for (int k = 0; k < 4; ++k) {
            float px = x + dice.Range(-0.3f, 0.2f) * s, py = base - s * dice.Range(0.85f, 1.2f);
            float r = s * dice.Range(0.18f, 0.3f);
            p.setBrush(QColor(ToQRgb(c * dice.Range(0.95f, 1.12f))));
            p.drawEllipse(QPointF(px, py), r, r * 0.85f);
        }
    }
}

// A palm: a slender curved trunk with rings, a crown of drooping fronds and a few nuts.
struct Palm {
    float x, ground, height, lean;
    Rgb trunk, leaf;
    uint32_t seed;
};

void PaintPalm(QImage& img, const Palm& m) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
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
}

// ---------------------------------------------------------------------------------------------
// Water

// Still water below a shore line: a rippled mirror of everything already painted above it.
struct Lake {
    float waterline;
    Rgb tint;
    float reflect;  // 0 matt .. 1 a perfect mirror at the far shore
    uint32_t seed;
};

void PaintLake(QImage& img, const Lake& l, float bottom) {
    QImage above = img.copy();
    int top = int(std::ceil(l.waterline));
    for (int y = top; y < std::min(kHeight, int(bottom)); ++y) {
        QRgb* line = Row(img, y);
        float d = float(y) - l.waterline;
        float near = Clamp01(d / (kHeight - l.waterline));
        float fres = Lerp(l.reflect, l.reflect * 0.55f, near);
        for (int x = 0; x < kWidth; ++x) {
            float fx = float(x), fy = float(y);
            // Ripples stretch the mirror image horizontally and grow towards the viewer.
            float wob = Fbm(fx / 90, fy / (1.5f + d * 0.08f), l.seed, 3);
            float sx = std::clamp(fx + wob * (1.5f + d * 0.06f), 0.0f, float(kWidth - 1));
            float sy =
                std::clamp(2 * l.waterline - fy - 1 + wob * d * 0.05f, 0.0f, float(kHeight - 1));
            Rgb mirrored = FromQRgb(above.pixel(int(sx), int(sy)));
            Rgb c = Mix(l.tint, mirrored, fres);
            float streak = Fbm(fx / 160, fy / (0.8f + d * 0.03f), l.seed + 5, 2);
            c = c * (1.0f + 0.08f * streak * SmoothStep(0, 40, d));
            line[x] = ToQRgb(c);
        }
    }
}

struct Sea {
    float horizon;
    Line shore;  // where the water meets the sand
    Rgb far, deep, shallow;
    Rgb skyReflect;
    float sunX;
    Rgb glitter;
    float glitterAmount;
    uint32_t seed;
    int surfLines = 3;
};

void PaintSea(QImage& img, const Sea& s) {
    for (int y = int(s.horizon); y < kHeight; ++y) {
        QRgb* line = Row(img, y);
        for (int x = 0; x < kWidth; ++x) {
            float fx = float(x), fy = float(y);
            float sh = s.shore(fx);
            if (fy > sh + 1) continue;
            float t = Clamp01((fy - s.horizon) / (sh - s.horizon));
            float d = fy - s.horizon;
            Rgb c = Mix3(s.far, s.deep, s.shallow, std::pow(t, 0.8f));
            c = Mix(c, s.skyReflect, 0.35f * (1 - t) * (1 - t));
            // Long low swells, flattened by distance.
            float wave = Fbm(fx / (40 + d * 2.5f), fy / (0.6f + d * 0.12f), s.seed, 4);
            c = c * (1.0f + 0.09f * wave);
            // The sun's path on the water: sparkle that widens towards the viewer.
            float path = std::exp(-std::pow((fx - s.sunX) / (25 + d * 1.4f), 2.0f));
            float sparkle = SmoothStep(0.15f, 0.55f, wave) * path;
            c = Mix(c, s.glitter,
                    Clamp01(sparkle * s.glitterAmount + path * 0.15f * s.glitterAmount));
            // Broken lines of surf running along the shore.
            float gap = sh - fy;
            for (int k = 1; k <= s.surfLines; ++k) {
                float at = float(k) * (9.0f + float(k) * 4.0f) +
                           3.0f * Noise(fx / 70, float(k) * 3.1f, s.seed + 9);
                float band = std::exp(-std::pow((gap - at) / (1.2f + 0.4f * float(k)), 2.0f));
                float broken =
                    SmoothStep(-0.2f, 0.3f, Fbm(fx / 35, float(k) * 7.7f, s.seed + 13, 3));
                c = Mix(c, Hex(0xF2F6F4), band * broken * (0.85f - 0.15f * float(k)));
            }
            float foam = std::exp(-std::pow(gap / 2.2f, 2.0f)) *
                         (0.7f + 0.3f * Fbm(fx / 8, fy / 3, s.seed + 17, 3));
            c = Mix(c, Hex(0xF8FAF8), Clamp01(foam));
            float cover = Clamp01(sh + 1 - fy);
            line[x] = ToQRgb(Mix(FromQRgb(line[x]), c, cover));
        }
    }
}

// Sand from the shore line down, darker and glossy where the last wave left it wet.
struct Sand {
    Line shore;
    Rgb wet, dry, far;
    Rgb skyReflect;
    uint32_t seed;
};

void PaintSand(QImage& img, const Sand& s) {
    for (int y = 0; y < kHeight; ++y) {
        QRgb* line = Row(img, y);
        for (int x = 0; x < kWidth; ++x) {
            float fx = float(x), fy = float(y);
            float sh = s.shore(fx);
            if (fy < sh - 1) continue;
            float gap = fy - sh;
            float nearness = Clamp01((fy - sh) / (kHeight - sh + 1));
            Rgb dry = Mix(s.far, s.dry, SmoothStep(0, 0.6f, nearness));
            float ripple = Fbm(fx / 60, fy / 6, s.seed, 4);
            float grain = Fbm(fx / 1.7f, fy / 1.7f, s.seed + 3, 2);
            dry = dry * (1.0f + 0.05f * ripple + 0.025f * grain);
            float wetEdge = 10 + 6 * Fbm(fx / 50, 1.3f, s.seed + 7, 3);
            float wetness = 1 - SmoothStep(wetEdge - 4, wetEdge + 2, gap);
            Rgb wet = Mix(s.wet, s.skyReflect, 0.25f) * (1.0f + 0.04f * ripple);
            Rgb c = Mix(dry, wet, wetness);
            float cover = Clamp01(fy + 1 - sh);
            line[x] = ToQRgb(Mix(FromQRgb(line[x]), c, cover));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The scenes

Line Flat(float y) {
    return [y](float) { return y; };
}

// Clear morning: a snowy range far off, wooded ridges, a meadow in front.
QImage Mountains1() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    Rgb haze = Hex(0xC8D6E6);
    PaintSky(img, {Hex(0x3A6EB4),
                   Hex(0x86AEDB),
                   Hex(0xE4EAEC),
                   360,
                   90,
                   330,
                   Hex(0x4A3A10),
                   160,
                   0,
                   {},
                   Hex(0xFFFFFF),
                   Hex(0xB4C2D6),
                   0.48f,
                   80,
                   290,
                   101});
    Ridge far{330, 190, 190, 0.85f, 11, Hex(0x465070), Hex(0x8890A6), haze, 0.28f, 0.12f, 255};
    PaintRidge(img, far);
    Ridge mid{380, 110, 160, 0.6f, 12, Hex(0x44565E), Hex(0x869878), haze, 0.22f, 0.15f, -1};
    mid.woodLine = 330;
    mid.wood = Hex(0x3D5A44);
    PaintRidge(img, mid);
    Ridge near{450, 80, 240, 0.3f, 13, Hex(0x2E4632), Hex(0x5C7F4C), haze, 0.06f, 0.08f, -1};
    near.woodLine = 400;
    near.wood = Hex(0x2C4A2E);
    PaintRidge(img, near);
    Line treeLine = [](float x) { return 468 + 22 * Noise(x / 140, 0.5f, 14); };
    PaintFirs(img,
              {treeLine, -10, 810, 16, 34, 5, Hex(0x1F3A26), Hex(0x3C6A3C), haze, 0.1f, 15, 1, 26});
    Ridge meadow{512, 30, 300, 0.0f, 16, Hex(0x5E8A3A), Hex(0x9BC064), haze, 0.0f, 0.0f, -1};
    PaintRidge(img, meadow);
    Line nearTrees = [](float x) { return 590 - 0.1f * (x - 700); };
    PaintFirs(img, {nearTrees, 650, 820, 80, 150, 20, Hex(0x19301E), Hex(0x355F36), haze, 0.0f, 17,
                    1, 10});
    return img;
}

// Alpine lake at noon: tall snowy peaks mirrored in still water between dark woods.
QImage Mountains2() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    Rgb haze = Hex(0xBCD0E4);
    PaintSky(img, {Hex(0x2258A8),
                   Hex(0x6FA2DC),
                   Hex(0xD8E6F0),
                   340,
                   400,
                   -200,
                   Hex(0x000000),
                   10,
                   0,
                   {},
                   Hex(0xFFFFFF),
                   Hex(0xAABCD4),
                   0.5f,
                   70,
                   250,
                   201});
    Ridge far{320, 230, 230, 0.9f, 21, Hex(0x3C4660), Hex(0x8A8E9C), haze, 0.16f, 0.15f, 262};
    PaintRidge(img, far);
    Ridge mid{360, 90, 150, 0.7f, 22, Hex(0x3A4A58), Hex(0x7A8A80), haze, 0.14f, 0.15f, -1};
    mid.woodLine = 310;
    mid.wood = Hex(0x2F4A38);
    PaintRidge(img, mid);
    const float water = 392;
    Line shoreL = [](float x) { return 392 - 40 * SmoothStep(420, 0, x); };
    Ridge bankL{392, 70, 200, 0.2f, 23, Hex(0x253A2A), Hex(0x46663E), haze, 0.05f, 0.0f, -1};
    bankL.to = 300;
    bankL.fade = 120;
    bankL.bottom = water;
    bankL.woodLine = 330;
    bankL.wood = Hex(0x26402C);
    PaintRidge(img, bankL);
    PaintFirs(img, {Flat(water - 4), -10, 810, 9, 18, 3, Hex(0x1E3526), Hex(0x36583A), haze, 0.15f,
                    24, 1, 4});
    PaintFirs(img,
              {shoreL, -10, 330, 14, 30, 5, Hex(0x1A3022), Hex(0x33593A), haze, 0.05f, 25, 1, 30});
    PaintLake(img, {water, Hex(0x24506A), 0.82f, 26}, kHeight);
    Ridge shore{565, 28, 220, 0.1f, 27, Hex(0x5A5348), Hex(0x9A8E74), haze, 0.0f, 0.0f, -1};
    shore.woodLine = 578;
    shore.wood = Hex(0x4F6B35);
    PaintRidge(img, shore);
    Line rightBank = [](float x) { return 600 - 0.9f * (x - 680); };
    PaintFirs(img,
              {rightBank, 700, 830, 110, 190, 26, Hex(0x152A1C), Hex(0x2F5533), haze, 0.0f, 28});
    return img;
}

// Autumn afternoon: warm light, pale peaks, hills of gold and red trees.
QImage Mountains3() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    Rgb haze = Hex(0xE2D4C0);
    PaintSky(img, {Hex(0x4672AC),
                   Hex(0x9DB9D6),
                   Hex(0xEDDCC0),
                   380,
                   690,
                   250,
                   Hex(0x4A3010),
                   200,
                   0,
                   {},
                   Hex(0xFFF8EC),
                   Hex(0xC4B4A6),
                   0.5f,
                   75,
                   300,
                   301});
    Ridge far{350, 170, 200, 0.8f, 31, Hex(0x5E5A78), Hex(0xA89890), haze, 0.32f, 0.1f, 250};
    far.sunSide = -1;
    PaintRidge(img, far);
    Ridge mid{400, 100, 210, 0.4f, 32, Hex(0x6A5A4A), Hex(0xB08A5A), haze, 0.25f, 0.15f, -1};
    mid.woodLine = 340;
    mid.wood = Hex(0x8A6A3A);
    mid.sunSide = -1;
    PaintRidge(img, mid);
    std::vector<Rgb> autumn = {Hex(0xC8571E), Hex(0xE0A030), Hex(0xB83A22),
                               Hex(0xD8B040), Hex(0x8A7A30), Hex(0xA0401E)};
    Ridge hills{450, 50, 280, 0.0f, 34, Hex(0x6C5A2A), Hex(0xAA8E44), haze, 0.1f, 0.05f, -1};
    hills.sunSide = -1;
    PaintRidge(img, hills);
    Line hill = [](float x) { return 405 + 30 * Noise(x / 200, 0.3f, 33); };
    PaintGrove(img, {hill, -10, 810, 7, 12, 2.5f, autumn, haze, 0.3f, 35, 30});
    Line hill1 = [](float x) { return 430 + 24 * Noise(x / 180, 0.6f, 32); };
    PaintGrove(img, {hill1, -10, 810, 10, 17, 3, autumn, haze, 0.18f, 36, 30});
    Line hill2 = [](float x) { return 468 + 14 * Noise(x / 160, 0.8f, 36); };
    PaintGrove(img, {hill2, -10, 810, 15, 24, 4, autumn, haze, 0.08f, 37, 24});
    Ridge field{520, 22, 320, 0.0f, 38, Hex(0x8A7A3A), Hex(0xD2B76A), haze, 0.0f, 0.0f, -1};
    field.sunSide = -1;
    PaintRidge(img, field);
    Line front = [](float x) { return 600 - 0.5f * (140 - x); };
    PaintGrove(img, {front, -30, 130, 60, 90, 24, autumn, haze, 0.0f, 39});
    return img;
}

// Golden dusk: layer upon layer of ridges fading into the glow, mirrored in a lake.
QImage Mountains4() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    Rgb haze = Hex(0xF0A878);
    PaintSky(img, {Hex(0x262C66), Hex(0xB66A86), Hex(0xFFC27A), 330, 520, 282, Hex(0x7A4010), 150,
                   15, Hex(0xFFF2C8), Hex(0xF8B090), Hex(0x7A5A7A), 0.42f, 70, 270, 401});
    const Rgb layers[4] = {Hex(0xA86A80), Hex(0x7E4E72), Hex(0x5A3A62), Hex(0x3E2A50)};
    for (int i = 0; i < 4; ++i) {
        Ridge r{330 + 22.0f * float(i),
                120 - 20.0f * float(i),
                200 - 25.0f * float(i),
                0.7f - 0.15f * float(i),
                uint32_t(41 + i),
                layers[i] * 0.9f,
                layers[i] * 1.15f,
                haze,
                0.35f - 0.1f * float(i),
                0.2f,
                -1};
        r.sunSide = -1;
        PaintRidge(img, r);
    }
    const float water = 418;
    PaintFirs(img, {Flat(water - 3), -10, 810, 8, 18, 3, Hex(0x26193A), Hex(0x3A2850), haze, 0.0f,
                    45, -1, 3});
    PaintLake(img, {water, Hex(0x3A2A4A), 0.85f, 46}, kHeight);
    Ridge shore{580, 22, 260, 0.1f, 47, Hex(0x22182E), Hex(0x3A2838), haze, 0.0f, 0.0f, -1};
    shore.sunSide = -1;
    PaintRidge(img, shore);
    Line leftBank = [](float x) { return 600 - 0.9f * (100 - x); };
    PaintFirs(img,
              {leftBank, -30, 100, 100, 170, 24, Hex(0x1E1428), Hex(0x2E2038), haze, 0.0f, 48, -1});
    return img;
}

// Tropical noon: turquoise water, white sand, palms, a green headland on the left.
QImage Beach1() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    const float horizon = 330;
    PaintSky(img, {Hex(0x1E64B4),
                   Hex(0x5EA4E0),
                   Hex(0xCFE6F2),
                   horizon,
                   420,
                   -150,
                   Hex(0x000000),
                   10,
                   0,
                   {},
                   Hex(0xFFFFFF),
                   Hex(0xB5C8DC),
                   0.38f,
                   85,
                   320,
                   501});
    Line shore = [](float x) { return 452 + 0.12f * x + 10 * Noise(x / 120, 0.2f, 51); };
    PaintSea(img, {horizon, shore, Hex(0x3A7EB8), Hex(0x1E8FB0), Hex(0x4FD6CC), Hex(0xBFE0F0), 420,
                   Hex(0xFFFFFF), 0.35f, 52});
    Ridge head{352,           95,   150,  0.35f, 53, Hex(0x2F5A3A), Hex(0x6A9A4E),
               Hex(0xBFD8E8), 0.2f, 0.1f, -1};
    head.from = -200;
    head.to = 170;
    head.fade = 150;
    head.foot = Flat(352);
    PaintRidge(img, head);
    PaintSand(img, {shore, Hex(0xB8A080), Hex(0xF2E2C2), Hex(0xE8D8BA), Hex(0x9FCBE0), 54});
    PaintPalm(img, {690, 590, 330, 0.25f, Hex(0x8A7256), Hex(0x3E7A32), 55});
    PaintPalm(img, {760, 600, 260, 0.08f, Hex(0x7A6248), Hex(0x356C2C), 56});
    PaintPalm(img, {600, 520, 150, 0.22f, Hex(0x8E7A5E), Hex(0x4A8838), 57});
    return img;
}

// Evening beach: the sun low over the sea, a long glitter path, palms against the glow.
QImage Beach2() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    const float horizon = 340;
    PaintSky(img, {Hex(0x283C78), Hex(0xC47A8A), Hex(0xFFC07A), horizon, 330, 300, Hex(0x8A4A10),
                   140, 20, Hex(0xFFEBB0), Hex(0xFFB890), Hex(0x6E5A80), 0.4f, 70, 300, 601});
    Line shore = [](float x) { return 470 - 0.04f * x + 8 * Noise(x / 140, 0.2f, 61); };
    PaintSea(img, {horizon, shore, Hex(0xC08A90), Hex(0x3E4A78), Hex(0x6A6A8A), Hex(0xF0B090), 330,
                   Hex(0xFFD890), 0.9f, 62});
    Ridge head{358,           60,    140,  0.3f, 63, Hex(0x4A3A5A), Hex(0x6A4A66),
               Hex(0xE8A08A), 0.35f, 0.0f, -1};
    head.from = 650;
    head.to = 1000;
    head.fade = 120;
    head.foot = Flat(358);
    head.sunSide = -1;
    PaintRidge(img, head);
    PaintSand(img, {shore, Hex(0x8A6A6A), Hex(0xC89A7A), Hex(0xB08A78), Hex(0xF0B090), 64});
    PaintPalm(img, {90, 600, 340, -0.28f, Hex(0x3A2A30), Hex(0x2A2A30), 65});
    PaintPalm(img, {30, 590, 250, 0.1f, Hex(0x342630), Hex(0x26242C), 66});
    return img;
}

// A calm cove at sunrise: pastel sky, headlands on both sides, glassy water, one leaning palm.
QImage Beach3() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    const float horizon = 320;
    PaintSky(img, {Hex(0x4A78B8), Hex(0xB8B4D4), Hex(0xFFD8C0), horizon, 430, 300, Hex(0x6A3A20),
                   120, 12, Hex(0xFFF4D8), Hex(0xFFE8DA), Hex(0xB09AB8), 0.3f, 80, 290, 701});
    Line shore = [](float x) {
        float t = (x - 420) / 420;
        return 488 - 40 * (1 - t * t) + 6 * Noise(x / 100, 0.4f, 71);
    };
    PaintSea(img, {horizon, shore, Hex(0xC8B8D0), Hex(0x6A88A8), Hex(0x8ABCC0), Hex(0xF4D4D0), 430,
                   Hex(0xFFF0D0), 0.55f, 72, 2});
    Ridge left{350,           110,           160,  0.4f, 73, Hex(0x5A6A78),
               Hex(0x9AA8A0), Hex(0xE8D4D4), 0.3f, 0.2f, -1};
    left.from = -300;
    left.to = 200;
    left.fade = 160;
    left.foot = Flat(350);
    PaintRidge(img, left);
    Ridge right{365,           130,           150,   0.45f, 74, Hex(0x3E5058),
                Hex(0x7A8C74), Hex(0xE8D4D4), 0.15f, 0.15f, -1};
    right.from = 600;
    right.to = 1100;
    right.fade = 170;
    right.foot = Flat(365);
    PaintRidge(img, right);
    PaintSand(img, {shore, Hex(0xA89088), Hex(0xE8D0B8), Hex(0xDCC4B4), Hex(0xF0D0D0), 76});
    PaintPalm(img, {70, 595, 270, 0.3f, Hex(0x6A5048), Hex(0x3A5A3A), 77});
    return img;
}

}  // namespace

std::vector<BackdropPicture> PaintBackdrops() {
    return {{"mtn01.bmp", Mountains1()}, {"mtn02.bmp", Mountains2()}, {"mtn03.bmp", Mountains3()},
            {"mtn04.bmp", Mountains4()}, {"beach01.bmp", Beach1()},   {"beach02.bmp", Beach2()},
            {"beach03.bmp", Beach3()}};
}

}  // namespace driftmere::pictures
