// The thirteen hot-air balloons, each painted with its own colours and pattern.
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace driftmere::pictures {

struct BalloonPicture {
    std::string file;  // e.g. "balloon01.bmp"
    QImage image;      // ARGB32, straight alpha, transparent background
};

// Balloons in the order the saver loads them: files 01 to 07, then 10 to 15.
std::vector<BalloonPicture> PaintBalloons();

}  // namespace driftmere::pictures
