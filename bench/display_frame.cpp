// What a frame costs the Qt display control beyond composing it (bench_display_compose has
// the composition alone): here the frame goes through the interface the session uses, with the
// shipped pictures and the overlay drawn as the session draws it, and the window on the
// offscreen platform repaints what changed -- for a frame identical to the last, one where all
// thirteen balloons moved a pixel, and one with a new backdrop; and the composition of the
// frame in which the clock shows a new second, the one text change of every second.
//
// The pictures come from the build's data folder (DRIFTMERE_DATA_DIR, else ../share/driftmere
// beside this program).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <array>
#include <cstdlib>
#include <string>

#include "display/Scene.h"
#include "display/qt/QtDisplay.h"
#include "frame/Overlay.h"

namespace driftmere {
namespace {

std::string DataFolder() {
    if (const char* dir = std::getenv("DRIFTMERE_DATA_DIR"); dir && *dir)
        return std::string(dir) + "/";
    QFileInfo program(QCoreApplication::applicationFilePath());
    return (program.canonicalPath() + QStringLiteral("/../share/driftmere/")).toStdString();
}

// The scene as the session sets it up, spread over the frame so every balloon is in view.
struct Scene {
    QtDisplay display;
    std::array<SurfaceId, 7> backdrops{};
    std::array<SurfaceId, 13> balloons{};
    OverlaySettings overlay;
    std::string timeText = "12:00:00";

    explicit Scene(bool withWindow) {
        if (withWindow) display.OpenDisplay(800, 600);
        const std::string data = DataFolder();
        for (int i = 0; i < 7; ++i) {
            backdrops[i] = display.CreateSurface();
            display.LoadPicture(backdrops[i], data + std::string(kBackdrops[i].file), kOpaque);
        }
        for (int i = 0; i < 13; ++i) {
            balloons[i] = display.CreateSurface();
            display.LoadPicture(balloons[i], data + std::string(kBalloons[i].file), kKeyedOrAlpha);
            display.SetSurfaceX(balloons[i], 20 + 55 * i);
            display.SetSurfaceY(balloons[i], 30 + 35 * i);
        }
        overlay.showClock = true;
        overlay.showMessage = true;
        overlay.message = "Place a Message Here";
        Frame(1);
        Settle();
    }
    bool Ready() const { return !display.compositor().SurfaceImage(backdrops[0]).isNull(); }

    void Frame(int backdrop) {
        display.ClearFrame(kBlack);
        display.DrawSurface(backdrops[backdrop - 1]);
        for (SurfaceId s : balloons) display.DrawSurface(s);
        DrawOverlays(display, overlay, timeText);
        display.Flip();
    }
    // The window paints what the last Flip marked, now rather than at the platform's next
    // update slot, so the paint is inside the measured iteration.
    void Paint() {
        if (QWindow* w = display.window()) {
            QEvent update(QEvent::UpdateRequest);
            QCoreApplication::sendEvent(w, &update);
        }
    }
    void Settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
        Paint();
    }
};

enum class Change { None, BalloonsMoved, ClockTicked, NewBackdrop };

void RunFrames(benchmark::State& state, Change change, bool withWindow) {
    Scene scene(withWindow);
    if (!scene.Ready()) {
        state.SkipWithError("the shipped pictures were not found (set DRIFTMERE_DATA_DIR)");
        return;
    }
    long frame = 0;
    std::int64_t damaged = 0;
    for (auto _ : state) {
        ++frame;
        int backdrop = 1;
        switch (change) {
            case Change::None:
                break;
            case Change::BalloonsMoved:
                // One pixel right and back again, so the scene stays where it is.
                for (SurfaceId s : scene.balloons)
                    scene.display.MoveSurfaceX(s, frame % 2 ? 1 : -1);
                break;
            case Change::ClockTicked: {
                // A text not seen for over a minute, as the clock's is every second.
                const long second = frame % 3600;
                char text[16];
                std::snprintf(text, sizeof text, "12:%02ld:%02ld", second / 60, second % 60);
                scene.timeText = text;
                break;
            }
            case Change::NewBackdrop:
                backdrop = 1 + static_cast<int>(frame % 2);
                break;
        }
        scene.Frame(backdrop);
        if (withWindow) scene.Paint();
        for (const QRect& r : scene.display.lastDamage())
            damaged += static_cast<std::int64_t>(r.width()) * r.height();
    }
    state.counters["damage_px"] =
        benchmark::Counter(static_cast<double>(damaged), benchmark::Counter::kAvgIterations);
}

void BM_Compose_ClockTicked(benchmark::State& state) {
    RunFrames(state, Change::ClockTicked, false);
}
void BM_ComposeAndPaint_IdenticalFrame(benchmark::State& state) {
    RunFrames(state, Change::None, true);
}
void BM_ComposeAndPaint_ThirteenBalloonsMoved(benchmark::State& state) {
    RunFrames(state, Change::BalloonsMoved, true);
}
void BM_ComposeAndPaint_NewBackdrop(benchmark::State& state) {
    RunFrames(state, Change::NewBackdrop, true);
}
BENCHMARK(BM_Compose_ClockTicked);
BENCHMARK(BM_ComposeAndPaint_IdenticalFrame);
BENCHMARK(BM_ComposeAndPaint_ThirteenBalloonsMoved);
BENCHMARK(BM_ComposeAndPaint_NewBackdrop);

}  // namespace
}  // namespace driftmere

int main(int argc, char** argv) {
    // The composition needs no screen: the offscreen platform unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
