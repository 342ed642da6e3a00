// Writes pictures as BMP files byte for byte the same on every build.
#pragma once

#include <QImage>
#include <string>

namespace driftmere::pictures {

// 24 bits a pixel, no alpha: backdrops, thumbnails, the preview and the banner.
bool WriteBmp24(const QImage& img, const std::string& path);

// 32 bits a pixel with a straight (not premultiplied) alpha channel, declared by a BITMAPV5
// header's alpha mask. Fully transparent pixels are written as 0, 0, 0, 0, so that a reader that
// ignores alpha and keys on the top-left colour still leaves them out.
bool WriteBmp32(const QImage& img, const std::string& path);

// PNG at Qt's usual compression, no time stamp or other varying chunk: alpha is kept when the
// image has it (balloons), left out when it does not (backdrops and the small pictures).
bool WritePng(const QImage& img, const std::string& path);

// Area-averaging resize: every output pixel is the exact weighted mean of the source pixels
// under it (alpha-weighted for colour), the smoothest downscale and free of any library's
// choice of filter.
QImage Downscale(const QImage& src, int width, int height);

}  // namespace driftmere::pictures
