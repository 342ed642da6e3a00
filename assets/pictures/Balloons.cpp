#include "Balloons.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "Paint.h"

namespace driftmere::pictures {

namespace {

constexpr float kPi = 3.14159265358979f;

// Where a point of the envelope lies on the fabric, for the patterns to choose a colour.
struct Fabric {
    int gore;      // which panel, counted round the whole envelope
    float across;  // 0..1 across the panel, left seam to right seam
    float down;    // 0 at the crown .. 1 at the throat, bent slightly as seen from below
    int gores;     // panels round the envelope
};

using Pattern = std::function<Rgb(const Fabric&)>;

struct Design {
    const char* name;
    int width;
    int height;
    int gores;
    float turn;  // turns the panels round the vertical axis, in panels
    Rgb skirt;
    Pattern pattern;
};

bool InStar(float x, float y, float radius) {
    // A five-pointed star standing upright, as a ten-cornered polygon.
    std::array<float, 20> pts{};
    for (int i = 0; i < 10; ++i) {
        float r = (i % 2 == 0) ? radius : radius * 0.42f;
        float a = -kPi / 2 + float(i) * kPi / 5;
        pts[size_t(2 * i)] = r * std::cos(a);
        pts[size_t(2 * i + 1)] = r * std::sin(a);
    }
    bool inside = false;
    for (int i = 0, j = 9; i < 10; j = i++) {
        float xi = pts[size_t(2 * i)], yi = pts[size_t(2 * i + 1)];
        float xj = pts[size_t(2 * j)], yj = pts[size_t(2 * j + 1)];
        if (((yi > y) != (yj > y)) && (x < (xj - xi) * (y - yi) / (yj - yi) + xi)) {
            inside = !inside;
        }
    }
    return inside;
}

float Tri(float v) { return std::fabs(2 * (v - std::floor(v)) - 1); }  // 1 at integers, 0 at halves

std::vector<Design> Designs() {
    const Rgb red = Hex(0xD42A2A), yellow = Hex(0xF7C531), blue = Hex(0x1F4FA8),
              white = Hex(0xF4F1E8), navy = Hex(0x1C2A5C), green = Hex(0x2E8B45),
              orange = Hex(0xEE7A22), crimson = Hex(0xB3152E), teal = Hex(0x138A8A),
              purple = Hex(0x6A2C91), pink = Hex(0xEC6FA6), gold = Hex(0xE8B62C),
              turquoise = Hex(0x2BB3C0), sky = Hex(0x5AA6E8);
    const std::array<Rgb, 7> rainbow = {Hex(0xE03A3A), Hex(0xF08A24), Hex(0xF5D33A), Hex(0x4CB050),
                                        Hex(0x2F8FD8), Hex(0x3F4FB0), Hex(0x8A46B8)};
    std::vector<Design> d;
    // Red and yellow panels with a blue crown and a blue hem.
    d.push_back({"balloon01", 104, 148, 16, 0.3f, Hex(0x2A3F8F), [=](const Fabric& f) {
                     if (f.down < 0.1f || f.down > 0.9f) return blue;
                     return f.gore % 2 ? yellow : red;
                 }});
    // Blue with two white chevrons round the middle and a red line between them.
    d.push_back({"balloon02", 96, 138, 16, 0.5f, Hex(0xC0392B), [=](const Fabric& f) {
                     float z = 0.12f * Tri(f.across);
                     float v = f.down + z;
                     if (std::fabs(v - 0.44f) < 0.045f || std::fabs(v - 0.62f) < 0.045f) {
                         return white;
                     }
                     if (std::fabs(v - 0.53f) < 0.018f) return red;
                     return blue;
                 }});
    // Rainbow panels.
    d.push_back({"balloon03", 112, 158, 14, 0.1f, Hex(0x3F4FB0),
                 [=](const Fabric& f) { return rainbow[size_t(f.gore % 7)]; }});
    // Green and cream checks.
    d.push_back({"balloon04", 100, 144, 16, 0.2f, Hex(0x1E5E30), [=](const Fabric& f) {
                     int band = int(f.down * 9);
                     return (f.gore + band) % 2 ? white : green;
                 }});
    // Orange with a navy band of yellow stars.
    d.push_back({"balloon05", 116, 164, 14, 0.5f, navy, [=](const Fabric& f) {
                     if (f.down > 0.27f && f.down < 0.47f) {
                         float x = (f.across - 0.5f) * 1.0f, y = (f.down - 0.37f) * 4.2f;
                         return InStar(x, y, 0.36f) ? yellow : navy;
                     }
                     if (std::fabs(f.down - 0.25f) < 0.015f || std::fabs(f.down - 0.49f) < 0.015f) {
                         return yellow;
                     }
                     return f.gore % 2 ? orange : Hex(0xF08C34);
                 }});
    // Two halves: sunflower crown, crimson below, a white seam between.
    d.push_back({"balloon06", 92, 134, 12, 0.0f, Hex(0x7A1020), [=](const Fabric& f) {
                     if (std::fabs(f.down - 0.48f) < 0.025f) return white;
                     Rgb c = f.down < 0.48f ? yellow : crimson;
                     return f.gore % 2 ? c * 0.93f : c;
                 }});
    // White with red and blue rings, like a sail.
    d.push_back({"balloon07", 108, 152, 16, 0.4f, Hex(0x23408E), [=](const Fabric& f) {
                     float v = f.down;
                     if (v > 0.30f && v < 0.37f) return red;
                     if (v > 0.41f && v < 0.50f) return blue;
                     if (v > 0.54f && v < 0.61f) return red;
                     if (v > 0.88f) return blue;
                     return white;
                 }});
    // Purple, pink and white stripes winding round like a barber's pole.
    d.push_back({"balloon10", 98, 140, 18, 0.0f, purple, [=](const Fabric& f) {
                     float s = float(f.gore) + f.across + f.down * 5.0f;
                     int k = int(std::floor(s / 1.5f)) % 3;
                     return k == 0 ? purple : (k == 1 ? pink : white);
                 }});
    // Turquoise with an orange crown and an orange zigzag band.
    d.push_back({"balloon11", 114, 160, 16, 0.25f, Hex(0xC85A14), [=](const Fabric& f) {
                     if (f.down < 0.16f) return orange;
                     float z = 0.5f + 0.1f * (Tri(f.across) - 0.5f);
                     if (std::fabs(f.down - z) < 0.06f) return orange;
                     if (std::fabs(f.down - z) < 0.08f) return white;
                     return turquoise;
                 }});
    // Red and gold diamonds.
    d.push_back({"balloon12", 102, 146, 16, 0.5f, Hex(0x8C1A1A), [=](const Fabric& f) {
                     float a = f.across + float(f.gore), b = f.down * 7.0f;
                     int k = int(std::floor(a + b)) + int(std::floor(a - b + 100.0f));
                     return k % 2 ? gold : Hex(0xC62828);
                 }});
    // Sunny yellow with sky-blue polka dots.
    d.push_back({"balloon13", 110, 156, 14, 0.3f, Hex(0x2C6FB5), [=](const Fabric& f) {
                     int row = int(std::floor(f.down * 8.0f));
                     float cy = (float(row) + 0.5f) / 8.0f;
                     float cx = (row % 2) ? 0.5f : 0.0f;
                     float dx = f.across - cx;
                     if (dx > 0.5f) dx -= 1.0f;
                     float dy = (f.down - cy) * 5.5f;
                     return dx * dx + dy * dy < 0.07f ? sky : Hex(0xF9D648);
                 }});
    // Large: rainbow rings from a red crown to a violet hem, white seams.
    d.push_back({"balloon14", 124, 168, 18, 0.0f, Hex(0x5B2D82), [=](const Fabric& f) {
                     int ring = std::min(6, int(f.down * 7.0f));
                     return rainbow[size_t(ring)];
                 }});
    // Large: deep teal with golden rays from the crown and a crimson hem.
    d.push_back({"balloon15", 130, 170, 16, 0.5f, Hex(0x6E1020), [=](const Fabric& f) {
                     if (f.down > 0.84f) return crimson;
                     if (std::fabs(f.down - 0.82f) < 0.02f) return gold;
                     float half = 0.5f * (1.0f - f.down / 0.78f);
                     return std::fabs(f.across - 0.5f) < half ? gold : teal;
                 }});
    return d;
}

// The balloon's proportions, measured in pixels from the picture's top-left corner.
struct Shape {
    float cx, radius, top, centreY, throatY, throatR;
    float skirtBottom, skirtHalf;
    float burnerTop, burnerHalf, basketTop, basketBottom, basketHalf;

    explicit Shape(const Design& d) {
        cx = d.width / 2.0f;
        radius = (d.width - 4) / 2.0f;
        top = 2.0f;
        centreY = top + radius;
        float bottom = d.height - 2.0f;
        // Below the envelope: skirt, flying wires, burner and basket, in fixed shares of the
        // radius; the tapering lower half of the envelope takes what is left of the height.
        float skirt = 0.15f * radius, wires = 0.30f * radius, burner = 0.07f * radius,
              basket = 0.26f * radius;
        throatY = bottom - basket - burner - wires - skirt;
        throatR = 0.27f * radius;
        skirtBottom = throatY + skirt;
        skirtHalf = throatR * 0.82f;
        burnerTop = std::round(skirtBottom + wires);
        basketTop = std::round(burnerTop + burner);
        basketBottom = bottom;
        basketHalf = std::max(7.0f, 0.30f * radius);
        burnerHalf = basketHalf * 0.45f;
    }

    // Half the envelope's width at height y, or a negative value outside it.
    float Half(float y) const {
        if (y < top || y > throatY) return -1;
        if (y <= centreY) {
            float dy = y - centreY;
            return std::sqrt(std::max(0.0f, radius * radius - dy * dy));
        }
        // Below the widest point the envelope narrows along a quarter cosine: it leaves the
        // sphere with no kink and meets the throat at a slant, like a real inverted teardrop.
        float t = (y - centreY) / (throatY - centreY);
        return throatR + (radius - throatR) * std::pow(std::cos(t * kPi / 2), 0.85f);
    }
};

struct Sample {
    bool hit = false;
    Rgb colour;
};

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    float vx = bx - ax, vy = by - ay;
    float t = Clamp01(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy));
    float dx = px - ax - t * vx, dy = py - ay - t * vy;
    return std::sqrt(dx * dx + dy * dy);
}

Sample Envelope(const Design& d, const Shape& s, float x, float y) {
    float half = s.Half(y);
    if (half <= 0 || std::fabs(x - s.cx) >= half) return {};
    float u = (x - s.cx) / half;
    float lon = std::asin(u);  // -pi/2 (left edge) .. pi/2 (right edge)
    float facing = std::sqrt(std::max(0.0f, 1 - u * u));

    // Surface normal of the body of revolution; dr/dy tilts it up on the crown, down below.
    float slope = (s.Half(std::min(y + 0.5f, s.throatY)) - s.Half(std::max(y - 0.5f, s.top))) /
                  (std::min(y + 0.5f, s.throatY) - std::max(y - 0.5f, s.top));
    if (!std::isfinite(slope)) slope = 0;
    slope = std::clamp(slope, -30.0f, 30.0f);
    float k = 1.0f / std::sqrt(1 + slope * slope);
    float nx = u * k, ny = -slope * k, nz = facing * k;

    float panels = (lon / (2 * kPi) + 0.25f) * float(d.gores) + d.turn;
    int gore = int(std::floor(panels));
    float across = panels - float(gore);
    float down = (y - s.top) / (s.throatY - s.top);
    // Rings on the fabric curve down at the front a little, as on a balloon seen from below.
    down = Clamp01(down + 0.035f * facing * (half / s.radius));
    Rgb c = d.pattern(Fabric{((gore % d.gores) + d.gores) % d.gores, across, down, d.gores});

    // Each panel bulges between its seams; the seams are fine darker lines.
    float goreWidthPx = (2 * kPi / float(d.gores)) * half * std::max(facing, 0.05f);
    float seamPx = std::min(across, 1 - across) * goreWidthPx;
    float bulge = 0.93f + 0.07f * std::sin(kPi * across);
    float seam = 1.0f - 0.22f * (1 - SmoothStep(0.0f, 0.7f, seamPx));

    // The balloons fly over every backdrop, morning, noon and dusk alike, so they are lit the
    // way an open sky lights them at any hour: softly from above and a little in front, with a
    // broad gentle sheen on the crown, the flanks rolling off evenly on both sides and the
    // underside in the sky's and the ground's bounced light rather than in black shade.
    const float lx = 0.0f, ly = -0.8f, lz = 0.6f;
    float wrap = Clamp01((nx * lx + ny * ly + nz * lz + 0.35f) / 1.35f);
    float hx = lx, hy = ly, hz = lz + 1;
    float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    float spec = std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / hl), 14.0f);
    float rim = 1.0f - 0.22f * std::pow(1.0f - facing, 3.0f);
    float shade = (0.42f + 0.66f * wrap) * rim * bulge * seam;
    return {true, c * shade + Rgb{1, 0.99f, 0.95f} * (0.2f * spec)};
}

Sample Skirt(const Design& d, const Shape& s, float x, float y) {
    if (y < s.throatY - 0.5f || y > s.skirtBottom) return {};
    float t = Clamp01((y - s.throatY) / (s.skirtBottom - s.throatY));
    float half = Lerp(s.throatR, s.skirtHalf, t);
    if (std::fabs(x - s.cx) >= half) return {};
    float u = (x - s.cx) / half;
    float pleat = 0.9f + 0.1f * std::cos(u * 9.0f);
    float shade = (0.5f + 0.35f * std::sqrt(1 - u * u)) * pleat;
    return {true, d.skirt * shade};
}

Sample Burner(const Shape& s, float x, float y) {
    if (y < s.burnerTop || y >= s.basketTop || std::fabs(x - s.cx) >= s.burnerHalf) return {};
    float u = (x - s.cx) / s.burnerHalf;
    float shade = 0.65f + 0.35f * (1 - std::fabs(u));
    return {true, Hex(0x9AA3AD) * shade};
}

Sample Basket(const Shape& s, float x, float y) {
    if (y < s.basketTop || y >= s.basketBottom) return {};
    float t = (y - s.basketTop) / (s.basketBottom - s.basketTop);
    float half = s.basketHalf * (1.0f - 0.10f * t);  // a little narrower at the floor
    if (std::fabs(x - s.cx) >= half) return {};
    float rx = (x - (s.cx - half)) / (2 * half);
    if (y < s.basketTop + 2.0f) {
        return {true, Hex(0x70462A) * (1.0f - 0.5f * (rx - 0.5f) * (rx - 0.5f))};  // leather rim
    }
    // Woven wicker: courses of short strands, every other course shifted by half a strand.
    float row = (y - s.basketTop) / 2.2f;
    int course = int(row);
    float v = row - float(course);
    float w = (x - s.cx + 40.0f + (course % 2) * 1.6f) / 3.2f;
    float uu = w - std::floor(w);
    float weave = 0.78f + 0.22f * std::sin(kPi * uu) * std::sin(kPi * v);
    float light = 1.0f - 0.6f * (rx - 0.5f) * (rx - 0.5f) - 0.15f * t;
    return {true, Hex(0xB98650) * (weave * light)};
}

Sample Wires(const Shape& s, float x, float y) {
    if (y < s.skirtBottom - 1 || y > s.basketTop + 1) return {};
    const float outer[2] = {s.skirtHalf * 0.95f, s.basketHalf * 0.92f};
    const float inner[2] = {s.skirtHalf * 0.45f, s.burnerHalf + 0.5f};
    float best = 1e9f;
    for (float side : {-1.0f, 1.0f}) {
        best = std::min(best, SegmentDistance(x, y, s.cx + side * outer[0], s.skirtBottom,
                                              s.cx + side * outer[1], s.basketTop));
        best = std::min(best, SegmentDistance(x, y, s.cx + side * inner[0], s.skirtBottom,
                                              s.cx + side * inner[1], s.burnerTop));
    }
    if (best > 0.55f) return {};
    return {true, Hex(0x5E4A36)};
}

// The shape is measured in 1x pixels; at scale k each device pixel takes its samples from the
// same shape, so the 2x balloon is the 1x one drawn with twice the detail.
QImage Paint(const Design& d, int k) {
    Shape s(d);
    QImage img(d.width * k, d.height * k, QImage::Format_ARGB32);
    img.fill(0);
    constexpr int kGrid = 4;  // 16 samples a pixel give clean anti-aliased edges
    const float step = 1.0f / float(kGrid * k);
    for (int py = 0; py < img.height(); ++py) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(py));
        for (int px = 0; px < img.width(); ++px) {
            Rgb sum;
            int hits = 0;
            for (int j = 0; j < kGrid; ++j) {
                for (int i = 0; i < kGrid; ++i) {
                    float x = float(px) / float(k) + (float(i) + 0.5f) * step;
                    float y = float(py) / float(k) + (float(j) + 0.5f) * step;
                    Sample smp = Basket(s, x, y);
                    if (!smp.hit) smp = Burner(s, x, y);
                    if (!smp.hit) smp = Wires(s, x, y);
                    if (!smp.hit) smp = Skirt(d, s, x, y);
                    if (!smp.hit) smp = Envelope(d, s, x, y);
                    if (smp.hit) {
                        sum = sum + smp.colour;
                        ++hits;
                    }
                }
            }
            if (hits == 0) continue;
            Rgb c = sum * (1.0f / float(hits));
            // A reader without alpha leaves out the top-left colour, which is black: keep
            // every channel of the balloon itself off zero so none of it vanishes with it.
            const float floor = 3.0f / 255.0f;
            c = {std::max(c.r, floor), std::max(c.g, floor), std::max(c.b, floor)};
            line[px] = ToQRgb(c, int(std::lround(255.0f * float(hits) / (kGrid * kGrid))));
        }
    }
    return img;
}

}  // namespace

std::vector<BalloonPicture> PaintBalloons(int scale) {
    std::vector<BalloonPicture> out;
    for (const Design& d : Designs()) {
        out.push_back({d.name, Paint(d, scale)});
    }
    return out;
}

}  // namespace driftmere::pictures
