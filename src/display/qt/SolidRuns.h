#pragma once
// Where a balloon's wholly opaque pixels land, so that what lies under them is not painted only
// to be painted over: at 3840x2160 copying the backdrop under every moved balloon cost more than
// drawing the balloons.
#include <QImage>
#include <QRect>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "display/qt/FramePixels.h"

namespace driftmere {

// The runs of each row of a premultiplied `image`.
std::vector<RowRuns> RowRunsOf(const QImage& image);

// The row runs of the pictures drawn lately, kept by the identity of their pixels.
class SolidRunCache {
  public:
    const std::vector<RowRuns>& Of(const QImage& image, std::uint64_t frameNumber);
    // Lets go of the runs of pictures not drawn for the last hundred frames.
    void Trim(std::uint64_t frameNumber);
    std::size_t size() const { return runs_.size(); }

  private:
    struct Entry {
        std::vector<RowRuns> runs;
        std::uint64_t lastUsed = 0;
    };
    std::unordered_map<qint64, Entry> runs_;
};

// Something drawn later over a part of the frame that hides what is under it: all of `bounds`
// (runs null), or in each row the solid run of `runs` for that row, its column 0 landing at frame
// column x, its row 0 on frame row y; only within `bounds` either way.
struct Cover {
    QRect bounds;
    std::int64_t x = 0, y = 0;
    const std::vector<RowRuns>* runs = nullptr;
};

// Paints `part` of an RGB32 frame from the opaque `image` (pixel (sourceX, sourceY) on part's
// top-left corner), or in `colour` when image is null, except the pixels `covers` hide.
void PaintAround(QImage& frame, const QRect& part, const QImage* image, QRgb colour, int sourceX,
                 int sourceY, const std::vector<Cover>& covers);

}  // namespace driftmere
