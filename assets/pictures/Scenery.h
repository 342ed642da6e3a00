// The painters the backdrops are built from: sky, ridges, fields, trees, water and sand.
//
// Every scene is described in the coordinates of an 800 x 600 picture ("logical pixels") and
// painted onto an image of any multiple of that size: a painter reads its scale from the image's
// width and works out each device pixel from the same recipe, so the 2x picture has the same
// shapes as the 1x one with twice the detail, not an enlargement of it. Logical coordinates
// measure from the picture's top-left corner, so device pixel p covers [p / k, (p + 1) / k).
#pragma once

#include <QImage>
#include <functional>
#include <vector>

#include "Paint.h"

namespace driftmere::pictures {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr float kPi = 3.14159265358979f;

using Line = std::function<float(float)>;  // a height on the screen for each x

inline Line Flat(float y) {
    return [y](float) { return y; };
}
inline float ScaleOf(const QImage& img) { return float(img.width()) / float(kWidth); }
// The logical coordinate of the centre of device pixel p at scale k.
inline float Logical(int p, float k) { return (float(p) + 0.5f) / k; }
inline QRgb* Row(QImage& img, int y) { return reinterpret_cast<QRgb*>(img.scanLine(y)); }

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
void PaintSky(QImage& img, const Sky& s);

// A crest line from fractal noise, a face shaded by the sun, snow, woods and haze.
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
    float sunSide = 1;  // +1 light from the left, -1 from the right
    float relief = 1;   // how strongly the faces turned to the sun stand out; low against the light
    float from = -100, to = 900;  // the layer fades into the base line outside these x
    float fade = 1;
    float bottom = kHeight;
    Line foot = nullptr;  // if set, the layer stops at this line instead of at bottom
    // With the sun behind the layer, a thin bright edge along the crest, strongest near sunX.
    float rim = 0;
    Rgb rimColour = Hex(0xFFFFFF);
    float sunX = 400, rimSpread = 200;
};
float Crest(const Ridge& r, float x);
void PaintRidge(QImage& img, const Ridge& r);

// Farmland from a line down to the bottom: a patchwork of fields whose rows run towards a
// vanishing point, rolling gently under a low sun.
struct Field {
    Line top;
    float vanishX, vanishY;
    std::vector<Rgb> crops;
    Rgb hedge;
    Rgb hazeColour;
    float haze;  // at the far edge; none at the bottom
    float sunSide;
    uint32_t seed;
};
void PaintField(QImage& img, const Field& f);

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
void PaintFirs(QImage& img, const Firs& f);

// Broad-leaved trees along a ground line, in clumps with open ground between them.
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
    float sunSide = 1;
};
void PaintGrove(QImage& img, const Grove& g);

// A palm: a slender curved trunk with rings, a crown of drooping fronds and a few nuts.
struct Palm {
    float x, ground, height, lean;
    Rgb trunk, leaf;
    uint32_t seed;
};
void PaintPalm(QImage& img, const Palm& m);

// Still water below a shore line: a rippled mirror of everything already painted above it.
struct Lake {
    float waterline;
    Rgb tint;
    float reflect;  // 0 matt .. 1 a perfect mirror at the far shore
    uint32_t seed;
};
void PaintLake(QImage& img, const Lake& l, float bottom);

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
void PaintSea(QImage& img, const Sea& s);

// Sand from the shore line down: wet and glossy where the last wave reached, wind ripples,
// a line of wrack where the tide turned, and grains and shells scattered over it.
struct Sand {
    Line shore;
    Rgb wet, dry, far;
    Rgb skyReflect;
    uint32_t seed;
};
void PaintSand(QImage& img, const Sand& s);

}  // namespace driftmere::pictures
