// The Wayland display over a client that records what each output is sent, frame by frame, as
// outputs come, ask for frames and go.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegion>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include "../display/TestPictures.h"
#include "display/wayland/WaylandDisplay.h"

namespace driftmere {
namespace {

using wayland::OutputId;

// Keeps what each output shows, from the changes it is sent. With `lends`, each output has one
// buffer of the client's to compose into, busy from PresentBegun until its next FrameWanted.
struct RecordingClient : wayland::WaylandClient {
    struct Buffer {
        std::shared_ptr<QImage> memory;
        bool busy = false;
        quint64 sum = 0;                          // of its pixels when sent
        std::vector<wayland::PixelRect> missing;  // changed before the frame composed into it
    };
    int fd() const override { return -1; }
    void Dispatch() override {}
    void Flush() override {}
    void Present(OutputId output, const wayland::FramePixels& frame,
                 const std::vector<wayland::PixelRect>& changed) override {
        Show(output, frame, changed);
    }
    std::optional<wayland::FrameTarget> BeginFrame(
        OutputId output, const wayland::FramePixels& shown,
        const std::vector<wayland::PixelRect>& changed) override {
        Buffer& buffer = buffers[output];
        if (!lends || buffer.busy) return std::nullopt;
        buffer.missing = changed;
        const QImage last(shown.pixels, shown.width, shown.height, shown.stride,
                          QImage::Format_RGB32);
        if (!buffer.memory || buffer.memory->constBits() != shown.pixels)
            buffer.memory = std::make_shared<QImage>(last.copy());
        QImage& memory = *buffer.memory;
        return wayland::FrameTarget{memory.bits(), memory.width(), memory.height(),
                                    static_cast<int>(memory.bytesPerLine()), buffer.memory};
    }
    void PresentBegun(OutputId output, const std::vector<wayland::PixelRect>& changed) override {
        Buffer& buffer = buffers[output];
        const QImage& memory = *buffer.memory;
        // What the output is sent: what changed since it was last sent a frame.
        buffer.missing.insert(buffer.missing.end(), changed.begin(), changed.end());
        Show(output,
             {memory.constBits(), memory.width(), memory.height(),
              static_cast<int>(memory.bytesPerLine())},
             buffer.missing);
        buffer.busy = true;
        buffer.sum = Sum(memory);
    }
    // The compositor is done with the output's buffer: it must hold what was sent.
    void Release(OutputId output) {
        Buffer& buffer = buffers[output];
        if (buffer.busy) {
            EXPECT_EQ(Sum(*buffer.memory), buffer.sum) << "written while read";
        }
        buffer.busy = false;
    }
    void Show(OutputId output, const wayland::FramePixels& frame,
              const std::vector<wayland::PixelRect>& changed) {
        sent[output].emplace_back(QSize(frame.width, frame.height), changed);
        const QImage pixels(frame.pixels, frame.width, frame.height, frame.stride,
                            QImage::Format_RGB32);
        QImage& screen = screens[output];
        if (screen.size() != pixels.size()) screen = QImage(pixels.size(), QImage::Format_RGB32);
        for (const auto& r : changed) {
            for (int y = r.y; y < r.y + r.height; ++y)
                std::memcpy(screen.scanLine(y) + r.x * 4, pixels.constScanLine(y) + r.x * 4,
                            r.width * 4);
        }
        // A compositor may read all of what it is given, not only the changes.
        EXPECT_TRUE(screen == pixels) << "output " << output << " was given a stale frame";
    }
    static quint64 Sum(const QImage& image) {
        quint64 sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) sum = sum * 31 + row[x];
        }
        return sum;
    }
    bool lends = false;
    std::map<OutputId, Buffer> buffers;
    std::map<OutputId, QImage> screens;
    bool FramePending(OutputId) const override { return false; }
    bool SetIdleInhibited(bool) override { return true; }
    bool AboveEverything() const override { return true; }
    std::map<OutputId, std::vector<std::pair<QSize, std::vector<wayland::PixelRect>>>> sent;
};

// A balloon 20 pixels wide, 5 pixels further right every frame, over a sky (not the black a
// frame starts from, so that a stale frame shows).
constexpr int kMove = 5;
constexpr Colour kSky = 0x804020;
struct MovingBalloon : DisplayEvents {
    void RenderFrame() override {
        ++frames;
        display->ClearFrame(kSky);
        display->MoveSurfaceX(1, kMove);
        display->DrawSurface(1);
        display->Flip();
    }
    void KeyDown(std::int16_t) override {}
    void MouseClick() override {}
    void MouseMove() override {}
    DisplayControl* display = nullptr;
    int frames = 0;
};

// An output is sent nothing, its whole frame, or what the balloon's last n moves changed.
constexpr int kNothing = 0, kWhole = -1;

// Runs the steps below, with frames composed into the client's buffers or copied; gives what
// each output shows after each step.
void ShowSteps(bool lends, std::vector<std::map<OutputId, QImage>>& shown) {
    testing::TestPictures files;
    RecordingClient* client = nullptr;
    wayland::ClientEvents* ev = nullptr;
    WaylandDisplay display([&](wayland::ClientEvents& e, std::string*) {
        auto made = std::make_unique<RecordingClient>();
        made->lends = lends;
        client = made.get();
        ev = &e;
        return made;
    });
    MovingBalloon scene;
    scene.display = &display;
    ASSERT_TRUE(display.OpenDisplay(800, 600));
    display.LoadPicture(display.CreateSurface(), files("keyed.bmp"), kKeyedOrAlpha);
    display.SetEventSink(&scene);

    auto want = [&](OutputId output) {
        client->Release(output);
        ev->FrameWanted(output);
    };
    const std::map<OutputId, QSize> frames = {{1, {1024, 768}}, {2, {1280, 960}}, {3, {1024, 768}}};
    const struct {
        const char* what;
        std::function<void()> event;
        std::map<OutputId, int> expect;
        std::size_t compositors;
    } steps[] = {
        // clang-format off
        {"two outputs of two densities: each is sent its letterbox whole",
         [&] { ev->SurfaceReady(1, 1024, 768, 1), ev->SurfaceReady(2, 1280, 1024, 1); },
         {{1, kWhole}, {2, kWhole}}, 2},
        {"only the first asks", [&] { want(1); }, {{1, 1}, {2, kNothing}}, 2},
        {"the second asks", [&] { want(2); }, {{1, kNothing}, {2, 2}}, 2},
        {"the second goes mid-run, and its compositor with it",
         [&] { ev->SurfaceGone(2), want(2), want(1); }, {{1, 2}, {2, kNothing}}, 1},
        {"an output of the first one's size shares its frame",
         [&] { ev->SurfaceReady(3, 1024, 768, 1); }, {{1, kNothing}, {3, kWhole}}, 1},
        // clang-format on
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        client->sent.clear();
        const int framesBefore = scene.frames;
        step.event();
        // The display stops by itself once no output wants a frame.
        QElapsedTimer waited;
        waited.start();
        while ((scene.frames == framesBefore || display.frameScheduled()) &&
               waited.elapsed() < 10'000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_EQ(scene.frames, framesBefore + 1) << "a frame no output asked for was made";
        EXPECT_EQ(display.compositorCount(), step.compositors);
        for (const auto& [output, gets] : step.expect) {
            const auto& sent = client->sent[output];
            ASSERT_EQ(sent.size(), gets == kNothing ? 0u : 1u) << "output " << output;
            if (gets == kNothing) continue;
            const auto& [frame, rects] = sent[0];
            EXPECT_EQ(frame, frames.at(output));
            QRegion covered;
            for (const auto& r : rects) covered += QRect(r.x, r.y, r.width, r.height);
            const QRect around = covered.boundingRect();
            long area = 0;
            for (const QRect& r : covered) area += long(r.width()) * r.height();
            const long whole = long(frame.width()) * frame.height();
            if (gets == kWhole) {
                EXPECT_EQ(area, whole);
            } else {
                EXPECT_GE(around.width(), (20 + kMove * gets) * frame.width() / 800.0 - 2);
                EXPECT_LT(area, whole / 20);
            }
        }
        shown.push_back(client->screens);
    }
}

TEST(WaylandDisplay, EachOutputIsSentWhatChangedOnlyWhenItAsks) {
    std::vector<std::map<OutputId, QImage>> copied, composedInPlace;
    ShowSteps(false, copied);
    ShowSteps(true, composedInPlace);
    ASSERT_EQ(copied.size(), composedInPlace.size());
    for (std::size_t step = 0; step < copied.size(); ++step) {
        for (const auto& [output, screen] : copied[step]) {
            EXPECT_TRUE(composedInPlace[step].at(output) == screen)
                << "output " << output << " after step " << step;
        }
    }
}

// With --fps, once a second of frames has passed, the frame rate is written in yellow in the
// bottom-left corner of what the output shows.
TEST(WaylandDisplay, ShowsTheFrameRateWhenAsked) {
    testing::TestPictures files;
    RecordingClient* client = nullptr;
    wayland::ClientEvents* ev = nullptr;
    WaylandDisplay display(
        [&](wayland::ClientEvents& e, std::string*) {
            auto made = std::make_unique<RecordingClient>();
            made->lends = true;
            client = made.get();
            ev = &e;
            return made;
        },
        true);
    MovingBalloon scene;
    scene.display = &display;
    ASSERT_TRUE(display.OpenDisplay(800, 600));
    display.LoadPicture(display.CreateSurface(), files("keyed.bmp"), kKeyedOrAlpha);
    display.SetEventSink(&scene);
    ev->SurfaceReady(1, 800, 600, 1);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 1500) {
        client->Release(1);
        ev->FrameWanted(1);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    const QImage corner = client->screens[1].copy(0, 550, 300, 50);
    int yellow = 0;
    for (int y = 0; y < corner.height(); ++y) {
        for (int x = 0; x < corner.width(); ++x) {
            const QRgb p = corner.pixel(x, y);
            yellow += qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 100;
        }
    }
    EXPECT_GT(yellow, 30);
}

}  // namespace
}  // namespace driftmere
