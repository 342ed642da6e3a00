// The Wayland display over a client that records what it is asked to show: what each output is
// sent, frame by frame, as outputs come, ask for frames and go.
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

struct Sent {
    QSize frame;
    std::vector<wayland::PixelRect> rects;
};

class RecordingClient : public wayland::WaylandClient {
  public:
    int fd() const override { return -1; }
    void Dispatch() override {}
    void Flush() override {}
    void Present(OutputId output, const wayland::FramePixels& frame,
                 const std::vector<wayland::PixelRect>& changed) override {
        sent[output].push_back({QSize(frame.width, frame.height), changed});
    }
    bool FramePending(OutputId) const override { return false; }
    bool SetIdleInhibited(bool) override { return true; }
    bool AboveEverything() const override { return true; }
    std::map<OutputId, std::vector<Sent>> sent;
};

constexpr int kMove = 5;

// A balloon 20 pixels wide that moves 5 pixels right every frame over a backdrop, frames asked
// steadily.
struct MovingBalloon : DisplayEvents {
    explicit MovingBalloon(DisplayControl& d) : display(d) {}
    void RenderFrame() override {
        ++frames;
        display.ClearFrame(kBlack);
        display.DrawSurface(backdrop);
        display.MoveSurfaceX(balloon, kMove);
        display.DrawSurface(balloon);
        display.Flip();
    }
    void KeyDown(std::int16_t) override {}
    void MouseClick() override {}
    void MouseMove() override {}
    DisplayControl& display;
    SurfaceId backdrop = 0, balloon = 0;
    int frames = 0;
};

// What an output is sent in a step: nothing, the whole frame, or the part the balloon's last
// `moves` moves changed (all of them, also those made while it was not sent any).
constexpr int kNothing = 0, kWhole = -1;

TEST(WaylandDisplay, EachOutputIsSentWhatChangedOnlyWhenItAsks) {
    testing::TestPictures files;
    RecordingClient* client = nullptr;
    wayland::ClientEvents* events = nullptr;
    std::string lost;
    WaylandDisplay display([&](wayland::ClientEvents& e, std::string*) {
        auto made = std::make_unique<RecordingClient>();
        client = made.get();
        events = &e;
        return made;
    });
    display.OnLost([&](const std::string& why) { lost = why; });
    MovingBalloon scene(display);
    ASSERT_TRUE(display.OpenDisplay(800, 600));
    scene.backdrop = display.CreateSurface();
    display.LoadPicture(scene.backdrop, files("backdrop.bmp"), kOpaque);
    scene.balloon = display.CreateSurface();
    display.LoadPicture(scene.balloon, files("keyed.bmp"), kKeyedOrAlpha);
    display.SetEventSink(&scene);

    const std::map<OutputId, QSize> frames = {{1, {1024, 768}}, {2, {1280, 960}}, {3, {1024, 768}}};
    struct Step {
        const char* what;
        std::function<void()> event;
        std::map<OutputId, int> expect;
        std::size_t compositors;
    } steps[] = {
        {"two outputs of two densities come: each is sent its letterbox whole",
         [&] { events->SurfaceReady(1, 1024, 768, 1), events->SurfaceReady(2, 1280, 1024, 1); },
         {{1, kWhole}, {2, kWhole}},
         2},
        {"only the first asks: it alone gets the balloon's move",
         [&] { events->FrameWanted(1); },
         {{1, 1}, {2, kNothing}},
         2},
        {"the second asks: it gets what changed since it was last sent",
         [&] { events->FrameWanted(2); },
         {{1, kNothing}, {2, 2}},
         2},
        {"the second goes mid-run: its compositor goes with it",
         [&] { events->SurfaceGone(2), events->FrameWanted(2), events->FrameWanted(1); },
         {{1, 2}, {2, kNothing}},
         1},
        {"an output of the first one's size comes: it shares that frame",
         [&] { events->SurfaceReady(3, 1024, 768, 1); },
         {{1, kNothing}, {3, kWhole}},
         1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        client->sent.clear();
        const int framesBefore = scene.frames;
        step.event();
        // The display stops by itself once no output wants a frame.
        QElapsedTimer waited;
        waited.start();
        do {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        } while ((scene.frames == framesBefore || display.frameScheduled()) &&
                 waited.elapsed() < 10'000);
        EXPECT_EQ(scene.frames, framesBefore + 1) << "a frame no output asked for was made";
        EXPECT_EQ(display.compositorCount(), step.compositors);
        for (const auto& [output, gets] : step.expect) {
            const auto& sent = client->sent[output];
            ASSERT_EQ(sent.size(), gets == kNothing ? 0u : 1u) << "output " << output;
            if (gets == kNothing) continue;
            EXPECT_EQ(sent[0].frame, frames.at(output));
            long area = 0;
            for (const auto& r : sent[0].rects) area += long(r.width) * r.height;
            const long whole = long(sent[0].frame.width()) * sent[0].frame.height();
            if (gets == kWhole) {
                EXPECT_EQ(area, whole);
            } else {
                QRect around;
                for (const auto& r : sent[0].rects) around |= QRect(r.x, r.y, r.width, r.height);
                const double scale = sent[0].frame.width() / 800.0;
                EXPECT_GE(around.width(), (20 + kMove * gets) * scale - 2);
                EXPECT_LT(area, whole / 20);
            }
        }
    }

    // The compositor goes: the owner hears why, and nothing more is sent.
    client->sent.clear();
    events->Disconnected("the compositor ended");
    events->FrameWanted(1);
    QElapsedTimer waited;
    waited.start();
    while (lost.empty() && waited.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(lost, "the compositor ended");
    EXPECT_FALSE(display.frameScheduled());
    EXPECT_TRUE(client->sent.empty());
}

}  // namespace
}  // namespace driftmere
