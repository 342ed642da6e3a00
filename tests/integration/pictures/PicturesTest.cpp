// The pictures the build paints: each at its size and kind at 1x and 2x, the 2x showing the same,
// balloons that cut out cleanly, backdrops that are distinct scenes, and the same bytes again.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/Scene.h"

namespace {

std::vector<std::string> Names(auto& table, std::string_view prefix = "") {
    std::vector<std::string> names;
    for (const auto& entry : table)
        names.push_back(std::string(prefix) +
                        std::string(entry.file.substr(0, entry.file.size() - 4)));
    return names;
}
const std::vector<std::string> kBackdrops = Names(driftmere::kBackdrops);
const std::vector<std::string> kBalloons = Names(driftmere::kBalloons);

QString DataDir() {
    const char* dir = std::getenv("DRIFTMERE_DATA_DIR");
    return dir ? QString::fromLocal8Bit(dir) : QString();
}

QString PathOf(const std::string& name) { return DataDir() + "/" + QString::fromStdString(name); }
QImage Load(const std::string& name) { return QImage(PathOf(name)); }

// Every picture's name without extension, with its 1x size.
std::vector<std::pair<std::string, QSize>> AllPictures() {
    std::vector<std::pair<std::string, QSize>> all = {{"preview", {153, 115}},
                                                      {"banner", {480, 90}}};
    for (const std::string& b : kBackdrops)
        all.insert(all.end(), {{b, {800, 600}}, {"thumb-" + b, {96, 72}}});
    for (const std::string& b : kBalloons) all.push_back({b, Load(b + ".bmp").size()});
    return all;
}

std::string Twice(const std::string& name) { return name + "@2x.png"; }

QByteArray Head(const std::string& name, int bytes) {
    QFile f(PathOf(name));
    return f.open(QIODevice::ReadOnly) ? f.read(bytes) : QByteArray();
}

// Bits a pixel as the file's own header gives them.
int BitsPerPixel(const std::string& name) {
    QByteArray head = Head(name, 30);
    if (head.size() < 30 || head[0] != 'B' || head[1] != 'M') return -1;
    return uint8_t(head[28]) | (uint8_t(head[29]) << 8);
}

double Luma(QRgb p) { return 0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p); }

// The 2x picture seen from the 1x distance: each 2 x 2 block averaged, colour weighted by alpha.
QImage Halve(const QImage& two) {
    return two.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        .scaled(two.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

// Mean absolute difference of alpha-weighted colour and of alpha, 0..255.
double MeanAbsPremultiplied(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            double pa = qAlpha(p) / 255.0, qa = qAlpha(q) / 255.0;
            sum += std::abs(pa * qRed(p) - qa * qRed(q)) +
                   std::abs(pa * qGreen(p) - qa * qGreen(q)) +
                   std::abs(pa * qBlue(p) - qa * qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    return sum / (4.0 * a.width() * a.height());
}

// 1x: BMPs of the two kinds the saver reads. 2x: PNG, alpha for balloons only, and halved again
// close to its twin, not another picture (today's worst is under 1 in 255; two different backdrops
// differ by more than 9), and closer than when moved a pixel any way (edges left out).
TEST(Pictures, EveryFileIsThereAtItsSizeAndKindAndTheTwiceSizeShowsTheSame) {
    ASSERT_FALSE(DataDir().isEmpty()) << "DRIFTMERE_DATA_DIR is not set";
    const QByteArray png("\x89PNG\r\n\x1a\n", 8);
    for (const auto& [name, size] : AllPictures()) {
        SCOPED_TRACE(name);
        const bool balloon = name.rfind("balloon", 0) == 0;
        QImage one = Load(name + ".bmp"), two = Load(Twice(name));
        ASSERT_EQ(one.size(), size);
        EXPECT_EQ(BitsPerPixel(name + ".bmp"), balloon ? 32 : 24);
        EXPECT_EQ(Head(Twice(name), 8), png);
        EXPECT_EQ(two.hasAlphaChannel(), balloon);
        ASSERT_EQ(Halve(two).size() * 2, two.size());
        const QImage o = one.convertToFormat(QImage::Format_ARGB32);
        const QRect in = o.rect().adjusted(2, 2, -2, -2);
        auto off = [&](int dx, int dy) {
            const QImage moved = Halve(two.copy(dx, dy, two.width(), two.height()));
            return MeanAbsPremultiplied(o.copy(in), moved.copy(in));
        };
        const double aligned = off(0, 0);
        EXPECT_LT(aligned, 2.0);
        for (auto [dx, dy] : {std::pair{-2, 0}, {2, 0}, {0, -2}, {0, 2}})
            EXPECT_LT(aligned, off(dx, dy)) << "closer moved by " << dx / 2 << ", " << dy / 2;
    }
}

// A balloon waits out of sight left of the screen (x = -120, or -140 for balloons 12 and 13)
// and 170 pixels above it, so it must fit in that room (2x: twice). A reader that drops the alpha
// channel leaves out the top-left pixel's colour, black, so no balloon pixel may be black.
TEST(Pictures, BalloonsFitTheirRoomOnAClearGroundWithNoBlackInside) {
    for (size_t n = 0; n < 2 * kBalloons.size(); ++n) {
        const size_t i = n % kBalloons.size();
        const int k = n < kBalloons.size() ? 1 : 2;
        const std::string file = k == 1 ? kBalloons[i] + ".bmp" : Twice(kBalloons[i]);
        SCOPED_TRACE(file);
        QImage img = Load(file);
        ASSERT_TRUE(img.hasAlphaChannel());
        img = img.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height();
        EXPECT_TRUE(w >= 90 * k && w <= (i >= 11 ? 140 : 120) * k && h <= 170 * k) << w << "x" << h;

        int visible = 0;  // clear pixels are black and line the border, visible ones never black
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb p = img.pixel(x, y);
                const bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
                ASSERT_EQ(qAlpha(p) == 0, (p & 0xffffff) == 0) << x << ", " << y;
                ASSERT_TRUE(!border || qAlpha(p) == 0) << "border pixel at " << x << ", " << y;
                visible += qAlpha(p) > 0;
            }
        EXPECT_GT(visible, w * h / 3);
    }
}

TEST(Pictures, BackdropsAreDistinctScenesWithTheirOwnThumbnails) {
    std::vector<QImage> images;
    for (const std::string& b : kBackdrops) {
        SCOPED_TRACE(b);
        QImage img = Load(b + ".bmp").convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(img.size(), QSize(800, 600));
        double sum = 0, sq = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                double l = Luma(img.pixel(x, y));
                sum += l;
                sq += l * l;
            }
        double mean = sum / 480000, sd = std::sqrt(sq / 480000 - mean * mean);
        EXPECT_GT(sd, 20.0) << "too flat to be a scene";
        // Its thumbnail shows it (backdrops differ by more than that).
        const QImage small = img.scaled(96, 72, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(MeanAbsPremultiplied(Load("thumb-" + b + ".bmp"), small), 4.5);
        images.push_back(img);
    }
    for (size_t i = 0; i < images.size(); ++i)
        for (size_t j = i + 1; j < images.size(); ++j)
            EXPECT_GT(MeanAbsPremultiplied(images[i], images[j]), 9.0)
                << kBackdrops[i] << " looks like " << kBackdrops[j];
}

// The preview and the banner carry balloons, and the banner the name (without its font the
// banner would come out unlettered and still the right size).
TEST(Pictures, PreviewAndBannerShowBalloonsAndTheName) {
    auto count = [](const QImage& img, QRect area, auto&& pick) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) n += pick(img.pixel(x, y)) ? 1 : 0;
        return n;
    };
    auto warm = [](QRgb p) { return qRed(p) > 170 && qBlue(p) < 90 && qRed(p) - qBlue(p) > 120; };
    const QImage preview = Load("preview.bmp"), banner = Load("banner.bmp");
    EXPECT_GT(count(preview, QRect(0, 0, 153, 60), warm), 40) << "no balloon in the preview";
    EXPECT_GT(count(banner, banner.rect(), warm), 60) << "no balloon in the banner";
    auto pale = [](QRgb p) { return qRed(p) > 235 && qGreen(p) > 225 && qBlue(p) > 180; };
    EXPECT_GT(count(banner, QRect(70, 15, 270, 55), pale), 800) << "no lettering on the banner";
}

QString Generator() {
    const char* build = std::getenv("DRIFTMERE_BUILD_DIR");
    return build ? QString::fromLocal8Bit(build) + "/assets/pictures/driftmere-paint" : QString();
}

int RunGenerator(const QString& folder, const QStringList& more = {}) {
    QProcess p;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    p.start(Generator(), QStringList{folder} + more);
    if (!p.waitForFinished(300000)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The build's copy came from one run of the painter; a second run must write the same bytes.
TEST(Pictures, PaintingAgainGivesTheSameBytes) {
    ASSERT_TRUE(QFile::exists(Generator())) << Generator().toStdString();
    QTemporaryDir again;
    ASSERT_EQ(RunGenerator(again.path()), 0);
    const auto all = AllPictures();
    EXPECT_EQ(QDir(again.path()).entryList(QDir::Files).size(), qsizetype(2 * all.size()));
    for (const auto& [picture, size] : all)
        for (const std::string& name : {picture + ".bmp", Twice(picture)}) {
            const QByteArray a = Bytes(again.path() + "/" + QString::fromStdString(name));
            EXPECT_TRUE(!a.isEmpty() && a == Bytes(PathOf(name))) << name << " differs";
        }
}

TEST(Pictures, GeneratorRefusesAFolderItCannotWriteAndScalesItCannotPaint) {
    QTemporaryDir dir;
    EXPECT_NE(RunGenerator(dir.path() + "/no/such/folder"), 0);
    for (const char* bad : {"0", "5", "2x", "", "-1", "99999999999999999999"})
        EXPECT_EQ(RunGenerator(dir.path(), {bad}), 2) << bad;
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
