#include "Paint.h"

namespace driftmere::pictures {

void Blend(QImage& img, int x, int y, Rgb c, float coverage) {
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height() || coverage <= 0) {
        return;
    }
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    line[x] = ToQRgb(Mix(FromQRgb(line[x]), c, Clamp01(coverage)), qAlpha(line[x]));
}

namespace {

float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

float Corner(int ix, int iy, uint32_t seed, float dx, float dy) {
    // One of sixteen evenly spread directions per lattice point.
    uint32_t h = Hash(uint32_t(ix) * 0x8da6b343U, uint32_t(iy) * 0xd8163841U, seed);
    float a = float(h & 15) * (6.28318530718f / 16.0f) + float((h >> 4) & 255) * 0.0015f;
    return std::cos(a) * dx + std::sin(a) * dy;
}

}  // namespace

float Noise(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float dx = x - fx, dy = y - fy;
    float n00 = Corner(ix, iy, seed, dx, dy);
    float n10 = Corner(ix + 1, iy, seed, dx - 1, dy);
    float n01 = Corner(ix, iy + 1, seed, dx, dy - 1);
    float n11 = Corner(ix + 1, iy + 1, seed, dx - 1, dy - 1);
    float u = Fade(dx), v = Fade(dy);
    return 1.41f * Lerp(Lerp(n00, n10, u), Lerp(n01, n11, u), v);
}

float Fbm(float x, float y, uint32_t seed, int octaves, float gain) {
    float sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * Noise(x, y, seed + uint32_t(i) * 101U);
        norm += amp;
        amp *= gain;
        // Each octave is turned a little so the lattice never lines up between octaves.
        float nx = x * 1.6f - y * 1.2f, ny = x * 1.2f + y * 1.6f;
        x = nx + 17.3f;
        y = ny + 5.1f;
    }
    return sum / norm;
}

float Ridged(float x, float y, uint32_t seed, int octaves) {
    float sum = 0, amp = 1, norm = 0, weight = 1;
    for (int i = 0; i < octaves; ++i) {
        float n = 1.0f - std::fabs(Noise(x, y, seed + uint32_t(i) * 131U));
        n *= n;
        sum += amp * n * weight;
        norm += amp;
        weight = Clamp01(n * 1.5f);
        amp *= 0.5f;
        float nx = x * 1.6f - y * 1.2f, ny = x * 1.2f + y * 1.6f;
        x = nx + 3.7f;
        y = ny + 11.9f;
    }
    return sum / norm;
}

}  // namespace driftmere::pictures
