// Paints every picture Driftmere ships and writes them into the folder named on the command
// line: at 1x as BMP files (mtn01.bmp), and at each further scale as PNG files named the 1x way
// with the scale added (mtn01@2x.png), the naming Qt itself uses for high-density pictures.
// The output depends on nothing but this code: no clock, no random seed from the system, no
// threads, so every build writes the same bytes.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Backdrops.h"
#include "Balloons.h"
#include "BmpFile.h"
#include "Extras.h"

using namespace driftmere::pictures;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [SCALE...]   (scales 1 to 4; default 1 2)\n",
                     argv[0]);
        return 2;
    }
    std::vector<int> scales;
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        long s = std::strtol(argv[i], &end, 10);
        if (*end != '\0' || s < 1 || s > 4) {
            std::fprintf(stderr, "driftmere-paint: scale %s is not one of 1 to 4\n", argv[i]);
            return 2;
        }
        scales.push_back(int(s));
    }
    if (scales.empty()) scales = {1, 2};
    // The banner's lettering needs the font database, which needs a GUI application object.
    QGuiApplication app(argc, argv);
    if (!QDir(QString::fromLocal8Bit(argv[1])).exists()) {
        std::fprintf(stderr, "driftmere-paint: no folder %s\n", argv[1]);
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bool ok = true;
    for (int scale : scales) {
        // 1x keeps the BMP kinds the program has always read; the larger sets are PNG: a
        // 1600 x 1200 backdrop is 1.3 MB instead of 5.8 MB, for about 30 ms more decoding.
        const std::string suffix = scale == 1 ? ".bmp" : "@" + std::to_string(scale) + "x.png";
        auto write = [&](const QImage& img, const std::string& name, bool alpha) {
            const std::string path = folder + name + suffix;
            bool written = scale != 1 ? WritePng(img, path)
                                      : (alpha ? WriteBmp32(img, path) : WriteBmp24(img, path));
            if (!written) {
                std::fprintf(stderr, "driftmere-paint: cannot write %s\n", path.c_str());
                ok = false;
            }
        };
        std::vector<BackdropPicture> backdrops = PaintBackdrops(scale);
        for (const BackdropPicture& b : backdrops) {
            write(b.image, b.name, false);
            write(Thumbnail(b.image), "thumb-" + b.name, false);
        }
        std::vector<BalloonPicture> balloons = PaintBalloons(scale);
        for (const BalloonPicture& b : balloons) write(b.image, b.name, true);
        write(PaintPreview(backdrops, balloons), "preview", false);
        write(PaintBanner(backdrops, balloons), "banner", false);
    }
    return ok ? 0 : 1;
}
