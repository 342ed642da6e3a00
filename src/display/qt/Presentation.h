#pragma once
// Where the composed frame lands in a window of any size: scaled as large as it fits with its
// shape kept, centred, with black bars on the two sides (or above and below) that it leaves.
#include <QRect>
#include <QRegion>
#include <QSize>

namespace driftmere {

// Every pixel of the window the scene is drawn in costs four bytes of memory, in this program and
// in the X server, whatever size a host gives it. A window of 5120 x 2880 (59 MB) covers every
// common screen; a larger host gets a window of its own shape at that many pixels, centred, and
// its own background shows around it.
inline constexpr qint64 kLargestWindowPixels = qint64{5120} * 2880;

// Where the scene's window goes inside a host window of size `host`.
QRect HostedWindowRect(QSize host);

// The part of a window of size `window` that shows the frame.
QRect LetterboxRect(QSize frame, QSize window);

// A whole-number scale (1, 2, 3 ...) is drawn pixel for pixel and stays sharp; any other scale
// is filtered so the picture does not look ragged.
bool NeedsSmoothScaling(QSize frame, QRect target);

// The window pixels that show the region `changed` of the frame (in frame pixels). With filtering
// a window pixel also takes colour from the frame pixels next to it, so the area grows by one
// pixel each way.
QRegion WindowRegionFor(const QRegion& changed, QSize frame, QRect target);

}  // namespace driftmere
