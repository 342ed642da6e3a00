// Paints every picture Driftmere ships and writes them as BMP files into the folder named on the
// command line. The output depends on nothing but this code: no clock, no random seed from the
// system, no threads, so every build writes the same bytes.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "Backdrops.h"
#include "Balloons.h"
#include "BmpFile.h"
#include "Extras.h"

using namespace driftmere::pictures;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    // The banner's lettering needs the font database, which needs a GUI application object.
    QGuiApplication app(argc, argv);
    if (!QDir(QString::fromLocal8Bit(argv[1])).exists()) {
        std::fprintf(stderr, "driftmere-paint: no folder %s\n", argv[1]);
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bool ok = true;
    auto write = [&](bool written, const std::string& name) {
        if (!written) {
            std::fprintf(stderr, "driftmere-paint: cannot write %s%s\n", folder.c_str(),
                         name.c_str());
            ok = false;
        }
    };

    std::vector<BackdropPicture> backdrops = PaintBackdrops();
    for (const BackdropPicture& b : backdrops) {
        write(WriteBmp24(b.image, folder + b.file), b.file);
        const std::string thumb = "thumb-" + b.file;
        write(WriteBmp24(Thumbnail(b.image), folder + thumb), thumb);
    }
    std::vector<BalloonPicture> balloons = PaintBalloons();
    for (const BalloonPicture& b : balloons) {
        write(WriteBmp32(b.image, folder + b.file), b.file);
    }
    write(WriteBmp24(PaintPreview(backdrops, balloons), folder + "preview.bmp"), "preview.bmp");
    write(WriteBmp24(PaintBanner(backdrops, balloons), folder + "banner.bmp"), "banner.bmp");
    return ok ? 0 : 1;
}
