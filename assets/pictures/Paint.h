// Small numeric helpers the picture generator paints with: colours as floats, noise, blending.
// Everything here is a pure function of its arguments, so every build paints the same bytes.
#pragma once

#include <QImage>
#include <cmath>
#include <cstdint>

namespace driftmere::pictures {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

// A colour written the way a painter reads it off a palette: 0..255 per channel.
constexpr Rgb Hex(uint32_t rgb) {
    return {float((rgb >> 16) & 255) / 255.0f, float((rgb >> 8) & 255) / 255.0f,
            float(rgb & 255) / 255.0f};
}

inline float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }
inline Rgb Mix(Rgb a, Rgb b, float t) {
    return {Lerp(a.r, b.r, t), Lerp(a.g, b.g, t), Lerp(a.b, b.b, t)};
}
inline float SmoothStep(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Mixes from a to b through a middle colour, t in [0, 1].
inline Rgb Mix3(Rgb a, Rgb m, Rgb b, float t) {
    return t < 0.5f ? Mix(a, m, t * 2) : Mix(m, b, t * 2 - 1);
}

inline QRgb ToQRgb(Rgb c, int alpha = 255) {
    auto ch = [](float v) { return int(std::lround(Clamp01(v) * 255.0f)); };
    return qRgba(ch(c.r), ch(c.g), ch(c.b), alpha);
}
inline Rgb FromQRgb(QRgb p) { return {qRed(p) / 255.0f, qGreen(p) / 255.0f, qBlue(p) / 255.0f}; }

// Lays colour c over pixel (x, y) with the given coverage; pixels off the image are ignored.
void Blend(QImage& img, int x, int y, Rgb c, float coverage);

// Integer hash (a well-mixed 32-bit finaliser) used for every random choice in the pictures.
inline uint32_t Hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}
inline uint32_t Hash(uint32_t a, uint32_t b) { return Hash(a ^ Hash(b + 0x9e3779b9U)); }
inline uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) { return Hash(a, Hash(b, c)); }
// A repeatable value in [0, 1) for the given keys.
inline float Unit(uint32_t a, uint32_t b, uint32_t c = 0) {
    return float(Hash(a, b, c) >> 8) * (1.0f / 16777216.0f);
}

// Gradient noise in about [-1, 1], smooth, repeatable for the same seed.
float Noise(float x, float y, uint32_t seed);
// Fractal sum of octaves of Noise, scaled back to about [-1, 1].
float Fbm(float x, float y, uint32_t seed, int octaves, float gain = 0.5f);
// Ridged fractal noise in [0, 1]: sharp crests where the noise crosses zero, as on mountains.
float Ridged(float x, float y, uint32_t seed, int octaves);

// A small sequence of repeatable random numbers for placing things (trees, stars, fronds).
class Dice {
  public:
    explicit Dice(uint32_t seed) : state_(seed) {}
    float Next() { return Unit(state_++, 0x51ed27U); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Next(); }

  private:
    uint32_t state_;
};

}  // namespace driftmere::pictures
