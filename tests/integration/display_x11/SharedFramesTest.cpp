// The display on a real X server (a private Xvfb started before the application), where the
// server reads the frames from our memory: what the window shows must be the composed frame,
// letterboxed between black bars, after partial repaints as after a full one, and also when a
// frame leaves shared memory and is painted through Qt instead.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../display/TestPictures.h"
#include "display/qt/QtDisplay.h"

namespace driftmere {
namespace {

// Started before main makes the application, which then connects to it. The server picks its
// own free display number and writes it to our pipe (-displayfd).
struct PrivateXServer {
    PrivateXServer() {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return;
        pid = fork();
        if (pid == 0) {
            close(pipeEnds[0]);
            const std::string fd = std::to_string(pipeEnds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp",
                   "-screen", "0", "1920x1080x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        if (pid < 0) return;
        char number[16] = {};
        std::size_t got = 0;
        while (got < sizeof number - 1) {
            const ssize_t n = read(pipeEnds[0], number + got, sizeof number - 1 - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
            if (number[got - 1] == '\n') break;
        }
        close(pipeEnds[0]);
        if (got < 2 || number[got - 1] != '\n') return;
        number[got - 1] = 0;
        qputenv("DISPLAY", QByteArray(":") + number);
        qputenv("QT_QPA_PLATFORM", "xcb");
        running = true;
    }
    ~PrivateXServer() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pid_t pid = -1;
    bool running = false;
} xserver;

template <typename F>
bool ProcessUntil(F done, int ms = 10000) {
    for (QDeadlineTimer deadline(ms); !done() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// How many pixels of the window differ from the frame inside the letterbox, or from black
// outside it. Reading the window back is a question to the server, answered after every part
// sent before it.
int WrongPixels(QtDisplay& display) {
    const DisplayWindow& window = *display.windows().front();
    const QImage shown =
        window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage frame = display.frameImage();
    const QRect place = window.FrameRect();
    if (shown.size() != window.size() || place.size() != frame.size()) return -1;
    int wrong = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb want =
                place.contains(x, y) ? frame.pixel(x - place.x(), y - place.y()) : qRgb(0, 0, 0);
            wrong += shown.pixel(x, y) != want;
        }
    }
    return wrong;
}

TEST(SharedFrames, TheWindowShowsTheComposedFrameAfterEveryPartialRepaint) {
    if (!xserver.running) GTEST_SKIP() << "no Xvfb";
    testing::TestPictures files;
    QtDisplay display;
    ASSERT_TRUE(display.OpenDisplay(800, 600));
    DisplayWindow& window = *display.windows().front();
    ASSERT_TRUE(ProcessUntil([&] { return window.isExposed() && window.paintCount() > 0; }));
    std::vector<SurfaceId> ids;
    for (const QString name : {"backdrop.bmp", "keyed.bmp", "alpha.bmp"}) {
        ids.push_back(display.CreateSurface());
        display.LoadPicture(ids.back(), files(name),
                            name == "backdrop.bmp" ? kOpaque : kKeyedOrAlpha);
    }
    QRandomGenerator random(7);
    const auto frame = [&] {
        for (SurfaceId s : ids) {
            display.MoveSurfaceX(s, random.bounded(-3, 4));
            display.MoveSurfaceY(s, random.bounded(-3, 4));
        }
        display.ClearFrame(kBlack);
        for (SurfaceId s : ids) display.DrawSurface(s);
        display.WaitForDecodes();
        display.Flip();
    };
    frame();  // composed at the window's own pixels from here on
    ASSERT_EQ(window.frame().size(), QSize(1440, 1080));
    for (int step = 0; step < 8; ++step) frame();
    EXPECT_EQ(WrongPixels(display), 0);
    EXPECT_FALSE(window.paintsThroughQt()) << "the server should read the frame itself";

    // A copy of the frame held elsewhere: the next drawing moves the frame out of the shared
    // memory, and the window paints it through Qt, as right as before.
    const QImage held = display.frameImage();
    for (int step = 0; step < 4; ++step) frame();
    EXPECT_EQ(WrongPixels(display), 0);
    EXPECT_TRUE(window.paintsThroughQt());
}

}  // namespace
}  // namespace driftmere
