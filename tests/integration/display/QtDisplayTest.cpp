// The display control with its window: events, input codes, letterboxing, repainting only what
// changed, warnings, and the window size inside a host (living in a real host is end-to-end
// tested).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include "TestPictures.h"
#include "display/qt/KeyCodes.h"
#include "display/qt/Presentation.h"
#include "display/qt/QtDisplay.h"

namespace driftmere {
namespace {

using testing::TestPictures;

struct Sink : DisplayEvents {
    int frames = 0, clicks = 0, moves = 0;
    std::vector<int> keys;
    void RenderFrame() override { ++frames; }
    void KeyDown(std::int16_t code) override { keys.push_back(code); }
    void MouseClick() override { ++clicks; }
    void MouseMove() override { ++moves; }
};

// Runs the event loop until `done` holds or a generous deadline passes (no timing is asserted).
template <typename F>
bool ProcessUntil(F done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class QtDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        display.SetEventSink(&sink);
        ASSERT_TRUE(display.OpenDisplay(800, 600, 16, ""));
        ASSERT_NE(display.window(), nullptr);
        ProcessUntil([&] { return display.window()->isExposed() && display.paintCount() > 0; });
        Settle();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(display.window(), &press);
    }
    void Mouse(QEvent::Type type, QPoint at) {
        QMouseEvent event(type, at, display.window()->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(display.window(), &event);
    }
    Sink sink;
    QtDisplay display;
    TestPictures files;
};

TEST_F(QtDisplayTest, RaisesFramesOnlyWhileItHasASink) {
    EXPECT_TRUE(ProcessUntil([&] { return sink.frames >= 3; }));
    display.SetEventSink(nullptr);
    const int frames = sink.frames;
    Settle();
    EXPECT_EQ(sink.frames, frames);
}

TEST_F(QtDisplayTest, LettersGiveTheirCapitalWhateverTheShiftAndNoOtherKeyDoes) {
    Key(Qt::Key_N, Qt::NoModifier, "n");
    Key(Qt::Key_Z, Qt::ShiftModifier, "Z");
    Key(Qt::Key_5, Qt::NoModifier, "5");
    Key(Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_EQ(sink.keys, (std::vector<int>{78, 90, '5', KeyCodeFor(Qt::Key_Escape)}));
    EXPECT_EQ(KeyCodeFor(Qt::Key_A), 65);
    // The keys beside the letters, and special keys whose low bits spell a letter, stay clear
    // of the letters' codes.
    for (int key : {Qt::Key_A - 1, Qt::Key_Z + 1, 0x61, 0x7a, 0x01000041, 0x0100005a,
                    int(Qt::Key_Shift), int(Qt::Key_Left), 0x011fffff}) {
        const int code = KeyCodeFor(key);
        EXPECT_TRUE(code < 65 || code > 90) << std::hex << key;
    }
}

TEST_F(QtDisplayTest, ClicksCountAndOnlyRealPointerMotionDoes) {
    Mouse(QEvent::MouseButtonPress, QPoint(10, 10));
    EXPECT_EQ(sink.clicks, 1);
    Mouse(QEvent::MouseMove, QPoint(50, 50));
    Mouse(QEvent::MouseMove, QPoint(50, 50));  // no change of position: not a move
    Mouse(QEvent::MouseMove, QPoint(51, 50));
    EXPECT_EQ(sink.moves, 2);
}

// Inside a host window the host owns the keyboard and the mouse: nothing is passed on, or a
// key meant for the host's dialog would end the saver.
TEST(DisplayWindow, InsideAHostPassesNoInputOn) {
    struct Listener : DisplayWindow::Listener {
        int events = 0;
        void WindowKey(int) override { ++events; }
        void WindowClick() override { ++events; }
        void WindowPointerMoved() override { ++events; }
    } listener;
    const QImage frame(800, 600, QImage::Format_RGB32);
    DisplayWindow child(frame, listener, false);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&child, &key);
    QCoreApplication::sendEvent(&child, &click);
    EXPECT_EQ(listener.events, 0);
}

// The window repaints what the compositor found changed, at its place in the window, and
// nothing for an unchanged frame.
TEST_F(QtDisplayTest, TheWindowRepaintsOnlyWhatChanged) {
    display.SetEventSink(nullptr);  // frames are driven by hand here
    const SurfaceId balloon = display.CreateSurface();
    display.LoadPicture(balloon, files("keyed.bmp"), kKeyedOrAlpha);
    display.SetSurfaceX(balloon, 300);
    display.SetSurfaceY(balloon, 300);
    auto frame = [&] {
        display.ClearFrame(kBlack);
        display.DrawSurface(balloon);
        display.Flip();
    };
    const int before = display.paintCount();
    frame();  // the first frame after opening repaints everything
    ProcessUntil([&] { return display.paintCount() > before; });
    Settle();
    const int paints = display.paintCount();
    frame();
    Settle();
    EXPECT_EQ(display.paintCount(), paints);

    display.MoveSurfaceY(balloon, 2);
    frame();
    EXPECT_TRUE(ProcessUntil([&] { return display.paintCount() > paints; }));
    const QRect place = LetterboxRect({800, 600}, display.window()->size());
    EXPECT_EQ(display.lastPainted(), WindowRegionFor(display.lastDamage(), {800, 600}, place));
    EXPECT_EQ(display.lastDamage(), QRegion(300, 298, 20, 22));  // old and new places together
}

TEST_F(QtDisplayTest, AWideWindowShowsTheFrameScaledBetweenBlackBars) {
    EXPECT_EQ(LetterboxRect({800, 600}, {1920, 1080}), QRect(240, 0, 1440, 1080));
    EXPECT_EQ(LetterboxRect({800, 600}, {800, 600}), QRect(0, 0, 800, 600));
    EXPECT_EQ(LetterboxRect({800, 600}, {1280, 1024}), QRect(0, 32, 1280, 960));
    EXPECT_FALSE(NeedsSmoothScaling({800, 600}, QRect(0, 0, 1600, 1200)));

    display.window()->showNormal();  // a full-screen window keeps the screen's size
    display.window()->setGeometry(0, 0, 1920, 1080);
    display.ClearFrame(0xffffff);
    display.Flip();
    ProcessUntil([&] { return display.lastPainted().boundingRect().width() == 1920; });
    const QImage shown =
        display.window()->screen()->grabWindow(display.window()->winId()).toImage();
    ASSERT_EQ(shown.size(), QSize(1920, 1080));
    EXPECT_EQ(QColor(shown.pixel(100, 540)), QColor(Qt::black));
    EXPECT_EQ(QColor(shown.pixel(1800, 540)), QColor(Qt::black));
    EXPECT_EQ(QColor(shown.pixel(245, 5)), QColor(Qt::white));
    EXPECT_EQ(QColor(shown.pixel(1675, 1075)), QColor(Qt::white));
    // A change in the frame repaints its scaled place, a pixel wider for the filtering.
    EXPECT_EQ(WindowRegionFor(QRegion(100, 100, 10, 10), {800, 600}, QRect(240, 0, 1440, 1080)),
              QRegion(419, 179, 20, 20));
}

TEST_F(QtDisplayTest, EachUnreadablePictureWarnsOnceAndTheRestStillDraws) {
    // A FIFO would block a reader that opens it like a file until someone writes to it.
    ASSERT_EQ(mkfifo(files("fifo.bmp").c_str(), 0600), 0);
    ::testing::internal::CaptureStderr();
    for (const char* name : {"missing.bmp", "garbage.bmp", "truncated.bmp", "fifo.bmp"}) {
        display.LoadPicture(display.CreateSurface(), files(name), kKeyedOrAlpha);
    }
    const SurfaceId backdrop = display.CreateSurface();
    display.LoadPicture(backdrop, files("backdrop.bmp"), kOpaque);
    for (SurfaceId s = 1; s <= backdrop; ++s) display.DrawSurface(s);
    display.Flip();
    const std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 4) << warnings;
    for (const char* name : {"missing.bmp", "garbage.bmp", "truncated.bmp", "fifo.bmp"})
        EXPECT_NE(warnings.find(name), std::string::npos) << name;
    EXPECT_EQ(QColor(display.frameImage().pixel(0, 0)), QColor(10, 120, 200));
}

// However large a host grows, the window the scene is drawn in keeps to a bounded number of
// pixels, with the host's shape, in the host's middle; a host of a real screen's size is filled.
TEST(QtDisplayHost, AHugeHostGetsABoundedWindowInItsMiddle) {
    for (QSize host : {QSize(7680, 4320), QSize(10000, 10000), QSize(32767, 32767),
                       QSize(65535, 65535), QSize(65535, 2000), QSize(65535, 1)}) {
        const QRect place = HostedWindowRect(host);
        const qint64 pixels = qint64{place.width()} * place.height();
        EXPECT_LE(pixels, kLargestWindowPixels) << host.width() << "x" << host.height();
        EXPECT_GE(place.width(), 1);
        EXPECT_GE(place.height(), 1);
        EXPECT_LE(std::abs(place.center().x() - (host.width() - 1) / 2), 1);
        EXPECT_LE(std::abs(place.center().y() - (host.height() - 1) / 2), 1);
        const double shape = double(place.width()) / place.height();
        if (place.height() > 100) {
            EXPECT_NEAR(shape / (double(host.width()) / host.height()), 1.0, 0.01);
        }
    }
    for (QSize host : {QSize(400, 300), QSize(3840, 2160), QSize(5120, 2880), QSize(0, 0)})
        EXPECT_EQ(HostedWindowRect(host).size(), host.expandedTo({1, 1}));
}

TEST(QtDisplayHost, RefusesAWindowItCannotDrawIn) {
    QtDisplay display(QtDisplay::Options{.hostWindow = 0x7ffffff0, .showFps = false});
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(display.OpenDisplay(800, 600, 16, ""));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(display.window(), nullptr);
}

TEST(QtDisplayHost, FpsLineAppearsInTheBottomLeftCorner) {
    QtDisplay display(QtDisplay::Options{.hostWindow = 0, .showFps = true});
    Sink sink;
    display.SetEventSink(&sink);
    ASSERT_TRUE(display.OpenDisplay(800, 600, 16, ""));
    ProcessUntil([&] { return false; }, 1100);
    display.Flip();
    const QImage frame = display.frameImage();
    int yellow = 0;
    for (int y = 560; y < 600; ++y)
        for (int x = 0; x < 200; ++x) yellow += QColor(frame.pixel(x, y)) == QColor(Qt::yellow);
    EXPECT_GT(yellow, 20);
}

}  // namespace
}  // namespace driftmere
