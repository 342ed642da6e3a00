#pragma once
// Small pictures the display tests write for themselves into a temporary folder.
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <string>

namespace driftmere::testing {

inline constexpr QRgb kKey = 0xffff00ff;  // magenta corners: the colour left out

class TestPictures {
  public:
    TestPictures() {
        QImage backdrop(40, 30, QImage::Format_RGB888);  // one colour
        backdrop.fill(QColor(10, 120, 200));
        backdrop.save(Path("backdrop.bmp"), "BMP");
        // Green inside, key-coloured corners 4 pixels deep.
        QImage balloon(20, 20, QImage::Format_RGB888);
        balloon.fill(QColor(0, 200, 0));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                for (QPoint p :
                     {QPoint(x, y), QPoint(19 - x, y), QPoint(x, 19 - y), QPoint(19 - x, 19 - y)})
                    balloon.setPixel(p, kKey);
        balloon.save(Path("keyed.bmp"), "BMP");
        // Red, half transparent on the left; and an opaque one with a key-coloured top-left.
        QImage alpha(10, 10, QImage::Format_ARGB32), solid(10, 10, QImage::Format_ARGB32);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) alpha.setPixel(x, y, qRgba(255, 0, 0, x < 5 ? 128 : 255));
        solid.fill(qRgba(255, 0, 0, 255));
        solid.setPixel(0, 0, kKey);
        WriteBmp32(alpha, Path("alpha.bmp"));
        WriteBmp32(solid, Path("solid-alpha.bmp"));
        QFile whole(Path("backdrop.bmp")), garbage(Path("garbage.bmp")), cut(Path("truncated.bmp"));
        whole.open(QIODevice::ReadOnly);
        garbage.open(QIODevice::WriteOnly);
        cut.open(QIODevice::WriteOnly);
        garbage.write(QByteArray(300, '\x5a'));
        cut.write(whole.read(whole.size() / 2));
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    std::string operator()(const QString& name) const { return Path(name).toStdString(); }

  private:
    // 32 bits with alpha, written by hand (version 4 header, four channel masks) so the test
    // does not depend on what Qt's writer chooses.
    static void WriteBmp32(const QImage& picture, const QString& path) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        QDataStream out(&file);
        out.setByteOrder(QDataStream::LittleEndian);
        const quint32 dataSize = picture.width() * picture.height() * 4;
        out.writeRawData("BM", 2);
        out << quint32(14 + 108 + dataSize) << quint32(0) << quint32(14 + 108);
        out << quint32(108) << qint32(picture.width()) << qint32(-picture.height()) << quint16(1)
            << quint16(32) << quint32(3) << dataSize << qint32(2835) << qint32(2835) << quint32(0)
            << quint32(0);
        out << quint32(0x00ff0000) << quint32(0x0000ff00) << quint32(0x000000ff)
            << quint32(0xff000000) << quint32(0x73524742);  // "sRGB"
        for (int i = 0; i < 12; ++i) out << quint32(0);     // end points and gamma
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) out << quint32(picture.pixel(x, y));
    }

    QTemporaryDir dir_;
};

}  // namespace driftmere::testing
