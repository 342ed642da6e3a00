#pragma once
// Reading a large opaque PNG straight into a smaller picture, row by row, so that the picture is
// never held whole at its own size: the 1600x1200 twin of a backdrop shrunk to a 1440x1080 frame
// takes 6 MB of memory while it is read instead of 14.
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace driftmere {

// Shrinks a picture fed one row at a time, top to bottom, to `to` (no larger than `from` either
// way). Each pixel of the result is the average of the part of the picture it covers, every
// picture pixel counted by how much of it lies inside (exact integer weights, rounded once).
class AreaShrink {
  public:
    AreaShrink(QSize from, QSize to);
    // The next row of the picture: from.width() pixels of 8-bit red, green, blue.
    void AddRow(const std::uint8_t* rgb);
    // The result so far (RGB32); whole once every row was added.
    const QImage& result() const { return result_; }
    QImage Take() { return std::move(result_); }

  private:
    // The picture pixels [first, first + weights.size()) and how much of each a result column
    // covers.
    struct Columns {
        int first = 0;
        std::vector<std::uint32_t> weights;
    };
    void AddToRow(const std::vector<std::uint64_t>& sums, std::uint64_t weight);
    void FinishRow();

    QSize from_, to_;
    std::vector<Columns> columns_;
    std::vector<std::uint64_t> sums_;     // the row being added: each result column's weighted sums
    std::vector<std::uint64_t> rowSums_;  // the result row being built, three per column
    int rowsIn_ = 0, rowsOut_ = 0;
    QImage result_;
};

// Reads the PNG at `path` shrunk to `to`, when it is an 8-bit RGB picture without transparency
// or interlacing (how a backdrop's twin is stored) of exactly `size` pixels. The file is opened
// without blocking, checked to be a regular file and read in pieces.
enum class ShrinkingReadResult { kRead, kOtherLayout, kFailed };
ShrinkingReadResult ReadPngShrunk(const QString& path, QSize size, QSize to, QImage* out,
                                  QString* why);

}  // namespace driftmere
