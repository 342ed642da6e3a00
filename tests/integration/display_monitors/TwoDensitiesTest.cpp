// The display on two monitors of different density at once: Qt's offscreen platform, given two
// screens (an 800x600 one and a 1920x1080 one beside it) before the application starts.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdlib>
#include <set>

#include "../display/TestPictures.h"
#include "display/qt/QtDisplay.h"

namespace driftmere {
namespace {

// Runs before main makes the application: the platform reads its screens from this file. The
// file lives in a folder of this process's own (mkdtemp), never under a guessed shared name.
struct TwoScreens {
    TwoScreens() {
        char folder[] = "/tmp/driftmere-screens.XXXXXX";
        if (mkdtemp(folder) == nullptr) return;
        path = QString::fromLocal8Bit(folder) + QStringLiteral("/screens.json");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(R"({"screens": [
            {"name": "small", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96},
            {"name": "large", "x": 800, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96}
        ]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
    }
    ~TwoScreens() {
        if (!path.isEmpty()) QDir(QFileInfo(path).path()).removeRecursively();
    }
    QString path;
} twoScreens;

// Each monitor gets the frame of its own density, composed once from the same calls; redrawing
// only what changed gives exactly a full redraw's picture in both, frame after frame.
TEST(TwoDensities, EachMonitorsFrameMatchesAFullRedrawAtItsDensity) {
    testing::TestPictures files;
    QtDisplay display;
    ASSERT_TRUE(display.OpenDisplay(800, 600));
    ASSERT_EQ(display.windows().size(), 2u);
    const auto& windows = display.windows();
    // Composing a frame makes the display look at its windows' sizes.
    // The twins, read in the background, arrive at the next draw in the display and here alike.
    const auto frame = [&](auto&& draw) {
        display.ClearFrame(kBlack);
        draw();
        display.WaitForDecodes();
        display.Flip();
    };
    std::vector<SurfaceId> ids;
    for (const QString name : {"backdrop.bmp", "keyed.bmp", "alpha.bmp"}) {
        ids.push_back(display.CreateSurface());
        display.LoadPicture(ids.back(), files(name),
                            name == "backdrop.bmp" ? kOpaque : kKeyedOrAlpha);
    }
    // Full redraws at each window's size, from the same calls.
    std::vector<std::unique_ptr<Compositor>> fresh;
    QRandomGenerator random(5);
    for (int step = 0; step < 60; ++step) {
        const auto draw = [&](auto&& each) {
            for (SurfaceId s : ids) each(s);
        };
        for (SurfaceId s : ids) {
            display.MoveSurfaceX(s, random.bounded(-2, 3));
            display.MoveSurfaceY(s, random.bounded(-2, 3));
        }
        frame([&] { draw([&](SurfaceId s) { display.DrawSurface(s); }); });
        if (step == 0) {
            ASSERT_EQ(display.compositorCount(), 2u);
            const QSize a = windows[0]->frame().size(), b = windows[1]->frame().size();
            ASSERT_EQ(std::set({a.width(), b.width()}), std::set({800, 1440}));
            for (const auto& window : windows) {
                auto& c = fresh.emplace_back(std::make_unique<Compositor>());
                for (const QString name : {"backdrop.bmp", "keyed.bmp", "alpha.bmp"}) {
                    c->LoadPicture(c->CreateSurface(), files.Path(name),
                                   name == "backdrop.bmp" ? kOpaque : kKeyedOrAlpha, nullptr);
                }
                c->SetDeviceSize(window->frame().size());
            }
        }
        for (std::size_t w = 0; w < windows.size(); ++w) {
            Compositor& c = *fresh[w];
            c.ClearFrame(kBlack);
            draw([&](SurfaceId s) {
                c.SetSurfaceX(s, display.GetSurfaceX(s));
                c.SetSurfaceY(s, display.GetSurfaceY(s));
                c.DrawSurface(s);
            });
            c.WaitForDecodes();
            c.Invalidate();
            c.Compose();
            ASSERT_EQ(windows[w]->frame(), c.frame()) << "window " << w << ", step " << step;
        }
    }
}

}  // namespace
}  // namespace driftmere
