#pragma once
// Pixel work on the composed frame. The pieces redrawn each frame are small (a balloon's old and
// new place) and many; plain row copies and a blend loop cost far less per piece than a painter
// call.
#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

namespace driftmere {

// Columns [begin, end) of one row; empty when end <= begin.
struct Span {
    int begin = 0;
    int end = 0;
};

// One row of a picture with transparency: `solid` is its longest run of wholly opaque pixels,
// `seen` reaches from its first to its last pixel that is not wholly clear (both empty: none).
struct RowRuns {
    Span solid;
    Span seen;
};

// The part of a frame of `frame` size that the rectangle at (x, y) covers; empty when none.
// Takes 64-bit values so a far-off position cannot overflow.
QRect ClipToFrame(QSize frame, std::int64_t x, std::int64_t y, std::int64_t width,
                  std::int64_t height);

// Fills the RGB32 `frame` with `pixels` (RGB32), stretched to its size when they differ (each
// pixel taking the one it falls in).
void FillScaled(QImage& frame, const QImage& pixels);

// Paints `part` of an RGB32 frame in one opaque colour.
void FillPart(QImage& frame, const QRect& part, QRgb colour);

// Draws `part` of the frame from `image`, whose pixel (sourceX, sourceY) lands on part's
// top-left corner. An opaque image is copied; a premultiplied one is blended over what is there,
// with its rows' runs (`runs`, when known) the solid run copied without looking at it and the
// clear pixels beside what is seen skipped without looking either.
void DrawPart(QImage& frame, const QRect& part, const QImage& image, int sourceX, int sourceY,
              bool opaque, const std::vector<RowRuns>* runs = nullptr);

// The same with `image` stretched to `drawnSize`, each pixel drawn taking the image pixel it
// falls in (no filtering: quick, for a picture that stands in briefly); (sourceX, sourceY)
// counts pixels of the stretched picture.
void DrawPartStretched(QImage& frame, const QRect& part, const QImage& image, QSize drawnSize,
                       int sourceX, int sourceY, bool opaque);

// Adds `area` to the rectangles to redraw, joined with those it overlaps where the box around
// both is no larger than the two apart (empty areas are left out).
void AddToAreas(std::vector<QRect>& areas, QRect area);

}  // namespace driftmere
