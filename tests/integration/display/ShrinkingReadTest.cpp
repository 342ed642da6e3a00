// A backdrop's twin shrunk while it is decoded: exact area averages, and every file it cannot
// take left to the whole read or refused without blocking.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <vector>

#include "display/qt/ShrinkingRead.h"

namespace driftmere {
namespace {

// A line of pixels in the given shades of grey, across or down.
QImage Line(const std::vector<int>& shades, bool across) {
    const int n = static_cast<int>(shades.size());
    QImage line(across ? QSize(n, 1) : QSize(1, n), QImage::Format_RGB32);
    for (int i = 0; i < n; ++i)
        line.setPixel(across ? i : 0, across ? 0 : i, qRgb(shades[i], shades[i], 7));
    return line;
}

TEST(ShrinkingReadTest, ShrinksOurLayoutAndLeavesTheRestToTheWholeRead) {
    QTemporaryDir dir;
    QImage noise(17, 9, QImage::Format_RGB32);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x) noise.setPixel(x, y, qRgb(x * 15, y * 28, (x * y) % 256));
    QImage uniform(50, 30, QImage::Format_RGB32), alpha(8, 8, QImage::Format_ARGB32);
    uniform.fill(QColor(10, 120, 201));
    alpha.fill(qRgba(1, 2, 3, 100));
    const QString cut = dir.filePath("cut.png"), fifo = dir.filePath("fifo.png");
    noise.save(cut);
    QFile file(cut);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() / 2));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Case {
        const char* name;
        QImage picture;  // null: the file is there already
        QSize size, to;
        ShrinkingReadResult result;
        QImage expected;  // null: only the result is checked
    };
    using R = ShrinkingReadResult;
    const Case cases[] = {
        {"same.png", noise, {17, 9}, {17, 9}, R::kRead, noise},
        {"uniform.png", uniform, {50, 30}, {37, 29}, R::kRead, uniform.copy(0, 0, 37, 29)},
        // 4 -> 3: the middle pixel is two thirds of each neighbour, 127.5 rounded up.
        {"across.png",
         Line({0, 0, 255, 255}, true),
         {4, 1},
         {3, 1},
         R::kRead,
         Line({0, 128, 255}, true)},
        {"down.png",
         Line({0, 0, 255, 255}, false),
         {1, 4},
         {1, 3},
         R::kRead,
         Line({0, 128, 255}, false)},
        {"alpha.png", alpha, {8, 8}, {4, 4}, R::kOtherLayout, {}},
        {"other-size.png", noise, {18, 9}, {9, 4}, R::kOtherLayout, {}},
        {"cut.png", {}, {17, 9}, {8, 4}, R::kFailed, {}},
        {"fifo.png", {}, {17, 9}, {8, 4}, R::kOtherLayout, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(c.picture.isNull() || c.picture.save(path));
        QImage out;
        QString why;
        EXPECT_EQ(ReadPngShrunk(path, c.size, c.to, &out, &why), c.result);
        EXPECT_EQ(why.isEmpty(), c.result != ShrinkingReadResult::kFailed);
        EXPECT_EQ(out.isNull(), c.result != ShrinkingReadResult::kRead);
        EXPECT_TRUE(c.expected.isNull() || out == c.expected);
    }
}

}  // namespace
}  // namespace driftmere
