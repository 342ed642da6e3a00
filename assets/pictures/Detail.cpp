#include "Detail.h"

#include <algorithm>

#include "Scenery.h"

namespace driftmere::pictures {

float Strata(int px, int py, float x, float y, float tilt, uint32_t seed) {
    const float fx = float(px), fy = float(py);
    // Beds of rock a few device pixels thick, dipping with the slope and bent a little, showing
    // in patches where the rock is bare; cracks cut across them.
    float bed = fy + tilt * fx + 2.5f * Noise(fx / 23, fy / 9, seed);
    float layer = std::sin(bed * (2 * kPi / 3.2f));
    float bare = SmoothStep(-0.3f, 0.35f, Noise(x / 9, y / 5, seed + 1));
    float crack = SmoothStep(0.9f, 0.985f, 1 - std::fabs(Noise(fx / 6, fy / 9, seed + 2)));
    return 0.7f * layer * bare - 1.2f * crack + 0.2f * Speck(px, py, seed + 3);
}

float Blades(int px, int py, uint32_t seed) {
    const float fx = float(px), fy = float(py);
    // Upright blades: narrow across, long down, with a bright tip here and there.
    float blade = Noise(fx / 0.85f + 0.3f * fy / 4, fy / 4.5f, seed);
    float tip = Unit(uint32_t(px) + 7, uint32_t(py) + 7, seed + 1) > 0.97f ? 1.0f : 0.0f;
    return 0.75f * blade + 0.8f * tip + 0.15f * Speck(px, py, seed + 2);
}

float Needles(int px, int py, uint32_t seed) {
    const float fx = float(px), fy = float(py);
    // Short strokes slanting down either way from the twigs, as on a fir's boughs.
    float a = Noise((fx * 0.8f + fy * 0.6f) / 0.8f, (fy * 0.8f - fx * 0.6f) / 2.6f, seed);
    float b = Noise((fx * 0.8f - fy * 0.6f) / 0.8f, (fy * 0.8f + fx * 0.6f) / 2.6f, seed + 1);
    return 0.65f * std::max(a, b) + 0.25f * std::min(a, b) + 0.2f * Speck(px, py, seed + 2);
}

float Leaves(int px, int py, uint32_t seed) {
    const float fx = float(px), fy = float(py);
    // Leaves a pixel or two across, lit on top and shaded below.
    float leaf = Noise(fx / 1.3f, fy / 1.1f, seed);
    float under = Noise(fx / 1.3f, (fy - 1) / 1.1f, seed);
    return 0.6f * leaf + 0.5f * (leaf - under) + 0.3f * Speck(px, py, seed + 1);
}

float Crust(int px, int py, uint32_t seed) {
    // Wind crust: a fine grain with a crystal catching the light now and then.
    float glint = Unit(uint32_t(px) + 3, uint32_t(py) + 3, seed) > 0.975f ? 1.0f : 0.0f;
    float ridge = Noise(float(px) / 2.2f, float(py) / 0.9f, seed + 1);
    return 0.35f * Speck(px, py, seed + 2) + 0.4f * ridge + 1.6f * glint;
}

float Grains(int px, int py, uint32_t seed) {
    return 0.7f * Speck(px, py, seed) + 0.45f * Noise(float(px) / 1.2f, float(py) / 1.2f, seed + 1);
}

float Ripples(int px, int py, float depth, uint32_t seed) {
    // Wavelets much wider than high, longer towards the viewer, their crests a bright line.
    float n = Noise(float(px) / (6 + depth * 0.12f), float(py) / 0.9f, seed);
    return 0.8f * n + 0.9f * SmoothStep(0.45f, 0.8f, n) + 0.2f * Speck(px, py, seed + 1);
}

float Wisps(int px, int py, uint32_t seed) {
    return Fbm(float(px) / 2.6f, float(py) / 1.1f, seed, 2);
}

void TextureOver(QImage& img, const QImage& before, Foliage kind, float amount, uint32_t seed) {
    const int k = int(std::lround(ScaleOf(img)));
    if (!HasFineGrain(float(k)) || before.size() != img.size()) return;
    auto texture = [kind, seed](int px, int py) {
        switch (kind) {
            case Foliage::kNeedles:
                return Needles(px, py, seed);
            case Foliage::kLeaves:
                return Leaves(px, py, seed);
            case Foliage::kFronds:
                return Blades(py, px, seed);  // lengthwise along the leaflets
        }
        return 0.0f;
    };
    for (int py = 0; py < img.height(); ++py) {
        QRgb* line = Row(img, py);
        const QRgb* was = reinterpret_cast<const QRgb*>(before.constScanLine(py));
        for (int px = 0; px < img.width(); ++px) {
            if (line[px] == was[px]) continue;
            // Partly added rather than scaled, so it shows on trees standing dark in shade.
            float g = amount * FineOnly(px, py, k, texture);
            line[px] = ToQRgb(FromQRgb(line[px]) * (1 + g) + Rgb{g, g, g} * 0.2f, qAlpha(line[px]));
        }
    }
}

}  // namespace driftmere::pictures
