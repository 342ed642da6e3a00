// The seven full-screen backdrops: four mountain scenes and three beach scenes.
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace driftmere::pictures {

struct BackdropPicture {
    std::string name;  // e.g. "mtn01", the file name without its extension
    QImage image;      // 800 x 600 times the scale, opaque
};

// In backdrop order: mtn01 .. mtn04, beach01 .. beach03, painted at 1, 2, ... times their size.
std::vector<BackdropPicture> PaintBackdrops(int scale);

}  // namespace driftmere::pictures
