// The Wayland display over a client that records what each output is sent, frame by frame, as
// outputs come, ask for frames and go.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>
#include <map>

#include "../display/TestPictures.h"
#include "display/wayland/WaylandDisplay.h"

namespace driftmere {
namespace {

using wayland::OutputId;

struct RecordingClient : wayland::WaylandClient {
    int fd() const override { return -1; }
    void Dispatch() override {}
    void Flush() override {}
    void Present(OutputId output, const wayland::FramePixels& frame,
                 const std::vector<wayland::PixelRect>& changed) override {
        sent[output].emplace_back(QSize(frame.width, frame.height), changed);
    }
    bool FramePending(OutputId) const override { return false; }
    bool SetIdleInhibited(bool) override { return true; }
    bool AboveEverything() const override { return true; }
    std::map<OutputId, std::vector<std::pair<QSize, std::vector<wayland::PixelRect>>>> sent;
};

// A balloon 20 pixels wide, 5 pixels further right every frame.
constexpr int kMove = 5;
struct MovingBalloon : DisplayEvents {
    void RenderFrame() override {
        ++frames;
        display->ClearFrame(kBlack);
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

TEST(WaylandDisplay, EachOutputIsSentWhatChangedOnlyWhenItAsks) {
    testing::TestPictures files;
    RecordingClient* client = nullptr;
    wayland::ClientEvents* ev = nullptr;
    WaylandDisplay display([&](wayland::ClientEvents& e, std::string*) {
        auto made = std::make_unique<RecordingClient>();
        client = made.get();
        ev = &e;
        return made;
    });
    MovingBalloon scene;
    scene.display = &display;
    ASSERT_TRUE(display.OpenDisplay(800, 600));
    display.LoadPicture(display.CreateSurface(), files("keyed.bmp"), kKeyedOrAlpha);
    display.SetEventSink(&scene);

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
        {"only the first asks", [&] { ev->FrameWanted(1); }, {{1, 1}, {2, kNothing}}, 2},
        {"the second asks", [&] { ev->FrameWanted(2); }, {{1, kNothing}, {2, 2}}, 2},
        {"the second goes mid-run, and its compositor with it",
         [&] { ev->SurfaceGone(2), ev->FrameWanted(2), ev->FrameWanted(1); }, {{1, 2}, {2, kNothing}}, 1},
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
            QRect around;
            long area = 0;
            for (const auto& r : rects) {
                around |= QRect(r.x, r.y, r.width, r.height);
                area += long(r.width) * r.height;
            }
            const long whole = long(frame.width()) * frame.height();
            if (gets == kWhole) {
                EXPECT_EQ(area, whole);
            } else {
                EXPECT_GE(around.width(), (20 + kMove * gets) * frame.width() / 800.0 - 2);
                EXPECT_LT(area, whole / 20);
            }
        }
    }
}

}  // namespace
}  // namespace driftmere
