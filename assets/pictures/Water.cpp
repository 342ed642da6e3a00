#include <algorithm>
#include <cmath>

#include "Detail.h"
#include "Scenery.h"

namespace driftmere::pictures {

void PaintLake(QImage& img, const Lake& l, float bottom) {
    const float k = ScaleOf(img);
    const int w = img.width(), h = img.height();
    const int ki = int(std::lround(k));
    const bool fine = HasFineGrain(k);
    const QImage above = img.copy();
    for (int py = int(std::ceil(l.waterline * k)); py < std::min(h, int(bottom * k)); ++py) {
        QRgb* line = Row(img, py);
        const float y = Logical(py, k);
        float d = y - l.waterline;
        float near = Clamp01(d / (kHeight - l.waterline));
        float fres = Lerp(l.reflect, l.reflect * 0.55f, near);
        for (int px = 0; px < w; ++px) {
            const float x = Logical(px, k);
            // Ripples stretch the mirror image horizontally and grow towards the viewer.
            float wob = Fbm(x / 90, y / (1.5f + d * 0.08f), l.seed, 3);
            float sx = std::clamp(float(px) + wob * (1.5f + d * 0.06f) * k, 0.0f, float(w - 1));
            float sy = std::clamp(2 * l.waterline * k - float(py) - 1 + wob * d * 0.05f * k, 0.0f,
                                  float(h - 1));
            Rgb mirrored = FromQRgb(above.pixel(int(sx), int(sy)));
            Rgb c = Mix(l.tint, mirrored, fres);
            float streak = Fbm(x / 160, y / (0.8f + d * 0.03f), l.seed + 5, 2);
            c = c * (1.0f + 0.08f * streak * SmoothStep(0, 40, d));
            if (fine) {
                // Wavelets catching the light, partly added so they show on dark water too.
                float amount = 0.07f + 0.14f * near;
                float g = amount * FineOnly(px, py, ki, [&](int gx, int gy) {
                              return Ripples(gx, gy, d, l.seed + 31);
                          });
                c = c * (1 + g) + Rgb{g, g, g} * 0.25f;
            }
            line[px] = ToQRgb(c);
        }
    }
}

void PaintSea(QImage& img, const Sea& s) {
    const float k = ScaleOf(img);
    const int ki = int(std::lround(k));
    const bool fine = HasFineGrain(k);
    for (int py = int(s.horizon * k); py < img.height(); ++py) {
        QRgb* line = Row(img, py);
        const float y = Logical(py, k);
        for (int px = 0; px < img.width(); ++px) {
            const float x = Logical(px, k);
            float sh = s.shore(x);
            float cover = Clamp01((sh - y) * k + 0.5f);
            if (cover <= 0) continue;
            float t = Clamp01((y - s.horizon) / (sh - s.horizon));
            float d = y - s.horizon;
            Rgb c = Mix3(s.far, s.deep, s.shallow, std::pow(t, 0.8f));
            c = Mix(c, s.skyReflect, 0.35f * (1 - t) * (1 - t));
            // Long low swells, flattened by distance.
            float wave = Fbm(x / (40 + d * 2.5f), y / (0.6f + d * 0.12f), s.seed, 4);
            c = c * (1.0f + 0.09f * wave);
            // The sun's path on the water: sparkle that widens towards the viewer.
            float path = std::exp(-std::pow((x - s.sunX) / (25 + d * 1.4f), 2.0f));
            float sparkle = SmoothStep(0.15f, 0.55f, wave) * path;
            c = Mix(c, s.glitter,
                    Clamp01(sparkle * s.glitterAmount + path * 0.15f * s.glitterAmount));
            if (fine) {
                // Wavelets over the swell, glinting where the sun's path crosses them.
                float amount = 0.05f + 0.07f * t + 0.25f * path * s.glitterAmount;
                c = c * (1 + amount * FineOnly(px, py, ki, [&](int gx, int gy) {
                                 return Ripples(gx, gy, d, s.seed + 31);
                             }));
            }
            // Broken lines of surf running along the shore.
            float gap = sh - y;
            for (int i = 1; i <= s.surfLines; ++i) {
                float at = float(i) * (9.0f + float(i) * 4.0f) +
                           3.0f * Noise(x / 70, float(i) * 3.1f, s.seed + 9);
                float band = std::exp(-std::pow((gap - at) / (1.2f + 0.4f * float(i)), 2.0f));
                float broken =
                    SmoothStep(-0.2f, 0.3f, Fbm(x / 35, float(i) * 7.7f, s.seed + 13, 3));
                c = Mix(c, Hex(0xF2F6F4), band * broken * (0.85f - 0.15f * float(i)));
            }
            float foam = std::exp(-std::pow(gap / 2.2f, 2.0f)) *
                         (0.7f + 0.3f * Fbm(x / 8, y / 3, s.seed + 17, 3));
            c = Mix(c, Hex(0xF8FAF8), Clamp01(foam));
            line[px] = ToQRgb(Mix(FromQRgb(line[px]), c, cover));
        }
    }
}

void PaintSand(QImage& img, const Sand& s) {
    const float k = ScaleOf(img);
    const int ki = int(std::lround(k));
    const bool fine = HasFineGrain(k);
    for (int py = 0; py < img.height(); ++py) {
        QRgb* line = Row(img, py);
        const float y = Logical(py, k);
        for (int px = 0; px < img.width(); ++px) {
            const float x = Logical(px, k);
            float sh = s.shore(x);
            float cover = Clamp01((y - sh) * k + 0.5f);
            if (cover <= 0) continue;
            float gap = y - sh;
            float nearness = Clamp01(gap / (kHeight - sh + 1));
            Rgb dry = Mix(s.far, s.dry, SmoothStep(0, 0.6f, nearness));
            // Low swells of blown sand, lit from above.
            float dune = Fbm(x / 210, y / 45, s.seed + 5, 3);
            float duneUp = Fbm(x / 210, (y - 2) / 45, s.seed + 5, 3);
            float swell = 0.05f * dune + 0.9f * (dune - duneUp);
            // Wind ripples: wavy crests across the beach, finer with distance, with a sunny
            // and a shady flank; they fade out before they get finer than the pixels.
            // Their phase runs in ground distance, so they crowd together towards the sea.
            float ground = 40000.0f / std::max(20.0f, y - 280);
            float spacing = 4.0f * (y - 280) * (y - 280) / 40000.0f;
            float warp = 5 * Fbm(x / 90, ground / 60, s.seed + 11, 3) + 0.004f * x * ground / 40;
            float phase = (ground + warp) / 4.0f * 2 * kPi;
            float ripple = (std::sin(phase) + 0.35f * std::sin(2 * phase)) *
                           SmoothStep(1.5f, 4.0f, spacing * k) *
                           SmoothStep(-0.4f, 0.2f, Fbm(x / 120, y / 40, s.seed + 12, 2));
            float grain = Fbm(x / 1.4f, y / 1.2f, s.seed + 3, 2);
            dry = dry * (1.0f + swell + 0.035f * ripple + 0.03f * grain);
            // Scattered shells and dark grains, in cells of one logical pixel.
            uint32_t cell = Hash(uint32_t(int(std::floor(x * 0.8f)) + 4096),
                                 uint32_t(int(std::floor(y * 0.8f)) + 4096), s.seed + 19);
            float pick = float(cell >> 8) * (1.0f / 16777216.0f);
            if (pick < 0.012f)
                dry = dry * 0.8f;
            else if (pick > 0.994f)
                dry = Mix(dry, Hex(0xFBF6EE), 0.6f);
            // The wrack line, where the high tide left weed and shells, and the wet sand the
            // last wave reached: darker, glossy with the sky.
            float wrackAt = 26 + 9 * Fbm(x / 80, 2.7f, s.seed + 13, 3);
            float wrack = std::exp(-std::pow((gap - wrackAt) / 1.6f, 2.0f)) *
                          SmoothStep(0.0f, 0.4f, Fbm(x / 9, y / 3, s.seed + 17, 3));
            dry = Mix(dry, Hex(0x6A5A3A), 0.55f * wrack);
            float wetEdge = 10 + 6 * Fbm(x / 50, 1.3f, s.seed + 7, 3);
            float wetness = 1 - SmoothStep(wetEdge - 4, wetEdge + 2, gap);
            float sheen =
                0.25f + 0.25f * SmoothStep(0.1f, 0.6f, Fbm(x / 40, y / 4, s.seed + 23, 3));
            Rgb wet = Mix(s.wet, s.skyReflect, sheen) * (1.0f + 0.3f * swell);
            Rgb c = Mix(dry, wet, wetness);
            if (fine) {
                // Single grains, plainer where the sand is wet and packed.
                float amount = (0.05f + 0.09f * nearness) * (1 - 0.5f * wetness);
                c = c * (1 + amount * FineOnly(px, py, ki, [&](int gx, int gy) {
                                 return Grains(gx, gy, s.seed + 31);
                             }));
            }
            line[px] = ToQRgb(Mix(FromQRgb(line[px]), c, cover));
        }
    }
}

}  // namespace driftmere::pictures
