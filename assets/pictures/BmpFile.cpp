#include "BmpFile.h"

#include <QImageWriter>
#include <cstdint>
#include <fstream>
#include <vector>

namespace driftmere::pictures {

namespace {

class Bytes {
  public:
    void U16(uint32_t v) {
        data_.push_back(char(v & 255));
        data_.push_back(char((v >> 8) & 255));
    }
    void U32(uint32_t v) {
        U16(v & 0xffff);
        U16(v >> 16);
    }
    void U8(uint32_t v) { data_.push_back(char(v & 255)); }
    size_t Size() const { return data_.size(); }
    bool Save(const std::string& path) const {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(data_.data(), std::streamsize(data_.size()));
        return bool(out);
    }

  private:
    std::vector<char> data_;
};

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV5HeaderSize = 124;
constexpr uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

void FileHeader(Bytes& out, uint32_t headerSize, uint32_t imageSize) {
    out.U8('B');
    out.U8('M');
    out.U32(kFileHeaderSize + headerSize + imageSize);
    out.U32(0);
    out.U32(kFileHeaderSize + headerSize);
}

void CommonInfo(Bytes& out, uint32_t headerSize, const QImage& img, uint32_t bits,
                uint32_t compression, uint32_t imageSize) {
    out.U32(headerSize);
    out.U32(uint32_t(img.width()));
    out.U32(uint32_t(img.height()));  // positive: rows stored bottom-up
    out.U16(1);
    out.U16(bits);
    out.U32(compression);
    out.U32(imageSize);
    out.U32(kPixelsPerMetre);
    out.U32(kPixelsPerMetre);
    out.U32(0);
    out.U32(0);
}

}  // namespace

bool WriteBmp24(const QImage& source, const std::string& path) {
    QImage img = source.convertToFormat(QImage::Format_RGB32);
    uint32_t rowBytes = (uint32_t(img.width()) * 3 + 3) & ~3U;
    uint32_t imageSize = rowBytes * uint32_t(img.height());
    Bytes out;
    FileHeader(out, kInfoHeaderSize, imageSize);
    CommonInfo(out, kInfoHeaderSize, img, 24, 0, imageSize);
    for (int y = img.height() - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            out.U8(qBlue(line[x]));
            out.U8(qGreen(line[x]));
            out.U8(qRed(line[x]));
        }
        for (uint32_t pad = uint32_t(img.width()) * 3; pad < rowBytes; ++pad) {
            out.U8(0);
        }
    }
    return out.Save(path);
}

bool WriteBmp32(const QImage& source, const std::string& path) {
    QImage img = source.convertToFormat(QImage::Format_ARGB32);
    uint32_t imageSize = uint32_t(img.width()) * uint32_t(img.height()) * 4;
    Bytes out;
    FileHeader(out, kV5HeaderSize, imageSize);
    CommonInfo(out, kV5HeaderSize, img, 32, 3 /* BI_BITFIELDS */, imageSize);
    out.U32(0x00ff0000);  // red mask
    out.U32(0x0000ff00);  // green mask
    out.U32(0x000000ff);  // blue mask
    out.U32(0xff000000);  // alpha mask
    out.U32(0x73524742);  // colour space 'sRGB'
    for (int i = 0; i < 9; ++i) {
        out.U32(0);  // end points, unused with sRGB
    }
    out.U32(0);  // gamma red, green, blue: unused with sRGB
    out.U32(0);
    out.U32(0);
    out.U32(4);  // intent: pictures
    out.U32(0);  // no profile data
    out.U32(0);
    out.U32(0);  // reserved
    for (int y = img.height() - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            QRgb p = qAlpha(line[x]) == 0 ? 0 : line[x];
            out.U32(p);
        }
    }
    return out.Save(path);
}

bool WritePng(const QImage& source, const std::string& path) {
    QImage img = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                 : QImage::Format_RGB32);
    // Qt's default zlib effort: the strongest setting saves another 5 % at five times the time.
    QImageWriter writer(QString::fromStdString(path), "png");
    return writer.write(img);
}

QImage Downscale(const QImage& source, int width, int height) {
    QImage src = source.convertToFormat(QImage::Format_ARGB32);
    QImage dst(width, height, QImage::Format_ARGB32);
    double sx = double(src.width()) / width, sy = double(src.height()) / height;
    for (int y = 0; y < height; ++y) {
        double y0 = y * sy, y1 = (y + 1) * sy;
        QRgb* outLine = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = 0; x < width; ++x) {
            double x0 = x * sx, x1 = (x + 1) * sx;
            double r = 0, g = 0, b = 0, a = 0, area = 0;
            for (int yy = int(y0); yy < y1 && yy < src.height(); ++yy) {
                double wy = std::min<double>(yy + 1, y1) - std::max<double>(yy, y0);
                const QRgb* line = reinterpret_cast<const QRgb*>(src.constScanLine(yy));
                for (int xx = int(x0); xx < x1 && xx < src.width(); ++xx) {
                    double w = wy * (std::min<double>(xx + 1, x1) - std::max<double>(xx, x0));
                    double al = qAlpha(line[xx]) / 255.0;
                    r += w * al * qRed(line[xx]);
                    g += w * al * qGreen(line[xx]);
                    b += w * al * qBlue(line[xx]);
                    a += w * al;
                    area += w;
                }
            }
            if (a <= 0) {
                outLine[x] = 0;
                continue;
            }
            outLine[x] = qRgba(int(std::lround(r / a)), int(std::lround(g / a)),
                               int(std::lround(b / a)), int(std::lround(255.0 * a / area)));
        }
    }
    return dst;
}

}  // namespace driftmere::pictures
