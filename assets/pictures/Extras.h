// The small pictures made from the big ones: thumbnails, the preview and the dialog's banner.
#pragma once

#include <QImage>
#include <vector>

#include "Backdrops.h"
#include "Balloons.h"

namespace driftmere::pictures {

// 96 x 72 (times the backdrop's scale) smooth downscale of a backdrop, for the dialog's
// backdrop tab. The preview and the banner below also come at the scale of the pictures given.
QImage Thumbnail(const QImage& backdrop);

// 153 x 115: the lake scene with a few balloons, for a host's preview pane.
QImage PaintPreview(const std::vector<BackdropPicture>& backdrops,
                    const std::vector<BalloonPicture>& balloons);

// 480 x 90: a strip of morning sky and far peaks with two balloons and the name, across the top
// of the dialog.
QImage PaintBanner(const std::vector<BackdropPicture>& backdrops,
                   const std::vector<BalloonPicture>& balloons);

}  // namespace driftmere::pictures
