// The thirteen hot-air balloons, each painted with its own colours and pattern.
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace driftmere::pictures {

struct BalloonPicture {
    std::string name;  // e.g. "balloon01", the file name without its extension
    QImage image;      // ARGB32, straight alpha, transparent background
};

// Balloons in the order the saver loads them: files 01 to 07, then 10 to 15.
// At 1x each balloon has its own fixed size; at scale 2 exactly twice that, and so on.
std::vector<BalloonPicture> PaintBalloons(int scale);

}  // namespace driftmere::pictures
