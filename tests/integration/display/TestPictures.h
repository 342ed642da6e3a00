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
        // 40 x 30 backdrop of one colour.
        QImage backdrop(40, 30, QImage::Format_RGB888);
        backdrop.fill(QColor(10, 120, 200));
        backdrop.save(Path("backdrop.bmp"), "BMP");

        // 20 x 20 balloon: green inside, magenta corners (the key colour) 4 pixels deep.
        QImage balloon(20, 20, QImage::Format_RGB888);
        balloon.fill(QColor(0, 200, 0));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                for (QPoint corner :
                     {QPoint(x, y), QPoint(19 - x, y), QPoint(x, 19 - y), QPoint(19 - x, 19 - y)})
                    balloon.setPixel(corner, kKey);
        balloon.save(Path("keyed.bmp"), "BMP");

        // 10 x 10 red picture whose left half is half transparent and right half opaque.
        QImage alpha(10, 10, QImage::Format_ARGB32);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) alpha.setPixel(x, y, qRgba(255, 0, 0, x < 5 ? 128 : 255));
        WriteBmp32(alpha, Path("alpha.bmp"));
        // The same size, fully opaque alpha with a key-coloured top-left pixel.
        QImage solid(10, 10, QImage::Format_ARGB32);
        solid.fill(qRgba(255, 0, 0, 255));
        solid.setPixel(0, 0, kKey);
        WriteBmp32(solid, Path("solid-alpha.bmp"));

        Write("garbage.bmp", QByteArray(300, '\x5a'));
        QFile whole(Path("backdrop.bmp"));
        whole.open(QIODevice::ReadOnly);
        const QByteArray bytes = whole.readAll();
        Write("truncated.bmp", bytes.left(bytes.size() / 2));
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    std::string operator()(const QString& name) const { return Path(name).toStdString(); }

  private:
    void Write(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

    // A 32-bit picture with its alpha channel, written by hand (a version 4 header with the
    // four channel masks) so the test does not depend on what Qt's writer chooses.
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
