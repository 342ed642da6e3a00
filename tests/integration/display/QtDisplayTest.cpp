// The display with its window: events, key codes, letterboxing, repaints, warnings, host sizes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <atomic>
#include <chrono>
#include <thread>

#include "TestPictures.h"
#include "display/qt/KeyCodes.h"
#include "display/qt/Presentation.h"
#include "display/qt/QtDisplay.h"

namespace driftmere {
namespace {

using testing::TestPictures;
using namespace std::chrono_literals;

struct Sink : DisplayEvents {
    int frames = 0, clicks = 0, moves = 0;
    std::vector<int> keys;
    void RenderFrame() override { ++frames; }
    void KeyDown(std::int16_t code) override { keys.push_back(code); }
    void MouseClick() override { ++clicks; }
    void MouseMove() override { ++moves; }
};

template <typename F>
bool ProcessUntil(F done, int ms = 5000) {
    for (QDeadlineTimer deadline(ms); !done() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class QtDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        display.SetEventSink(&sink);
        ASSERT_TRUE(display.OpenDisplay(800, 600));
        ASSERT_NE(display.window(), nullptr);
        ProcessUntil([&] { return display.window()->isExposed() && display.paintCount() > 0; });
        Settle();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(display.window(), &press);
    }
    void Mouse(QEvent::Type type, QPoint at) {
        const auto button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, display.window()->mapToGlobal(at), button, button, {});
        QCoreApplication::sendEvent(display.window(), &event);
    }
    Sink sink;
    QtDisplay display;
    TestPictures files;
};

// Letters give their capital whatever the shift; clicks count, and only real pointer motion.
TEST_F(QtDisplayTest, KeysClicksAndMovesReachTheSink) {
    Key(Qt::Key_N, Qt::NoModifier, "n");
    Key(Qt::Key_Z, Qt::ShiftModifier, "Z");
    Key(Qt::Key_5, Qt::NoModifier, "5");
    Key(Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_EQ(sink.keys, (std::vector<int>{78, 90, '5', KeyCodeFor(Qt::Key_Escape)}));
    // Keys beside the letters, and special keys whose low bits spell one, keep off their codes.
    for (int key : {Qt::Key_A - 1, Qt::Key_Z + 1, 0x61, 0x7a, 0x01000041, 0x0100005a,
                    int(Qt::Key_Shift), int(Qt::Key_Left), 0x011fffff}) {
        const int code = KeyCodeFor(key);
        EXPECT_TRUE(code < 65 || code > 90) << std::hex << key;
    }
    Mouse(QEvent::MouseButtonPress, QPoint(10, 10));
    EXPECT_EQ(sink.clicks, 1);
    Mouse(QEvent::MouseMove, QPoint(50, 50));
    Mouse(QEvent::MouseMove, QPoint(50, 50));  // no change of position: not a move
    Mouse(QEvent::MouseMove, QPoint(51, 50));
    EXPECT_EQ(sink.moves, 2);
}

// Inside a host, a key meant for the host's dialog must not end the saver.
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

TEST_F(QtDisplayTest, TheWindowRepaintsOnlyWhatChanged) {
    EXPECT_TRUE(ProcessUntil([&] { return sink.frames >= 3; }));
    display.SetEventSink(nullptr);  // no more frames are raised: they are driven by hand here
    const int frames = sink.frames;
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
    EXPECT_EQ(sink.frames, frames);
}

TEST_F(QtDisplayTest, AWideWindowShowsTheFrameScaledBetweenBlackBars) {
    EXPECT_EQ(LetterboxRect({800, 600}, {1920, 1080}), QRect(240, 0, 1440, 1080));
    EXPECT_EQ(LetterboxRect({800, 600}, {1280, 1024}), QRect(0, 32, 1280, 960));
    EXPECT_FALSE(NeedsSmoothScaling({800, 600}, QRect(0, 0, 1600, 1200)));  // exactly twice

    display.window()->showNormal();  // a full-screen window keeps the screen's size
    display.window()->setGeometry(0, 0, 1920, 1080);
    display.ClearFrame(0xffffff);
    display.Flip();
    ProcessUntil([&] { return display.lastPainted().boundingRect().width() == 1920; });
    const QImage shown =
        display.window()->screen()->grabWindow(display.window()->winId()).toImage();
    ASSERT_EQ(shown.size(), QSize(1920, 1080));
    // Every row of the scene, drawn band by band, is white; the bars are black.
    int wrong = 0;
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 1920; ++x) {
            const bool inside = x >= 240 && x < 1680;
            wrong += shown.pixel(x, y) != (inside ? 0xffffffffu : 0xff000000u);
        }
    }
    EXPECT_EQ(wrong, 0);
    // A change repaints its scaled place, a pixel wider for the filtering.
    EXPECT_EQ(WindowRegionFor(QRegion(100, 100, 10, 10), {800, 600}, QRect(240, 0, 1440, 1080)),
              QRegion(419, 179, 20, 20));
}

// A window is composed at its own device pixels from its next frame on: the letterbox of the
// scene in it, shown pixel for pixel.
TEST_F(QtDisplayTest, TheDensityFollowsTheWindowsSize) {
    auto sizeAfterResize = [&](QSize size) {
        display.window()->showNormal();  // a full-screen window keeps its screen's size
        display.window()->resize(size);
        // Two frames later the density has been checked at least once since the resize.
        const int until = sink.frames + 2;
        ProcessUntil([&] { return sink.frames >= until; });
        display.ClearFrame(kBlack);
        display.Flip();
        return display.frameImage().size();
    };
    EXPECT_EQ(sizeAfterResize({1600, 1200}), QSize(1600, 1200));
    EXPECT_EQ(sizeAfterResize({1920, 1080}), QSize(1440, 1080));
    EXPECT_EQ(sizeAfterResize({1100, 700}), QSize(933, 700));
    EXPECT_EQ(display.compositorCount(), 1u);
}

// Unreadable pictures, and pictures larger than their role needs (refused from their header,
// before they are decoded), each warn once and draw nothing.
TEST_F(QtDisplayTest, EachUnreadableOrOversizedPictureWarnsOnceAndTheRestStillDraws) {
    ASSERT_EQ(mkfifo(files("fifo.bmp").c_str(), 0600), 0);  // would block a plain open
    files.Solid("wide-balloon.bmp", {321, 20}, Qt::red);
    files.Solid("big-backdrop.png", {801, 600}, Qt::red);
    ::testing::internal::CaptureStderr();
    const std::pair<const char*, Transparency> bad[] = {
        {"missing.bmp", kKeyedOrAlpha},   {"garbage.bmp", kKeyedOrAlpha},
        {"truncated.bmp", kKeyedOrAlpha}, {"boundless.bmp", kKeyedOrAlpha},
        {"fifo.bmp", kKeyedOrAlpha},      {"wide-balloon.bmp", kKeyedOrAlpha},
        {"big-backdrop.png", kOpaque}};
    // A load that opened the FIFO without O_NONBLOCK would wait there for a writer: five seconds
    // on, one comes, so that the test fails instead of hanging.
    std::atomic<bool> loaded = false, waited = false;
    std::thread watch([&, fifo = files("fifo.bmp")] {
        for (int i = 0; i < 500 && !loaded; ++i) std::this_thread::sleep_for(10ms);
        if (const int fd = loaded ? -1 : ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
            waited = true, ::close(fd);
    });
    for (auto [name, transparency] : bad)
        display.LoadPicture(display.CreateSurface(), files(name), transparency);
    loaded = true;
    watch.join();
    EXPECT_FALSE(waited) << "a picture load waited on a FIFO for a writer";
    const SurfaceId backdrop = display.CreateSurface();
    display.LoadPicture(backdrop, files("backdrop.bmp"), kOpaque);
    for (SurfaceId s = 1; s <= backdrop; ++s) display.DrawSurface(s);
    display.Flip();
    const std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 7) << warnings;
    for (auto [name, transparency] : bad) EXPECT_NE(warnings.find(name), std::string::npos) << name;
    EXPECT_NE(warnings.find("321 x 20 pixels is larger than 320 x 320"), std::string::npos);
    EXPECT_NE(warnings.find("801 x 600 pixels is larger than 800 x 600"), std::string::npos);
    EXPECT_EQ(QColor(display.frameImage().pixel(0, 0)), QColor(10, 120, 200));
}

// While every window is wholly covered no frame is raised or set; uncovered, frames come again.
TEST_F(QtDisplayTest, ACoveredWindowGetsNoFramesUntilUncovered) {
    auto visibility = [&](std::uint8_t state) {
        xcb_visibility_notify_event_t event{};
        event.response_type = XCB_VISIBILITY_NOTIFY;
        event.window = static_cast<xcb_window_t>(display.window()->winId());
        event.state = state;
        qintptr result = 0;
        QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &event,
                                                                &result);
    };
    ASSERT_TRUE(ProcessUntil([&] { return sink.frames >= 2; }));
    visibility(XCB_VISIBILITY_FULLY_OBSCURED);
    const int frames = sink.frames;
    EXPECT_TRUE(ProcessUntil([&] { return !display.frameScheduled(); }));
    Settle();
    EXPECT_EQ(sink.frames, frames);
    visibility(XCB_VISIBILITY_PARTIALLY_OBSCURED);
    EXPECT_TRUE(ProcessUntil([&] { return sink.frames > frames; }));
}

// A huge host gets a bounded window of its shape in its middle; a real screen's size is filled.
TEST(QtDisplayHost, AHugeHostGetsABoundedWindowInItsMiddle) {
    for (QSize host : {QSize(7680, 4320), QSize(10000, 10000), QSize(32767, 32767),
                       QSize(65535, 65535), QSize(65535, 2000), QSize(65535, 1)}) {
        const QRect place = HostedWindowRect(host);
        SCOPED_TRACE(std::to_string(host.width()) + "x" + std::to_string(host.height()));
        EXPECT_LE(qint64{place.width()} * place.height(), kLargestWindowPixels);
        EXPECT_TRUE(place.width() >= 1 && place.height() >= 1);
        const QPoint middle((host.width() - 1) / 2, (host.height() - 1) / 2);
        EXPECT_LE((place.center() - middle).manhattanLength(), 2);
        const double shape = double(place.width()) * host.height() / place.height() / host.width();
        EXPECT_NEAR(place.height() > 100 ? shape : 1.0, 1.0, 0.01);  // the shape kept
    }
    for (QSize host : {QSize(400, 300), QSize(3840, 2160), QSize(5120, 2880), QSize(0, 0)})
        EXPECT_EQ(HostedWindowRect(host).size(), host.expandedTo({1, 1}));
}

TEST(QtDisplayHost, FpsLineAppearsInTheBottomLeftCorner) {
    QtDisplay display(QtDisplay::Options{.hostWindow = 0, .showFps = true});
    Sink sink;
    display.SetEventSink(&sink);
    ASSERT_TRUE(display.OpenDisplay(800, 600));
    // The line comes once a second of frames has been counted.
    const auto shown = [&] {
        display.Flip();
        int yellow = 0;
        for (int y = 560; y < 600; ++y)
            for (int x = 0; x < 200; ++x) yellow += display.frameImage().pixel(x, y) == 0xffffff00;
        return yellow > 20;
    };
    EXPECT_TRUE(ProcessUntil(shown));
}

}  // namespace
}  // namespace driftmere
