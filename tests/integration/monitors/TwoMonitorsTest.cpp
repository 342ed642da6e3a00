// The display on two monitors side by side (a 16:10 and a 4:3 one, from two-monitors.json):
// a window on each, each letterboxed into its own monitor, both painting every change of the one
// composed frame, the pointer hidden over both, and input from the second reaching the session.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "display/qt/Presentation.h"
#include "display/qt/QtDisplay.h"

namespace driftmere {
namespace {

// Before the test program's main makes the application: the offscreen platform with two
// monitors instead of its single one.
const bool kTwoMonitors = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + qgetenv("DRIFTMERE_SOURCE_DIR") +
                                   "/tests/integration/monitors/two-monitors.json");
    return true;
}();

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
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

TEST(TwoMonitors, OneSessionShownOnBothEachWithItsOwnBars) {
    ASSERT_EQ(QGuiApplication::screens().size(), 2) << "two-monitors.json was not read";
    Sink sink;
    QtDisplay display;
    display.SetEventSink(&sink);
    display.SetPointerHidden(true);
    ASSERT_TRUE(display.OpenDisplay(800, 600, 16, ""));
    const auto& windows = display.windows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(display.window(), windows[0].get());
    EXPECT_EQ(windows[0]->geometry(), QRect(0, 0, 1280, 800));
    EXPECT_EQ(windows[1]->geometry(), QRect(1280, 0, 1024, 768));
    // 16:10 gets bars at the sides; 4:3 is the frame's own shape and gets none.
    EXPECT_EQ(windows[0]->FrameRect(), QRect(106, 0, 1067, 800));
    EXPECT_EQ(windows[1]->FrameRect(), QRect(0, 0, 1024, 768));
    for (const auto& window : windows) {
        EXPECT_EQ(window->cursor().shape(), Qt::BlankCursor);
        EXPECT_TRUE(ProcessUntil([&] { return window->isExposed() && window->paintCount() > 0; }));
    }

    // One change of the frame: each window repaints (at least) what shows it.
    std::vector<int> paints;
    for (const auto& window : windows) paints.push_back(window->paintCount());
    display.ClearFrame(0xffffff);
    display.Flip();
    ASSERT_FALSE(display.lastDamage().isEmpty());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const DisplayWindow& window = *windows[i];
        EXPECT_TRUE(ProcessUntil([&] { return window.paintCount() > paints[i]; })) << i;
        const QRegion shows = WindowRegionFor(display.lastDamage(), {800, 600}, window.FrameRect());
        EXPECT_TRUE((shows - window.lastPainted()).isEmpty()) << i;
    }

    // Keys, clicks and motion from the second window reach the one session.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, "n");
    QCoreApplication::sendEvent(windows[1].get(), &key);
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(1285, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(windows[1].get(), &click);
    QMouseEvent move(QEvent::MouseMove, QPointF(9, 9), QPointF(1289, 9), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(windows[1].get(), &move);
    EXPECT_EQ(sink.keys, std::vector<int>{'N'});
    EXPECT_EQ(sink.clicks, 1);
    EXPECT_EQ(sink.moves, 1);
    EXPECT_TRUE(ProcessUntil([&] { return sink.frames > 2; }));
}

}  // namespace
}  // namespace driftmere
