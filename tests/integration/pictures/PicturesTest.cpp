// Checks the pictures the build paints: that each is there at its size, at 1x and 2x, that the
// balloons cut out cleanly over any backdrop, that the backdrops are real scenes, that the 2x set
// shows the same pictures as the 1x one, and that painting them again gives the same bytes.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/Scene.h"

namespace {

// The names without ".bmp" of the scene's pictures.
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
    for (const std::string& b : kBackdrops) {
        all.push_back({b, {800, 600}});
        all.push_back({"thumb-" + b, {96, 72}});
    }
    for (const std::string& b : kBalloons) all.push_back({b, Load(b + ".bmp").size()});
    return all;
}

std::string Twice(const std::string& name) { return name + "@2x.png"; }

std::vector<std::string> AllFiles() {
    std::vector<std::string> files;
    for (const auto& [name, size] : AllPictures()) {
        files.push_back(name + ".bmp");
        files.push_back(Twice(name));
    }
    return files;
}

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

// WCAG relative luminance, for how well yellow text stands out.
double RelativeLuminance(QRgb p) {
    auto lin = [](int c) {
        double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(qRed(p)) + 0.7152 * lin(qGreen(p)) + 0.0722 * lin(qBlue(p));
}

// Averages each 2 x 2 block, colour weighted by alpha, as the display would see the 2x picture
// from the 1x distance.
QImage HalveBox(const QImage& source) {
    QImage src = source.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.width() / 2, src.height() / 2, QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int i = 0; i < 4; ++i) {
                QRgb p = src.pixel(2 * x + i % 2, 2 * y + i / 2);
                double w = qAlpha(p) / 255.0;
                r += w * qRed(p);
                g += w * qGreen(p);
                b += w * qBlue(p);
                a += w;
            }
            out.setPixel(x, y,
                         a > 0 ? qRgba(int(r / a + 0.5), int(g / a + 0.5), int(b / a + 0.5),
                                       int(a * 255 / 4 + 0.5))
                               : 0);
        }
    }
    return out;
}

// Mean absolute difference of alpha-weighted colour and of alpha, 0..255.
double MeanAbsPremultiplied(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            double pa = qAlpha(p) / 255.0, qa = qAlpha(q) / 255.0;
            sum += std::abs(pa * qRed(p) - qa * qRed(q)) +
                   std::abs(pa * qGreen(p) - qa * qGreen(q)) +
                   std::abs(pa * qBlue(p) - qa * qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return sum / (4.0 * a.width() * a.height());
}

// The 1x files are BMPs of the two kinds the saver reads; the 2x set is PNG, with alpha for the
// balloons only, and the same picture painted with more detail, not another picture and not
// shifted by a pixel: halved again it must come close to its twin (today's worst is under 1 in
// 255; two different backdrops differ by more than 9).
TEST(Pictures, EveryFileIsThereAtItsSizeAndKindAndTheTwiceSizeShowsTheSame) {
    ASSERT_FALSE(DataDir().isEmpty()) << "DRIFTMERE_DATA_DIR is not set";
    const QByteArray png("\x89PNG\r\n\x1a\n", 8);
    for (const auto& [name, size] : AllPictures()) {
        SCOPED_TRACE(name);
        const bool balloon = name.rfind("balloon", 0) == 0;
        QImage one = Load(name + ".bmp"), two = Load(Twice(name));
        ASSERT_FALSE(one.isNull());
        ASSERT_FALSE(two.isNull());
        EXPECT_EQ(one.size(), size);
        EXPECT_EQ(BitsPerPixel(name + ".bmp"), balloon ? 32 : 24);
        EXPECT_EQ(Head(Twice(name), 8), png);
        EXPECT_EQ(two.hasAlphaChannel(), balloon);
        QImage halved = HalveBox(two);
        ASSERT_EQ(halved.size() * 2, two.size());
        ASSERT_EQ(halved.size(), one.size());
        EXPECT_LT(MeanAbsPremultiplied(one.convertToFormat(QImage::Format_ARGB32), halved), 2.0);
    }
}

// The runs of fully opaque pixels down the picture's centre column, as [first, last] rows.
std::vector<std::pair<int, int>> CentreRuns(const QImage& img) {
    std::vector<std::pair<int, int>> runs;
    for (int y = 0, cx = img.width() / 2; y < img.height(); ++y) {
        if (qAlpha(img.pixel(cx, y)) != 255) continue;
        if (!runs.empty() && runs.back().second == y - 1) {
            runs.back().second = y;
        } else {
            runs.push_back({y, y});
        }
    }
    return runs;
}

// No pixel left fully transparent between a row's first and last visible pixel.
void ExpectRowClosed(const QImage& img, int y) {
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x) {
        if (qAlpha(img.pixel(x, y)) > 0) {
            if (first < 0) first = x;
            last = x;
        }
    }
    for (int x = first; x >= 0 && x <= last; ++x)
        ASSERT_GT(qAlpha(img.pixel(x, y)), 0) << "hole at " << x << ", " << y;
}

// A balloon waits out of sight left of the screen (x = -120, or -140 for balloons 12 and 13)
// and 170 pixels above it, so it must fit in that room. It is a solid shape on a clear ground;
// a reader that drops the alpha channel leaves out every pixel of the top-left pixel's colour,
// black, so nothing of the balloon itself may be black, or holes would open.
// The 2x balloons must hold to the same rules at twice the size.
TEST(Pictures, BalloonsAreSolidShapesOnAClearGroundWithNoBlackInside) {
    for (size_t n = 0; n < 2 * kBalloons.size(); ++n) {
        const size_t i = n % kBalloons.size();
        const int k = n < kBalloons.size() ? 1 : 2;
        const std::string file = k == 1 ? kBalloons[i] + ".bmp" : Twice(kBalloons[i]);
        SCOPED_TRACE(file);
        QImage img = Load(file);
        ASSERT_FALSE(img.isNull());
        ASSERT_TRUE(img.hasAlphaChannel());
        img = img.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height();
        EXPECT_GE(w, 90 * k);
        EXPECT_LE(w, (i >= 11 ? 140 : 120) * k);
        EXPECT_LE(h, 170 * k);
        EXPECT_GE(h, w * 1.25);
        EXPECT_LE(h, w * 1.55);

        int visible = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const QRgb p = img.pixel(x, y);
                const bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
                ASSERT_TRUE(!border || qAlpha(p) == 0) << "border pixel at " << x << ", " << y;
                if (qAlpha(p) == 0) {
                    ASSERT_EQ(p & 0xffffff, 0u)
                        << "clear pixel with a colour at " << x << ", " << y;
                } else {
                    ASSERT_NE(p & 0xffffff, 0u) << "black balloon pixel at " << x << ", " << y;
                    ++visible;
                }
            }
        }
        EXPECT_GT(visible, w * h / 3);

        // Down the middle: the envelope from its crown to the throat, a gap where only the
        // wires are, then the burner and the basket down to the floor.
        auto runs = CentreRuns(img);
        ASSERT_GE(runs.size(), 2u);
        auto envelope = runs.front(), basket = runs.back();
        EXPECT_LE(envelope.first, 4 * k);
        EXPECT_GT(envelope.second - envelope.first, h * 0.6);
        EXPECT_GE(basket.second, h - 4 * k);
        EXPECT_GE(basket.second - basket.first, 6 * k);
        for (int y = envelope.first; y <= envelope.second; ++y) ExpectRowClosed(img, y);
    }
}

TEST(Pictures, BackdropsAreDistinctScenesWithAReadableTopStripAndTheirOwnThumbnails) {
    std::vector<QImage> images;
    for (const std::string& b : kBackdrops) {
        SCOPED_TRACE(b);
        QImage img = Load(b + ".bmp").convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(img.size(), QSize(800, 600));
        double sum = 0, sq = 0;
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                double l = Luma(img.pixel(x, y));
                sum += l;
                sq += l * l;
            }
        }
        double mean = sum / 480000, sd = std::sqrt(sq / 480000 - mean * mean);
        EXPECT_GT(sd, 20.0) << "too flat to be a scene";

        // The clock and the message are written in yellow with a black shadow across the top:
        // nearly all of that strip must be dark enough for yellow to stand out.
        const double yellow = RelativeLuminance(qRgb(255, 255, 0));
        int poor = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 800; ++x) {
                double ratio = (yellow + 0.05) / (RelativeLuminance(img.pixel(x, y)) + 0.05);
                if (ratio < 2.5) ++poor;
            }
        }
        EXPECT_LT(poor, 800 * 40 / 100);
        // Its thumbnail shows it (backdrops differ by more than that).
        const QImage small = img.scaled(96, 72, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(MeanAbsPremultiplied(Load("thumb-" + b + ".bmp"), small), 4.5);
        images.push_back(img);
    }
    for (size_t i = 0; i < images.size(); ++i) {
        for (size_t j = i + 1; j < images.size(); ++j) {
            EXPECT_GT(MeanAbsPremultiplied(images[i], images[j]), 9.0)
                << kBackdrops[i] << " looks like " << kBackdrops[j];
        }
    }
}

// The preview and the banner carry the balloons, and the banner the name in pale lettering;
// without its font the banner would come out unlettered and still the right size.
TEST(Pictures, PreviewAndBannerShowBalloonsAndTheName) {
    auto count = [](const QImage& img, QRect area, auto&& pick) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) n += pick(img.pixel(x, y)) ? 1 : 0;
        }
        return n;
    };
    auto warm = [](QRgb p) { return qRed(p) > 170 && qBlue(p) < 90 && qRed(p) - qBlue(p) > 120; };
    QImage preview = Load("preview.bmp");
    ASSERT_FALSE(preview.isNull());
    EXPECT_GT(count(preview, QRect(0, 0, 153, 60), warm), 40) << "no balloon in the preview";

    QImage banner = Load("banner.bmp");
    ASSERT_FALSE(banner.isNull());
    EXPECT_GT(count(banner, banner.rect(), warm), 60) << "no balloon in the banner";
    auto pale = [](QRgb p) { return qRed(p) > 235 && qGreen(p) > 225 && qBlue(p) > 180; };
    auto shadow = [](QRgb p) { return Luma(p) < 110; };
    QRect lettering(70, 15, 270, 55);
    EXPECT_GT(count(banner, lettering, pale), 800) << "no lettering on the banner";
    EXPECT_GT(count(banner, lettering, shadow), 300) << "lettering without its outline";
}

QString Generator() {
    const char* build = std::getenv("DRIFTMERE_BUILD_DIR");
    return build ? QString::fromLocal8Bit(build) + "/assets/pictures/driftmere-paint" : QString();
}

int RunGenerator(const QString& folder, const QStringList& more = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
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
    std::vector<std::string> expected = AllFiles();
    EXPECT_EQ(QDir(again.path()).entryList(QDir::Files).size(), qsizetype(expected.size()));
    for (const std::string& name : expected) {
        SCOPED_TRACE(name);
        QByteArray a = Bytes(again.path() + "/" + QString::fromStdString(name));
        ASSERT_FALSE(a.isEmpty());
        EXPECT_TRUE(a == Bytes(PathOf(name))) << "differs from the build's copy";
    }
}

TEST(Pictures, GeneratorRefusesAFolderItCannotWriteAndScalesItCannotPaint) {
    QTemporaryDir dir;
    EXPECT_NE(RunGenerator(dir.path() + "/no/such/folder"), 0);
    for (const char* bad : {"0", "5", "2x", "", "-1", "99999999999999999999"}) {
        EXPECT_EQ(RunGenerator(dir.path(), {bad}), 2) << bad;
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
