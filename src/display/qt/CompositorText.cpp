// The text half of the compositor: the clock and message lines become pictures (TextPictures.h)
// that join the draw list like any other, made again only when their text, font, colour or place
// changes.
#include <algorithm>
#include <cmath>

#include "display/qt/Compositor.h"

namespace driftmere {

namespace {

// A text box's corner in frame pixels. Far off the frame it only needs to stay far off: kept
// within a range that cannot overflow the text layout's arithmetic.
std::int32_t TextCorner(std::int64_t v) {
    constexpr std::int64_t kFar = std::int64_t{1} << 28;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -kFar, kFar));
}

}  // namespace

void Compositor::DrawText(const std::string& text, std::int32_t x, std::int32_t y, Colour colour) {
    if (text.empty()) return;
    const std::size_t slot = textSlot_++;
    if (slot < textCalls_.size()) {
        const TextCall& last = textCalls_[slot];
        if (last.x == x && last.y == y && last.colour == colour &&
            last.pixelSize == font_.pixelSize && last.text == text && last.family == font_.family) {
            PushText(last.picture);
            return;
        }
    } else {
        textCalls_.resize(slot + 1);
    }
    const QString family = QString::fromStdString(font_.family);
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    if (!family.isEmpty()) font.setFamilies({family});
    const int pixelSize =
        std::max(1, static_cast<int>(std::lround(font_.pixelSize * grid_.ScaleY())));
    font.setPixelSize(pixelSize);
    const QString key = family + QChar(0) + QString::number(pixelSize);
    const TextPicture& picture = FindText(QString::fromStdString(text), font, key, x, y, colour);
    textCalls_[slot] = TextCall{font_.family, text, font_.pixelSize, colour, x, y, picture};
    PushText(picture);
}

void Compositor::DrawTextInFont(const QString& text, const QFont& font, std::int32_t x,
                                std::int32_t y, Colour colour) {
    if (text.isEmpty()) return;
    if (grid_.device() == logicalSize_) {
        PushText(FindText(text, font, font.key(), x, y, colour));
        return;
    }
    QFont dense = font;
    if (font.pixelSize() > 0) {
        dense.setPixelSize(
            std::max(1, static_cast<int>(std::lround(font.pixelSize() * grid_.ScaleY()))));
    } else {
        dense.setPointSizeF(font.pointSizeF() * grid_.ScaleY());
    }
    PushText(FindText(text, dense, dense.key(), x, y, colour));
}

const TextPicture& Compositor::FindText(const QString& text, const QFont& font,
                                        const QString& fontKey, std::int32_t x, std::int32_t y,
                                        Colour colour) {
    return textPictures_.Find(text, font, fontKey, TextCorner(grid_.X(x)), TextCorner(grid_.Y(y)),
                              ToRgb(colour), frame_.size(), frameNumber_);
}

void Compositor::PushText(const TextPicture& picture) {
    if (picture.bounds.isEmpty()) return;
    Item item;
    item.kind = Kind::Picture;
    item.key = picture.serial;
    item.x = picture.bounds.x();
    item.y = picture.bounds.y();
    item.bounds = picture.bounds;
    item.image = picture.image;
    building_.push_back(std::move(item));
}

}  // namespace driftmere
