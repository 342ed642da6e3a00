#pragma once
// Small pictures the display tests write for themselves into a temporary folder.
#include <gtest/gtest.h>

#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <string>

#include "display/qt/Compositor.h"

namespace driftmere::testing {

inline constexpr QRgb kKey = 0xffff00ff;  // magenta corners: the colour left out

class TestPictures {
  public:
    TestPictures() {
        Solid("backdrop.bmp", {40, 30}, QColor(10, 120, 200));
        // Green inside, key-coloured corners 4 pixels deep.
        QImage balloon(20, 20, QImage::Format_RGB888);
        balloon.fill(QColor(0, 200, 0));
        for (int i = 0; i < 16; ++i)
            for (int x : {i % 4, 19 - i % 4})
                for (int y : {i / 4, 19 - i / 4}) balloon.setPixel(x, y, kKey);
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
        if (whole.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly))
            cut.write(whole.read(whole.size() / 2));
        // A header whose width, height and depth multiply past any integer.
        QFile boundless(Path("boundless.bmp"));
        if (whole.seek(0) && boundless.open(QIODevice::WriteOnly)) {
            QByteArray bytes = whole.readAll();
            bytes.replace(18, 12, QByteArray::fromHex("ffffff7fffffff7f0100ffff"));
            boundless.write(bytes);
        }
        if (garbage.open(QIODevice::WriteOnly)) garbage.write(QByteArray(300, '\x5a'));
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    // A picture of one colour, in the format its name ends in.
    void Solid(const QString& name, QSize size, QColor colour) const {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(colour);
        picture.save(Path(name));
    }
    std::string operator()(const QString& name) const { return Path(name).toStdString(); }

  private:
    // 32 bits with alpha (version 4 header, four channel masks), whatever Qt's writer would choose.
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

// A compositor and the pictures, each loaded into a new surface at a place.
class PictureFixture : public ::testing::Test {
  protected:
    SurfaceId Load(Compositor& into, const QString& name, Transparency transparency, int x = 0,
                   int y = 0) {
        const SurfaceId s = into.CreateSurface();
        QString error;
        EXPECT_TRUE(into.LoadPicture(s, files.Path(name), transparency, &error))
            << error.toStdString();
        into.SetSurfaceX(s, x);
        into.SetSurfaceY(s, y);
        return s;
    }
    SurfaceId Load(const QString& name, Transparency transparency, int x = 0, int y = 0) {
        return Load(c, name, transparency, x, y);
    }
    TestPictures files;
    Compositor c;
};

}  // namespace driftmere::testing
