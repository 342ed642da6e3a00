// The seven full-screen backdrops: four mountain scenes and three beach scenes.
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace driftmere::pictures {

struct BackdropPicture {
    std::string file;  // e.g. "mtn01.bmp"
    QImage image;      // 800 x 600, opaque
};

// In backdrop order: mtn01 .. mtn04, beach01 .. beach03.
std::vector<BackdropPicture> PaintBackdrops();

}  // namespace driftmere::pictures
