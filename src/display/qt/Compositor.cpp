#include "display/qt/Compositor.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace driftmere {

namespace {

// Positions wrap instead of overflowing: a balloon pushed past the 32-bit range by a runaway
// wind must not be undefined behaviour.
std::int32_t WrapAdd(std::int32_t a, std::int64_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// Pictures with transparency are kept premultiplied: that is the format the raster painter
// blends fastest.
QImage WithKeyColourLeftOut(const QImage& picture) {
    QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb key = rgb.pixel(0, 0) & 0xffffff;
    QImage out(rgb.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb colour = in[x] & 0xffffff;
            line[x] = colour == key ? 0 : (colour | 0xff000000u);
        }
    }
    return out;
}

// A 32-bit picture whose alpha is the same everywhere (all opaque, or all zero as some tools
// write it) carries no real transparency: then the key colour rule applies, so a balloon never
// shows its background box and never vanishes altogether.
bool HasRealAlpha(const QImage& picture) {
    if (!picture.hasAlphaChannel()) return false;
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    bool seenClear = false, seenSolid = false;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            seenClear |= alpha < 255;
            seenSolid |= alpha > 0;
            if (seenClear && seenSolid) return true;
        }
    }
    return false;
}

// Qt's BMP reader fills a picture whose pixel data was cut short with what it has and still
// reports success, so the file's length is checked against what its header promises.
QString TruncatedBmpReason(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = file.read(54);
    if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') return {};
    if (head.size() < 54) return QStringLiteral("the file ends inside its header");
    auto u32 = [&](int at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(head[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(head[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(head[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(head[at + 3])) << 24;
    };
    auto u16 = [&](int at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(head[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(head[at + 1])) << 8;
    };
    const std::uint32_t dataOffset = u32(10);
    const std::uint32_t headerSize = u32(14);
    const std::uint32_t compression = u32(30);
    if (headerSize < 40 || (compression != 0 && compression != 3)) return {};  // RLE: trust Qt
    const std::int64_t width = static_cast<std::int32_t>(u32(18));
    const std::int64_t height =
        std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(u32(22))));
    const std::int64_t bits = u16(28);
    const std::int64_t rowBytes = ((std::abs(width) * bits + 31) / 32) * 4;
    const std::int64_t needed = static_cast<std::int64_t>(dataOffset) + rowBytes * height;
    if (file.size() < needed) return QStringLiteral("the file is cut short");
    return {};
}

}  // namespace

Compositor::Compositor(QSize frameSize) : frame_(frameSize, QImage::Format_RGB32) {
    frame_.fill(Qt::black);
}

int Compositor::PixelSizeForPoints(std::int32_t points) {
    // Points at 96 dots per inch: 22 pt is 29 px. Sizes are kept within what can sensibly be
    // drawn on an 800 x 600 frame, so a wild setting cannot make a picture of gigabytes.
    const long pixels = std::lround(static_cast<double>(points) * 96.0 / 72.0);
    return static_cast<int>(std::clamp(pixels, 1L, 2000L));
}

QRgb Compositor::ToRgb(Colour colour) {
    const auto packed = static_cast<std::uint32_t>(colour);
    return qRgb(packed & 0xff, (packed >> 8) & 0xff, (packed >> 16) & 0xff);
}

SurfaceId Compositor::CreateSurface() {
    const SurfaceId id = nextSurface_++;
    surfaces_[id] = Surface{};
    return id;
}

Compositor::Surface* Compositor::Find(SurfaceId surface) {
    auto it = surfaces_.find(surface);
    return it == surfaces_.end() ? nullptr : &it->second;
}

const Compositor::Surface* Compositor::Find(SurfaceId surface) const {
    auto it = surfaces_.find(surface);
    return it == surfaces_.end() ? nullptr : &it->second;
}

bool Compositor::LoadBitmap(SurfaceId surface, const QString& path, int transparency,
                            QString* error) {
    Surface* target = Find(surface);
    if (target == nullptr) {
        if (error) *error = QStringLiteral("surface %1 was never created").arg(surface);
        return false;
    }
    target->image = QImage();
    target->generation = nextGeneration_++;

    QImageReader reader(path);
    QImage picture;
    if (!reader.read(&picture) || picture.isNull()) {
        if (error) {
            *error =
                QFileInfo::exists(path) ? reader.errorString() : QStringLiteral("no such file");
        }
        return false;
    }
    if (const QString reason = TruncatedBmpReason(path); !reason.isEmpty()) {
        if (error) *error = reason;
        return false;
    }
    if (transparency == kKeyedOrAlpha) {
        target->image = HasRealAlpha(picture)
                            ? picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                            : WithKeyColourLeftOut(picture);
    } else {
        target->image = picture.convertToFormat(QImage::Format_RGB32);
    }
    return true;
}

void Compositor::SetSurfaceX(SurfaceId surface, std::int32_t x) {
    if (Surface* s = Find(surface)) s->x = x;
}

void Compositor::SetSurfaceY(SurfaceId surface, std::int32_t y) {
    if (Surface* s = Find(surface)) s->y = y;
}

void Compositor::MoveSurfaceX(SurfaceId surface, std::int32_t n) {
    if (Surface* s = Find(surface)) s->x = WrapAdd(s->x, n);
}

void Compositor::MoveSurfaceY(SurfaceId surface, std::int32_t n) {
    if (Surface* s = Find(surface)) s->y = WrapAdd(s->y, -static_cast<std::int64_t>(n));
}

std::int32_t Compositor::SurfaceX(SurfaceId surface) const {
    const Surface* s = Find(surface);
    return s ? s->x : 0;
}

std::int32_t Compositor::SurfaceY(SurfaceId surface) const {
    const Surface* s = Find(surface);
    return s ? s->y : 0;
}

QImage Compositor::SurfaceImage(SurfaceId surface) const {
    const Surface* s = Find(surface);
    return s ? s->image : QImage();
}

QRect Compositor::Clip(std::int64_t x, std::int64_t y, std::int64_t width,
                       std::int64_t height) const {
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(x + width, frame_.width());
    const std::int64_t bottom = std::min<std::int64_t>(y + height, frame_.height());
    if (right <= left || bottom <= top) return {};
    return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                 static_cast<int>(bottom - top));
}

void Compositor::ClearFrame(Colour colour) {
    Item item;
    item.kind = Kind::Fill;
    item.colour = ToRgb(colour);
    item.key = item.colour;
    item.bounds = frame_.rect();
    building_.push_back(std::move(item));
}

void Compositor::DrawSurface(SurfaceId surface) {
    const Surface* s = Find(surface);
    if (s == nullptr || s->image.isNull()) return;
    Item item;
    item.kind = Kind::Picture;
    item.key =
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(surface)) << 32) | s->generation;
    item.x = s->x;
    item.y = s->y;
    item.bounds = Clip(s->x, s->y, s->image.width(), s->image.height());
    item.image = s->image;
    building_.push_back(std::move(item));
}

void Compositor::SetFont(const std::string& name, std::int32_t points) {
    font_.family = QString::fromStdString(name);
    font_.pixelSize = PixelSizeForPoints(points);
}

void Compositor::DrawText(const std::string& text, std::int32_t x, std::int32_t y, Colour colour) {
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    if (!font_.family.isEmpty()) font.setFamilies({font_.family});
    font.setPixelSize(font_.pixelSize);
    const QString key = font_.family + QChar(0) + QString::number(font_.pixelSize);
    AddText(QString::fromStdString(text), font, key, x, y, colour);
}

void Compositor::DrawTextInFont(const QString& text, const QFont& font, std::int32_t x,
                                std::int32_t y, Colour colour) {
    AddText(text, font, font.key(), x, y, colour);
}

void Compositor::AddText(const QString& text, const QFont& font, const QString& fontKey,
                         std::int32_t x, std::int32_t y, Colour colour) {
    if (text.isEmpty()) return;
    const QRgb rgb = ToRgb(colour);
    // The clock and the message are drawn at the same places every frame, so the rendered text
    // is looked up by everything that shapes its pixels, position included (it decides the part
    // that is clipped away).
    QString key = fontKey;
    key += QChar(0);
    key += text;
    key += QChar(0);
    key += QString::number(rgb, 16) + QChar(',') + QString::number(x) + QChar(',') +
           QString::number(y);
    auto it = textCache_.find(key);
    if (it == textCache_.end()) {
        TextPicture picture;
        picture.serial = nextTextSerial_++;
        const QFontMetrics metrics(font);
        // The text box is one line high and as wide as the text advances; the ink of some glyphs
        // reaches outside it (italics, a negative left bearing), so the picture covers both.
        const QRect box(0, 0, metrics.horizontalAdvance(text), metrics.height());
        const QRect ink = metrics.boundingRect(text).translated(0, metrics.ascent());
        const QRect area = box.united(ink).adjusted(-1, -1, 1, 1);
        picture.bounds = Clip(static_cast<std::int64_t>(x) + area.x(),
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
        it = textCache_.emplace(key, std::move(picture)).first;
    }
    it->second.lastUsed = frameNumber_;
    if (it->second.bounds.isEmpty()) return;
    Item item;
    item.kind = Kind::Picture;
    item.key = it->second.serial;
    item.x = it->second.bounds.x();
    item.y = it->second.bounds.y();
    item.bounds = it->second.bounds;
    item.image = it->second.image;
    building_.push_back(std::move(item));
}

QRegion Compositor::Compose() {
    QRegion damage;
    if (fullRedraw_) {
        damage = frame_.rect();
        fullRedraw_ = false;
    } else {
        // Item by item: a pixel outside every changed item's old and new rectangles is covered
        // by the same items in the same order as before, so it keeps its colour.
        const std::size_t count = std::max(building_.size(), shown_.size());
        for (std::size_t i = 0; i < count; ++i) {
            if (i >= shown_.size()) {
                damage += building_[i].bounds;
            } else if (i >= building_.size()) {
                damage += shown_[i].bounds;
            } else if (!(building_[i] == shown_[i])) {
                damage += shown_[i].bounds;
                damage += building_[i].bounds;
            }
        }
    }
    shown_.swap(building_);
    building_.clear();
    if (!damage.isEmpty()) Paint(damage);
    TrimTextCache();
    ++frameNumber_;
    return damage;
}

void Compositor::Paint(const QRegion& damage) {
    QPainter painter(&frame_);
    for (const QRect& area : damage) {
        painter.fillRect(area, Qt::black);
        for (const Item& item : shown_) {
            const QRect part = item.bounds & area;
            if (part.isEmpty()) continue;
            if (item.kind == Kind::Fill) {
                painter.fillRect(part, QColor(item.colour));
            } else {
                const QPoint source(static_cast<int>(part.x() - item.x),
                                    static_cast<int>(part.y() - item.y));
                painter.drawImage(part.topLeft(), item.image, QRect(source, part.size()));
            }
        }
    }
}

void Compositor::TrimTextCache() {
    // The clock makes two new pictures a second; only what the last frame drew is worth keeping
    // once the cache has grown.
    constexpr std::size_t kKeep = 64;
    if (textCache_.size() <= kKeep) return;
    for (auto it = textCache_.begin(); it != textCache_.end();) {
        if (it->second.lastUsed != frameNumber_) {
            it = textCache_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace driftmere
