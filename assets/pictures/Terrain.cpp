#include <algorithm>
#include <cmath>

#include "Detail.h"
#include "Scenery.h"

namespace driftmere::pictures {

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
    const float k = ScaleOf(img);
    const int w = img.width(), h = img.height();
    const int ki = int(std::lround(k));
    const bool fine = HasFineGrain(k);
    const float near = 0.55f + 0.45f * SmoothStep(300, 520, r.base);
    // The crest in device rows at four points across every device column, for a smooth edge
    // on steep slopes too.
    std::vector<float> crest(size_t(w) * 4);
    for (size_t i = 0; i < crest.size(); ++i) {
        crest[i] = Crest(r, (float(i) + 0.5f) / (4 * k)) * k;
    }
    for (int px = 0; px < w; ++px) {
        const float x = Logical(px, k);
        const float* c4 = &crest[size_t(px) * 4];
        const float top = std::min({c4[0], c4[1], c4[2], c4[3]});
        const float centre = Crest(r, x);
        const float slope = (Crest(r, x + 2) - Crest(r, x - 2)) / 4.0f;
        const float bottom = (r.foot ? r.foot(x) : r.bottom) * k;
        const float rimNear =
            r.rim > 0 ? r.rim * std::exp(-std::pow((x - r.sunX) / r.rimSpread, 2.0f)) : 0;
        for (int py = std::max(0, int(std::floor(top))); py < std::min(h, int(bottom) + 1); ++py) {
            float cover = 0;
            for (int i = 0; i < 4; ++i) cover += Clamp01(float(py) + 1.0f - c4[i]) * 0.25f;
            if (r.foot) cover *= Clamp01(bottom - float(py));
            if (cover <= 0) continue;
            const float y = Logical(py, k);
            float depth = y - centre;
            // Spurs and gullies run down from the crest; their sides catch or miss the sun.
            float lean = 0.35f * r.sunSide;
            float gs = r.scale * 0.22f;
            float g1 = Ridged((x + depth * lean + 1) / gs, depth / (gs * 1.6f), r.seed + 11, 4);
            float g0 = Ridged((x + depth * lean - 1) / gs, depth / (gs * 1.6f), r.seed + 11, 4);
            float gully = (g1 - g0) * gs * 0.5f * (0.25f + 0.75f * r.sharp);
            float crestLight = -slope * std::exp(-depth / (r.amp * 0.6f + 10));
            float light =
                0.5f + 0.5f * std::tanh(r.relief * r.sunSide * (crestLight * 1.8f - gully * 0.9f));
            float low = SmoothStep(0, r.amp + 60, depth);
            Rgb c = Mix(r.shadow, r.lit, light * (1 - 0.3f * low));
            float snow = 0, woods = 0;
            if (r.snowLine >= 0) {
                float edge =
                    r.snowLine + 26 * Fbm(x / 38, y / 16, r.seed + 21, 4) - 14 * (g0 - 0.5f);
                snow = SmoothStep(edge + 3, edge - 3, y);
                Rgb snowC = Mix(r.snow * Rgb{0.62f, 0.7f, 0.86f}, r.snow, light);
                c = Mix(c, snowC, snow);
            }
            if (y > r.woodLine) {
                float edge = r.woodLine + 22 * Fbm(x / 30, y / 30, r.seed + 31, 3);
                woods = SmoothStep(edge - 4, edge + 10, y);
                float speck = 0.8f + 0.35f * Fbm(x / 2.2f, y / 2.2f, r.seed + 41, 3);
                Rgb wd = r.wood * (speck * (0.75f + 0.45f * light));
                c = Mix(c, wd, woods);
            }
            if (fine) {
                // Bare rock shows its beds and cracks, open slopes their grass, snow its crust
                // and woods their needles.
                // Nearer ranges show more of it than the far ones.
                float open = (1 - snow) * (1 - woods) * near;
                float rock = open * r.sharp * 0.16f, grass = open * (1 - r.sharp) * 0.2f;
                float crust = snow * 0.07f, needles = woods * 0.24f * near;
                float tilt = std::clamp(slope, -0.8f, 0.8f) * 0.6f + 0.15f * r.sunSide;
                auto ground = [&](int gx, int gy) {
                    float t = 0;
                    if (rock > 0.005f) t += rock * Strata(gx, gy, x, y, tilt, r.seed + 61);
                    if (grass > 0.005f) t += grass * Blades(gx, gy, r.seed + 62);
                    if (crust > 0.005f) t += crust * Crust(gx, gy, r.seed + 63);
                    if (needles > 0.005f) t += needles * Needles(gx, gy, r.seed + 64);
                    return t;
                };
                // Partly added rather than scaled, so it shows on dark slopes too.
                float g = FineOnly(px, py, ki, ground);
                c = c * (1 + g) + Rgb{g, g, g} * 0.2f;
            }
            float drift = 0.6f + 0.4f * Fbm(x / 150, y / 40, r.seed + 51, 3);
            float haze = Clamp01(r.haze + r.mist * drift * SmoothStep(centre + 20, r.base + 40, y));
            c = Mix(c, r.hazeColour, haze);
            if (rimNear > 0) {
                c = Mix(c, r.rimColour, rimNear * std::exp(-std::max(0.0f, depth) / 1.1f));
            }
            Blend(img, px, py, c, cover);
        }
    }
}

void PaintField(QImage& img, const Field& f) {
    const float k = ScaleOf(img);
    const int ki = int(std::lround(k));
    const bool fine = HasFineGrain(k);
    for (int px = 0; px < img.width(); ++px) {
        const float x = Logical(px, k);
        const float top = f.top(x);
        for (int py = std::max(0, int(std::floor(top * k))); py < img.height(); ++py) {
            const float y = Logical(py, k);
            float cover = Clamp01((y - top) * k + 0.5f);
            if (cover <= 0) continue;
            // Ground coordinates: across (u) and away (v) from the viewer, by perspective.
            float z = std::max(4.0f, y - f.vanishY);
            float u = (x - f.vanishX) / z * 60, v = 3000 / z;
            float nearness = Clamp01((y - top) / (kHeight - top + 1));
            // Fields are patches of ground with their own crop; hedges run along their edges.
            float pu = u / 38 + 0.35f * Fbm(u / 20, v / 4, f.seed + 1, 2);
            float pv = v / 3.2f + 0.35f * Fbm(u / 15, v / 5, f.seed + 2, 2);
            float cu = std::floor(pu), cv = std::floor(pv);
            Rgb crop = f.crops[Hash(uint32_t(int(cu) + 1000), uint32_t(int(cv) + 1000), f.seed) %
                               f.crops.size()];
            float edge = std::min({pu - cu, 1 - (pu - cu), pv - cv, 1 - (pv - cv)});
            // Rows run down each field towards the vanishing point; they fade out where they
            // would be finer than the pixels, so nothing shimmers.
            bool alongU = (int(cu) + int(cv)) % 2 == 0;
            float period = alongU ? 1.4f : 2.2f;
            float rowPx = period * z / 60 * k * (alongU ? 1.0f : 0.25f);
            float rows = std::sin((alongU ? u : v * 0.25f) / period * 2 * kPi);
            float rowShade = rows * 0.05f * SmoothStep(1.5f, 4.0f, rowPx);
            // Gentle swells in the ground, lit from the sun's side.
            float s0 = Fbm(u / 140, v / 45, f.seed + 3, 4),
                  s1 = Fbm((u + 3) / 140, v / 45, f.seed + 3, 4);
            float light = 1.0f + 1.6f * f.sunSide * (s0 - s1) + 0.06f * s0;
            float grain = 0.04f * Fbm(x / 1.3f, y / 1.1f, f.seed + 4, 2);
            Rgb c = crop * (light + rowShade + grain);
            if (fine) {
                // Stubble and grass stalks, plainer far off where the haze lies.
                float amount = 0.06f + 0.1f * nearness;
                c = c * (1 + amount * FineOnly(px, py, ki, [&](int gx, int gy) {
                                 return Blades(gx, gy, f.seed + 7);
                             }));
            }
            float hedgeW = 0.018f + 0.012f * nearness;
            float hedge = 1 - SmoothStep(hedgeW * 0.5f, hedgeW, edge);
            float gappy = SmoothStep(-0.3f, 0.1f, Fbm(pu * 4, pv * 4, f.seed + 5, 2));
            c = Mix(c, f.hedge * (0.8f + 0.4f * Fbm(x / 2, y / 2, f.seed + 6, 2)), hedge * gappy);
            c = Mix(c, f.hazeColour, f.haze * (1 - SmoothStep(0, 0.5f, nearness)));
            Blend(img, px, py, c, cover);
        }
    }
}

}  // namespace driftmere::pictures
