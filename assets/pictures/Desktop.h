// The pictures the desktop shows for Driftmere: its icon, for menus and software centres, and
// a picture of the scene for its listing there.
#pragma once

#include <QImage>
#include <vector>

#include "Backdrops.h"
#include "Balloons.h"

namespace driftmere::pictures {

// A square icon of `size` pixels: a rounded tile of the lake scene's sky and peaks with one
// balloon high in it, transparent round the tile. Best painted from the 2x pictures.
QImage PaintIcon(const std::vector<BackdropPicture>& backdrops,
                 const std::vector<BalloonPicture>& balloons, int size);

// The lake scene with seven balloons at their own size, as the saver shows it (800 x 600
// times the pictures' scale).
QImage PaintScreenshot(const std::vector<BackdropPicture>& backdrops,
                       const std::vector<BalloonPicture>& balloons);

}  // namespace driftmere::pictures
