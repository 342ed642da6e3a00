// The seven backdrops as recipes: which painters, in what order, with which colours.
#include "Backdrops.h"

#include "Scenery.h"

namespace driftmere::pictures {

namespace {

QImage Canvas(int k) { return QImage(kWidth * k, kHeight * k, QImage::Format_RGB32); }

// Clear morning: a snowy range far off, wooded ridges, a meadow in front.
QImage Mountains1(int k) {
    QImage img = Canvas(k);
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
QImage Mountains2(int k) {
    QImage img = Canvas(k);
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
QImage Mountains3(int k) {
    QImage img = Canvas(k);
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
    Ridge mid{400, 100, 210, 0.4f, 32, Hex(0x7A6A50), Hex(0xC0A070), haze, 0.3f, 0.15f, -1};
    mid.sunSide = -1;
    PaintRidge(img, mid);
    std::vector<Rgb> autumn = {Hex(0xC8571E), Hex(0xE0A030), Hex(0xB83A22), Hex(0xD8B040),
                               Hex(0x8A7A30), Hex(0xA0401E), Hex(0x6E7A34)};
    // Rolling hills under autumn woods, the trees standing close so their crowns make a
    // canopy, with open pasture between the woods; the sun is on the right.
    Ridge hills{450, 50, 280, 0.0f, 34, Hex(0x7A6A34), Hex(0xB89E52), haze, 0.12f, 0.05f, -1};
    hills.sunSide = -1;
    PaintRidge(img, hills);
    Line hill = [](float x) { return 405 + 30 * Noise(x / 200, 0.3f, 33); };
    PaintGrove(img, {hill, -10, 810, 6, 10, 1.3f, autumn, haze, 0.32f, 35, 40, -1});
    Line hill1 = [](float x) { return 432 + 24 * Noise(x / 180, 0.6f, 32); };
    PaintGrove(img, {hill1, -10, 810, 9, 14, 1.8f, autumn, haze, 0.2f, 36, 34, -1});
    Line hill2 = [](float x) { return 470 + 14 * Noise(x / 160, 0.8f, 36); };
    PaintGrove(img, {hill2, -10, 810, 13, 20, 2.6f, autumn, haze, 0.1f, 37, 22, -1});
    // Stubble, ploughland and late grass in a patchwork down to the foreground.
    Line fieldTop = [](float x) { return 506 + 6 * Noise(x / 150, 0.9f, 38); };
    PaintField(img, {fieldTop,
                     420,
                     380,
                     {Hex(0xC9A95A), Hex(0xB8925A), Hex(0x9A9650), Hex(0xD2B46C), Hex(0xA88258)},
                     Hex(0x6A4A22),
                     haze,
                     0.35f,
                     -1,
                     38});
    Line front = [](float x) { return 600 - 0.5f * (140 - x); };
    PaintGrove(img, {front, -30, 130, 60, 90, 24, autumn, haze, 0.0f, 39, 0, -1});
    return img;
}

// Golden dusk: layer upon layer of ridges fading into the glow, mirrored in a lake.
QImage Mountains4(int k) {
    QImage img = Canvas(k);
    Rgb haze = Hex(0xF0A878);
    PaintSky(img, {Hex(0x262C66), Hex(0xB66A86), Hex(0xFFC27A), 330, 520, 282, Hex(0x6A3408), 150,
                   18, Hex(0xFFF6D8), Hex(0xF8B090), Hex(0x7A5A7A), 0.42f, 70, 270, 401});
    // The sun is behind the ranges: their faces are in shadow, each nearer one darker and
    // bluer than the last, and only the crests near the sun catch a thin bright edge.
    const Rgb layers[4] = {Hex(0x9A6C86), Hex(0x6E4C6E), Hex(0x4C365C), Hex(0x33264A)};
    for (int i = 0; i < 4; ++i) {
        Ridge r{330 + 22.0f * float(i),
                120 - 20.0f * float(i),
                200 - 25.0f * float(i),
                0.7f - 0.15f * float(i),
                uint32_t(41 + i),
                layers[i] * 0.94f,
                layers[i] * 1.06f,
                haze,
                0.3f - 0.09f * float(i),
                0.2f,
                -1};
        r.sunSide = -1;
        r.relief = 0.4f;
        r.rim = 0.75f - 0.18f * float(i);
        r.rimColour = Hex(0xFFD8A0);
        r.sunX = 520;
        r.rimSpread = 260;
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
QImage Beach1(int k) {
    QImage img = Canvas(k);
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
QImage Beach2(int k) {
    QImage img = Canvas(k);
    const float horizon = 340;
    PaintSky(img, {Hex(0x283C78), Hex(0xC47A8A), Hex(0xFFC07A), horizon, 330, 300, Hex(0x7A3E0C),
                   140, 24, Hex(0xFFF2C8), Hex(0xFFB890), Hex(0x6E5A80), 0.4f, 70, 300, 601});
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
QImage Beach3(int k) {
    QImage img = Canvas(k);
    const float horizon = 320;
    PaintSky(img, {Hex(0x4A78B8), Hex(0xB8B4D4), Hex(0xFFD8C0), horizon, 430, 300, Hex(0x4A2410),
                   120, 16, Hex(0xFFFFF2), Hex(0xFFE8DA), Hex(0xB09AB8), 0.3f, 80, 290, 701});
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

std::vector<BackdropPicture> PaintBackdrops(int scale) {
    return {{"mtn01", Mountains1(scale)}, {"mtn02", Mountains2(scale)},
            {"mtn03", Mountains3(scale)}, {"mtn04", Mountains4(scale)},
            {"beach01", Beach1(scale)},   {"beach02", Beach2(scale)},
            {"beach03", Beach3(scale)}};
}

}  // namespace driftmere::pictures
