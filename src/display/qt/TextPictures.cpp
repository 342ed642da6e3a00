#include "display/qt/TextPictures.h"

#include <QFontMetrics>
#include <QPainter>

#include "display/qt/FramePixels.h"

namespace driftmere {

const TextPicture& TextPictures::Find(const QString& text, const QFont& font,
                                      const QString& fontKey, std::int32_t x, std::int32_t y,
                                      QRgb rgb, QSize frame, std::uint64_t frameNumber) {
    // Looked up by everything that shapes the pixels, position included: it decides the part
    // that is clipped away.
    QString key = fontKey;
    key += QChar(0);
    key += text;
    key += QChar(0);
    key += QString::number(rgb, 16) + QChar(',') + QString::number(x) + QChar(',') +
           QString::number(y);
    auto it = cache_.find(key);
    if (it == cache_.end()) {
        TextPicture picture;
        picture.serial = nextSerial_++;
        const QFontMetrics metrics(font);
        // The text box is one line high and as wide as the text advances; the ink of some glyphs
        // reaches outside it (italics, a negative left bearing), so the picture covers both.
        const QRect box(0, 0, metrics.horizontalAdvance(text), metrics.height());
        const QRect ink = metrics.boundingRect(text).translated(0, metrics.ascent());
        const QRect area = box.united(ink).adjusted(-1, -1, 1, 1);
        picture.bounds =
            ClipToFrame(frame, static_cast<std::int64_t>(x) + area.x(),
                        static_cast<std::int64_t>(y) + area.y(), area.width(), area.height());
        if (!picture.bounds.isEmpty()) {
            picture.image = QImage(picture.bounds.size(), QImage::Format_ARGB32_Premultiplied);
            picture.image.fill(Qt::transparent);
            QPainter painter(&picture.image);
            painter.setFont(font);
            painter.setPen(QColor(rgb));
            const QPointF baseline(static_cast<double>(x) - picture.bounds.x(),
                                   static_cast<double>(y) + metrics.ascent() - picture.bounds.y());
            painter.drawText(baseline, text);
        }
        it = cache_.emplace(key, std::move(picture)).first;
    }
    it->second.lastUsed = frameNumber;
    return it->second;
}

void TextPictures::Trim(std::uint64_t frameNumber) {
    // The clock makes two new pictures a second; only what the last frame drew is worth keeping
    // once the cache has grown.
    constexpr std::size_t kKeep = 64;
    if (cache_.size() <= kKeep) return;
    for (auto it = cache_.begin(); it != cache_.end();) {
        if (it->second.lastUsed != frameNumber) {
            it = cache_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace driftmere
