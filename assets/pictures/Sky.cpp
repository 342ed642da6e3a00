#include <cmath>

#include "Detail.h"
#include "Scenery.h"

namespace driftmere::pictures {

void PaintSky(QImage& img, const Sky& s) {
    const float k = ScaleOf(img);
    const int ki = int(std::lround(k));
    const bool fine = HasFineGrain(k);
    for (int py = 0; py < img.height(); ++py) {
        QRgb* line = Row(img, py);
        const float y = Logical(py, k);
        float t = Clamp01(y / s.horizonY);
        Rgb base = Mix3(s.zenith, s.middle, s.horizon, std::pow(t, 1.15f));
        // The clouds are kept out of the top strip, where the clock and the message are
        // written in yellow, and flatten towards the horizon as they recede.
        float band = SmoothStep(s.cloudTop, s.cloudTop + 40, y) *
                     (1 - SmoothStep(s.cloudBottom - 30, s.cloudBottom, y));
        float depth = 0.35f + 0.65f * (1 - t);
        for (int px = 0; px < img.width(); ++px) {
            const float x = Logical(px, k);
            float dx = x - s.sunX, dy = (y - s.sunY) * 1.4f;
            float d2 = (dx * dx + dy * dy) / (s.glowSize * s.glowSize);
            Rgb c = base + s.glow * (std::exp(-d2) * 0.8f + std::exp(-d2 * 0.15f) * 0.25f);
            if (s.sunRadius > 0) {
                // The disc with a tight bloom round it, so it reads as the sun and not as a pale
                // spot in the glow; the glow alone washes out towards white near it.
                float d = std::sqrt(dx * dx + (y - s.sunY) * (y - s.sunY));
                float bloom = std::exp(-std::max(0.0f, d - s.sunRadius) / (s.sunRadius * 0.7f));
                c = Mix(c, s.sunColour * 0.97f, 0.55f * bloom);
                c = Mix(c, s.sunColour, Clamp01((s.sunRadius - d) * k + 0.5f));
            }
            if (band > 0 && s.cloudCover > 0) {
                float sx = x / (230 * depth), sy = y / (55 * depth);
                float n = 0.5f + 0.5f * Fbm(sx, sy, s.seed, 5);
                float above = 0.5f + 0.5f * Fbm(sx, sy - 0.12f, s.seed, 5);
                float density = SmoothStep(1 - s.cloudCover, 1 - s.cloudCover + 0.28f, n) * band;
                if (density > 0) {
                    float lit = Clamp01(0.55f + (n - above) * 6.0f);
                    Rgb cloud = Mix(s.cloudShade, s.cloudLight, lit);
                    // Clouds near the sun catch its colour on their edges.
                    cloud = cloud + s.glow * (std::exp(-d2 * 0.3f) * 0.4f);
                    c = Mix(c, cloud, density * 0.88f);
                    if (fine) {
                        // Wisps and curls along the cloud, finer than the grid.
                        c = c * (1 + 0.08f * density * FineOnly(px, py, ki, [&](int gx, int gy) {
                                         return Wisps(gx, gy, s.seed + 31);
                                     }));
                    }
                }
            }
            line[px] = ToQRgb(c);
        }
    }
}

}  // namespace driftmere::pictures
