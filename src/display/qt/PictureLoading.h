#pragma once
// Reading a picture file into an image the compositor can draw, with the checks a file from
// anywhere needs.
#include <QImage>
#include <QString>

#include "display/DisplayControl.h"

namespace driftmere {

// Reads the picture at `path` into *out. transparency kOpaque: an RGB32 image drawn as it is;
// kKeyedOrAlpha: an ARGB32_Premultiplied image that keeps the file's alpha channel when it has a
// real one, else leaves out every pixel of the top-left pixel's colour. Only a regular file is
// read (a folder, FIFO or device is refused without blocking). On failure *out is left alone,
// false is returned and *error says why.
bool ReadPicture(const QString& path, Transparency transparency, QImage* out, QString* error);

// The checks of ReadPicture that need only the file's first bytes (a regular file, not too large,
// a picture format, a BMP as long as its header says), without decoding it, and the picture's
// size from its header: no wider or taller than `largest`. On success *size is the picture's
// size. On failure false is returned and *error says why.
bool ProbePicture(const QString& path, QSize largest, QSize* size, QString* error);

// The largest picture each role needs at the scene's own density: a backdrop fills the scene, a
// balloon is a few hundred pixels (the largest of ours is 130 x 170). Twins are exactly twice.
inline constexpr QSize kLargestBalloon(320, 320);
QSize LargestPictureFor(Transparency transparency, QSize scene);

// The twice-as-dense twin of the picture at `path`, whose own size is `size`, scaled to
// `drawnSize`. The twin is checked to be exactly twice `size` before it is decoded, so a stray
// file cannot take memory or shift the scene. On failure the image is null and `why` says why.
struct TwinPicture {
    QImage image;
    QString why;
};
TwinPicture ReadTwin(const QString& path, Transparency transparency, QSize size, QSize drawnSize);

// The path of the twice-as-dense twin of a picture: "name.bmp" -> "name@2x.png".
QString TwinPath(const QString& path);

// The picture at `size`, filtered (or, not `smooth`, each pixel repeated or left out: quick, for
// a picture that stands in briefly); the format is kept. A premultiplied picture is filtered
// premultiplied, so a key-coloured edge fades out instead of taking its colour.
QImage Resized(const QImage& picture, QSize size, bool smooth = true);

}  // namespace driftmere
