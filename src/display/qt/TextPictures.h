#pragma once
// The pictures of drawn texts, kept while they are in use: the overlay draws the same few texts
// frame after frame, and laying out and painting a text costs far more than drawing its picture.
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <unordered_map>

namespace driftmere {

struct TextPicture {
    std::uint64_t serial = 0;  // a different serial means different pixels
    QImage image;              // only the part inside the frame
    QRect bounds;
    std::uint64_t lastUsed = 0;
};

class TextPictures {
  public:
    // The picture of `text` in `font` (fontKey names it) and colour `rgb` with the text box's
    // top-left corner at (x, y), clipped by a frame of `frame` size; made on first use.
    // frameNumber marks it as used by that frame.
    const TextPicture& Find(const QString& text, const QFont& font, const QString& fontKey,
                            std::int32_t x, std::int32_t y, QRgb rgb, QSize frame,
                            std::uint64_t frameNumber);
    // Once the cache has grown, drops every picture that frame `frameNumber` did not use.
    void Trim(std::uint64_t frameNumber);
    std::size_t size() const { return cache_.size(); }
    // Drops every picture (the frame's density changed: they are all the wrong size).
    void Clear() { cache_.clear(); }

  private:
    std::unordered_map<QString, TextPicture> cache_;
    std::uint64_t nextSerial_ = 1;
};

}  // namespace driftmere
