#include "display/qt/PictureLoading.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "display/DisplayControl.h"
#include "display/qt/ShrinkingRead.h"
#include "platform/linux/RegularFile.h"

namespace driftmere {

namespace {

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
// `head` is the start of the file, `fileSize` its whole length.
QString TruncatedBmpReason(const QByteArray& head, std::int64_t fileSize) {
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
    // Compared by division: a hostile header's row length times its height overflows 64 bits.
    const std::int64_t pixelBytes = fileSize - static_cast<std::int64_t>(dataOffset);
    if (pixelBytes < 0 || (height > 0 && rowBytes > pixelBytes / height)) {
        return QStringLiteral("the file is cut short");
    }
    return {};
}

// The width and height a BMP's header gives (any header of 40 bytes or more); empty for another
// format or a shorter header.
QSize BmpHeaderSize(const QByteArray& head) {
    if (head.size() < 26 || head[0] != 'B' || head[1] != 'M') return {};
    auto i32 = [&](int at) {
        std::uint32_t v = 0;
        for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(head[at + k]);
        return static_cast<std::int64_t>(static_cast<std::int32_t>(v));
    };
    if (i32(14) < 40) return {};
    const std::int64_t width = std::abs(i32(18)), height = std::abs(i32(22));
    if (width > INT32_MAX / 2 || height > INT32_MAX / 2) return {};
    return {static_cast<int>(width), static_cast<int>(height)};
}

// A reader for `device`, told the format when the first bytes name one of the two the saver
// ships (BMP and PNG, both read by Qt itself): otherwise Qt loads every image plugin installed
// only to ask each whether it knows the file. Any other picture is left for Qt to recognise.
void ChooseFormat(QImageReader& reader, const QByteArray& head) {
    static const QByteArray kPng("\x89PNG\r\n\x1a\n", 8);
    const char* format = head.startsWith(kPng) ? "png" : head.startsWith("BM") ? "bmp" : nullptr;
    if (format == nullptr) return;
    reader.setFormat(format);
    reader.setAutoDetectImageFormat(false);
}

// Enough of the file for the reader to tell its format and size: a BMP's headers and a PNG's
// first chunk are well within it.
constexpr std::size_t kHeadBytes = 512;

// The first bytes of the file at `path` and its length, with the same checks as a whole read:
// opened without blocking, a regular file, within the size bound.
bool ReadHead(const QString& path, QByteArray* head, std::int64_t* fileSize, QString* error) {
    const RegularFile file =
        ReadRegularFile(QFile::encodeName(path).toStdString(), kMaxPictureBytes, kHeadBytes);
    if (!file.problem.empty()) {
        if (error) *error = QString::fromLocal8Bit(file.problem);
        return false;
    }
    *head = QByteArray(file.bytes.data(), static_cast<qsizetype>(file.bytes.size()));
    *fileSize = file.info.st_size;
    return true;
}

}  // namespace

bool ProbePicture(const QString& path, QSize largest, QSize* size, QString* error) {
    QByteArray head;
    std::int64_t fileSize = 0;
    if (!ReadHead(path, &head, &fileSize, error)) return false;
    if (const QString reason = TruncatedBmpReason(head, fileSize); !reason.isEmpty()) {
        if (error) *error = reason;
        return false;
    }
    QBuffer buffer(&head);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    ChooseFormat(reader, head);
    if (!reader.canRead()) {
        if (error) *error = reader.errorString();
        return false;
    }
    // A picture whose size is not in its first bytes could only be measured by decoding it,
    // which is what the bound is there to avoid. Qt does not tell every BMP's size (not one with
    // a version 4 header written top-down): then it is read from the header here.
    QSize found = reader.size();
    if (found.isEmpty()) found = BmpHeaderSize(head);
    if (found.isEmpty()) {
        if (error) *error = QStringLiteral("its size is not in its header");
        return false;
    }
    if (found.width() > largest.width() || found.height() > largest.height()) {
        if (error)
            *error = QStringLiteral("%1 x %2 pixels is larger than %3 x %4")
                         .arg(found.width())
                         .arg(found.height())
                         .arg(largest.width())
                         .arg(largest.height());
        return false;
    }
    *size = found;
    return true;
}

QSize LargestPictureFor(Transparency transparency, QSize scene) {
    return transparency == kOpaque ? scene : kLargestBalloon;
}

TwinPicture ReadTwin(const QString& path, Transparency transparency, QSize size, QSize drawnSize) {
    TwinPicture twin;
    const QString name = TwinPath(path);
    const QSize wanted = size * 2;
    QSize found;
    QImage image;
    if (!ProbePicture(name, wanted, &found, &twin.why)) return twin;
    if (found != wanted) {
        twin.why = QStringLiteral("%1 x %2 pixels instead of %3 x %4")
                       .arg(found.width())
                       .arg(found.height())
                       .arg(wanted.width())
                       .arg(wanted.height());
        return twin;
    }
    // A backdrop's twin is shrunk as it is decoded, when it is to be drawn smaller: the whole
    // twin and its shrunk copy are never held at once.
    if (transparency == kOpaque) {
        switch (ReadPngShrunk(name, wanted, drawnSize, &twin.image, &twin.why)) {
            case ShrinkingReadResult::kRead:
            case ShrinkingReadResult::kFailed:
                return twin;
            case ShrinkingReadResult::kOtherLayout:
                break;
        }
    }
    if (!ReadPicture(name, transparency, &image, &twin.why)) return twin;
    if (image.size() != wanted) {
        twin.why = QStringLiteral("it changed while it was read");
        return twin;
    }
    twin.image = Resized(image, drawnSize);
    return twin;
}

QString TwinPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > slash + 1 ? path.left(dot) : path;
    return stem + QStringLiteral("@2x.png");
}

QImage Resized(const QImage& picture, QSize size, bool smooth) {
    if (picture.isNull() || picture.size() == size) return picture;
    return picture
        .scaled(size, Qt::IgnoreAspectRatio,
                smooth ? Qt::SmoothTransformation : Qt::FastTransformation)
        .convertToFormat(picture.format());
}

bool ReadPicture(const QString& path, Transparency transparency, QImage* out, QString* error) {
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
    ChooseFormat(reader, data);
    QImage picture;
    if (!reader.read(&picture) || picture.isNull()) {
        if (error) *error = reader.errorString();
        return false;
    }
    if (const QString reason = TruncatedBmpReason(data.left(54), data.size()); !reason.isEmpty()) {
        if (error) *error = reason;
        return false;
    }
    if (transparency == kKeyedOrAlpha) {
        *out = HasRealAlpha(picture) ? picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                     : WithKeyColourLeftOut(picture);
    } else {
        *out = picture.convertToFormat(QImage::Format_RGB32);
    }
    return true;
}

}  // namespace driftmere
