// Texture finer than a logical pixel, laid on the pictures painted at 2x and more: rock strata
// and cracks, grass blades, needles and leaves, snow crust, sand grains, ripples and glints,
// wisps in the clouds. Every texture here has no mean over the device pixels that share one
// logical pixel, so the picture seen from the 1x distance stays what it was; the 1x picture has
// no room for any of it and gets none, so it keeps the same bytes.
#pragma once

#include <QImage>
#include <cmath>

#include "Paint.h"

namespace driftmere::pictures {

// Whether an image at scale k has device pixels finer than the logical grid.
inline bool HasFineGrain(float k) { return k >= 1.5f; }

// f at device pixel (px, py), less its mean over the k x k device pixels of the logical pixel
// the device pixel belongs to: what f adds that the logical grid cannot hold.
template <class F>
float FineOnly(int px, int py, int k, F&& f) {
    const int bx = px - px % k, by = py - py % k;
    float sum = 0, own = 0;
    for (int j = 0; j < k; ++j) {
        for (int i = 0; i < k; ++i) {
            float v = f(bx + i, by + j);
            sum += v;
            if (bx + i == px && by + j == py) own = v;
        }
    }
    return own - sum / float(k * k);
}

// A repeatable value in [-1, 1) for one device pixel.
inline float Speck(int px, int py, uint32_t seed) {
    return 2 * Unit(uint32_t(px) + 0x10000U, uint32_t(py) + 0x10000U, seed) - 1;
}

// What each kind of ground adds at device pixel (px, py); about [-1, 1], before FineOnly.
// x and y are the logical coordinates, for the broad patches the fine grain comes and goes in.
float Strata(int px, int py, float x, float y, float tilt, uint32_t seed);
float Blades(int px, int py, uint32_t seed);
float Needles(int px, int py, uint32_t seed);
float Leaves(int px, int py, uint32_t seed);
float Crust(int px, int py, uint32_t seed);
float Grains(int px, int py, uint32_t seed);
float Ripples(int px, int py, float depth, uint32_t seed);
float Wisps(int px, int py, uint32_t seed);

// Lays fine texture over every pixel a painter changed: compares img with the picture as it was
// before (the same size) and scales each changed pixel by 1 + amount * the texture there.
enum class Foliage { kNeedles, kLeaves, kFronds };
void TextureOver(QImage& img, const QImage& before, Foliage kind, float amount, uint32_t seed);

}  // namespace driftmere::pictures
