// Paints every picture Driftmere ships and writes them into the folder named on the command
// line: at 1x as BMP files (mtn01.bmp), and at each further scale as PNG files named the 1x way
// with the scale added (mtn01@2x.png), the naming Qt itself uses for high-density pictures.
// On request also the desktop's pictures: the program's icon and a picture of the scene.
// The output depends on nothing but this code: no clock, no random seed from the system, no
// threads, so every build writes the same bytes.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Backdrops.h"
#include "Balloons.h"
#include "BmpFile.h"
#include "Desktop.h"
#include "Extras.h"

using namespace driftmere::pictures;

int main(int argc, char** argv) {
    std::string iconFolder, screenshot;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--icons" || arg == "--screenshot") && i + 1 < argc)
            (arg == "--icons" ? iconFolder : screenshot) = argv[++i];
        else
            positional.push_back(arg);
    }
    if (positional.empty()) {
        std::fprintf(stderr,
                     "usage: %s [--icons FOLDER] [--screenshot FILE] OUTPUT_FOLDER [SCALE...]\n"
                     "   (scales 1 to 4; default 1 2; the icon and the screenshot come from the "
                     "largest)\n",
                     argv[0]);
        return 2;
    }
    std::vector<int> scales;
    for (std::size_t i = 1; i < positional.size(); ++i) {
        char* end = nullptr;
        long s = std::strtol(positional[i].c_str(), &end, 10);
        if (*end != '\0' || s < 1 || s > 4) {
            std::fprintf(stderr, "driftmere-paint: scale %s is not one of 1 to 4\n",
                         positional[i].c_str());
            return 2;
        }
        scales.push_back(int(s));
    }
    if (scales.empty()) scales = {1, 2};
    const int largest = *std::max_element(scales.begin(), scales.end());
    // The banner's lettering needs the font database, which needs a GUI application object.
    QGuiApplication app(argc, argv);
    if (!QDir(QString::fromStdString(positional[0])).exists()) {
        std::fprintf(stderr, "driftmere-paint: no folder %s\n", positional[0].c_str());
        return 1;
    }
    const std::string folder = positional[0] + "/";
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
        if (scale != largest) continue;
        // The desktop's pictures: the icon in the sizes the hicolor theme looks for, and a
        // picture of the scene at 1024 x 768 for software centres.
        auto written = [&](const QImage& img, const std::string& path) {
            QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
            if (!WritePng(img, path)) {
                std::fprintf(stderr, "driftmere-paint: cannot write %s\n", path.c_str());
                ok = false;
            }
        };
        for (int size : {48, 128, 256}) {
            if (iconFolder.empty()) break;
            const std::string px = std::to_string(size);
            written(PaintIcon(backdrops, balloons, size),
                    iconFolder + "/hicolor/" + px + "x" + px + "/apps/driftmere.png");
        }
        if (!screenshot.empty())
            written(Downscale(PaintScreenshot(backdrops, balloons), 1024, 768), screenshot);
    }
    return ok ? 0 : 1;
}
