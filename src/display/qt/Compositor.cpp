#include "display/qt/Compositor.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/linux/RegularFile.h"

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

// Far beyond any picture of ours (a backdrop is under 2 MB); a larger file is refused unread.
constexpr std::size_t kMaxPictureBytes = 64 * 1024 * 1024;

// Qt's BMP reader fills a picture whose pixel data was cut short with what it has and still
// reports success, so the file's length is checked against what its header promises.
QString TruncatedBmpReason(const QByteArray& data) {
    const QByteArray head = data.left(54);
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
    if (data.size() < needed) return QStringLiteral("the file is cut short");
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
    surfaces_.emplace_back();
    return static_cast<SurfaceId>(surfaces_.size());
}

Compositor::Surface* Compositor::Find(SurfaceId surface) {
    if (surface < 1 || static_cast<std::size_t>(surface) > surfaces_.size()) return nullptr;
    return &surfaces_[surface - 1];
}

const Compositor::Surface* Compositor::Find(SurfaceId surface) const {
    if (surface < 1 || static_cast<std::size_t>(surface) > surfaces_.size()) return nullptr;
    return &surfaces_[surface - 1];
}

bool Compositor::LoadPicture(SurfaceId surface, const QString& path, int transparency,
                             QString* error) {
    Surface* target = Find(surface);
    if (target == nullptr) {
        if (error) *error = QStringLiteral("surface %1 was never created").arg(surface);
        return false;
    }
    target->image = QImage();
    target->generation = nextGeneration_++;

    // The file is read here, and only its bytes reach the image reader: a FIFO or a device in
    // its place would otherwise block the whole program inside the reader's open().
    const RegularFile file =
        ReadRegularFile(QFile::encodeName(path).toStdString(), kMaxPictureBytes);
    if (!file.problem.empty()) {
        if (error) *error = QString::fromStdString(file.problem);
        return false;
    }
    QByteArray data =
        QByteArray::fromRawData(file.bytes.data(), static_cast<qsizetype>(file.bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage picture;
    if (!reader.read(&picture) || picture.isNull()) {
        if (error) *error = reader.errorString();
        return false;
    }
    if (const QString reason = TruncatedBmpReason(data); !reason.isEmpty()) {
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
    item.opaque = true;
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
    item.opaque = !s->image.hasAlphaChannel();
    building_.push_back(std::move(item));
}

void Compositor::SetFont(const std::string& name, std::int32_t points) {
    font_.family = name;
    font_.pixelSize = PixelSizeForPoints(points);
}

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
    font.setPixelSize(font_.pixelSize);
    const QString key = family + QChar(0) + QString::number(font_.pixelSize);
    const TextPicture& picture = FindText(QString::fromStdString(text), font, key, x, y, colour);
    textCalls_[slot] = TextCall{font_.family, text, font_.pixelSize, colour, x, y, picture};
    PushText(picture);
}

void Compositor::DrawTextInFont(const QString& text, const QFont& font, std::int32_t x,
                                std::int32_t y, Colour colour) {
    if (text.isEmpty()) return;
    PushText(FindText(text, font, font.key(), x, y, colour));
}

const Compositor::TextPicture& Compositor::FindText(const QString& text, const QFont& font,
                                                    const QString& fontKey, std::int32_t x,
                                                    std::int32_t y, Colour colour) {
    const QRgb rgb = ToRgb(colour);
    // Looked up by everything that shapes the pixels, position included: it decides the part
    // that is clipped away.
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
    return it->second;
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

QRegion Compositor::Compose() {
    std::vector<QRect> areas;
    if (fullRedraw_) {
        areas.push_back(frame_.rect());
        fullRedraw_ = false;
    } else {
        // Item by item: a pixel outside every changed item's old and new rectangles is covered
        // by the same items in the same order as before, so it keeps its colour.
        const std::size_t count = std::max(building_.size(), shown_.size());
        for (std::size_t i = 0; i < count; ++i) {
            if (i >= shown_.size()) {
                AddArea(areas, building_[i].bounds);
            } else if (i >= building_.size()) {
                AddArea(areas, shown_[i].bounds);
            } else if (!(building_[i] == shown_[i])) {
                AddArea(areas, shown_[i].bounds);
                AddArea(areas, building_[i].bounds);
            }
        }
    }
    shown_.swap(building_);
    building_.clear();
    textSlot_ = 0;
    Paint(areas);
    TrimTextCache();
    ++frameNumber_;
    QRegion damage;
    for (const QRect& area : areas) damage += area;
    return damage;
}

void Compositor::AddArea(std::vector<QRect>& areas, QRect area) {
    if (area.isEmpty()) return;
    // A balloon that moved a pixel overlaps its old place almost entirely: one rectangle around
    // both costs fewer painter calls than the pieces of their exact union. Rectangles are joined
    // only when the box around them is no larger than the two together.
    auto size = [](const QRect& r) { return static_cast<std::int64_t>(r.width()) * r.height(); };
    for (bool joined = true; joined;) {
        joined = false;
        for (auto it = areas.begin(); it != areas.end(); ++it) {
            if (!it->intersects(area)) continue;
            const QRect both = it->united(area);
            if (size(both) <= size(*it) + size(area)) {
                area = both;
                areas.erase(it);
                joined = true;
                break;
            }
        }
    }
    areas.push_back(area);
}

void Compositor::Paint(const std::vector<QRect>& areas) {
    // The pieces are small (a balloon's old and new place) and many; plain row copies and a
    // blend loop cost far less per piece than a painter call.
    for (const QRect& area : areas) {
        // Whatever lies under the topmost opaque item that covers the whole area (the clear, the
        // backdrop) cannot show: start there.
        std::size_t first = shown_.size();
        while (first > 0 &&
               !(shown_[first - 1].opaque && shown_[first - 1].bounds.contains(area))) {
            --first;
        }
        if (first == 0) {
            Fill(area, qRgb(0, 0, 0));
        } else {
            --first;
        }
        for (std::size_t i = first; i < shown_.size(); ++i) {
            const Item& item = shown_[i];
            const QRect part = item.bounds & area;
            if (part.isEmpty()) continue;
            if (item.kind == Kind::Fill) {
                Fill(part, item.colour);
            } else {
                Blit(part, item);
            }
        }
    }
}

void Compositor::Fill(const QRect& part, QRgb colour) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(frame_.scanLine(y)) + part.x();
        std::fill_n(line, part.width(), colour | 0xff000000u);
    }
}

void Compositor::Blit(const QRect& part, const Item& item) {
    const int sourceX = static_cast<int>(part.x() - item.x);
    const int sourceY = static_cast<int>(part.y() - item.y);
    for (int row = 0; row < part.height(); ++row) {
        auto* out = reinterpret_cast<QRgb*>(frame_.scanLine(part.y() + row)) + part.x();
        const auto* in =
            reinterpret_cast<const QRgb*>(item.image.constScanLine(sourceY + row)) + sourceX;
        if (item.opaque) {
            std::copy_n(in, part.width(), out);
            continue;
        }
        // Premultiplied "source over": out = in + out * (255 - alpha) / 255, two channels at a
        // time, with the usual exact rounding of a division by 255.
        for (int x = 0; x < part.width(); ++x) {
            const QRgb src = in[x];
            const std::uint32_t alpha = qAlpha(src);
            if (alpha == 0) continue;
            if (alpha == 255) {
                out[x] = src;
                continue;
            }
            const std::uint32_t rest = 255 - alpha;
            const QRgb dst = out[x];
            std::uint32_t rb = (dst & 0x00ff00ffu) * rest;
            rb = ((rb + ((rb >> 8) & 0x00ff00ffu) + 0x00800080u) >> 8) & 0x00ff00ffu;
            std::uint32_t ag = ((dst >> 8) & 0x00ff00ffu) * rest;
            ag = (ag + ((ag >> 8) & 0x00ff00ffu) + 0x00800080u) & 0xff00ff00u;
            out[x] = src + (rb | ag);
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
