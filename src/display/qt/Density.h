#pragma once
// Which of the painted picture sets fits a window best. Every picture comes painted at the
// scene's own size (1x) and at twice that (2x); the scene is composed with the set whose pixels
// are closest to the screen's, so the window scales the frame as little as it can.
#include <QSize>

namespace driftmere {

// The largest picture set there is.
inline constexpr int kLargestPictureScale = 2;

// 1 or 2: the picture set for a letterbox of `letterboxDevicePixels` showing a logical frame of
// `logicalFrame`. The 2x set is chosen from 1.5 device pixels per logical pixel up. Below that
// the 1x set enlarged loses less than the 2x set costs: four times the pixels to decode, keep
// and compose. From 1.5 up (1920 x 1080 gives 1.8) the enlarged 1x set is visibly soft while the
// 2x set is only reduced, which keeps its detail.
int PictureScaleFor(QSize letterboxDevicePixels, QSize logicalFrame);

}  // namespace driftmere
