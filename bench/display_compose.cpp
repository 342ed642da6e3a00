// What one frame of the saver costs the display to compose, without a window: a clear, the
// backdrop, thirteen balloons and the clock and message with their shadows, as the saver asks
// for them at each balloon move; in frames of 800x600, 1440x1080 (a 1920x1080 screen) and
// 2880x2160 (3840x2160) device pixels (the argument is the frame's width).
//   bench_display_compose --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "display/qt/Compositor.h"

namespace driftmere {
namespace {

class Scene {
  public:
    explicit Scene(int width) {
        compositor.SetDeviceSize({width, width * 3 / 4});
        QImage backdrop(800, 600, QImage::Format_RGB888);
        QPainter(&backdrop).fillRect(backdrop.rect(), QLinearGradient(0, 0, 0, 600));
        backdrop.save(dir_.filePath("backdrop.bmp"), "BMP");
        QImage balloon(60, 80, QImage::Format_RGB888);
        balloon.fill(Qt::magenta);
        {
            QPainter painter(&balloon);
            painter.setBrush(Qt::red);
            painter.drawEllipse(5, 0, 50, 55);
        }
        balloon.save(dir_.filePath("balloon.bmp"), "BMP");
        this->backdrop = compositor.CreateSurface();
        compositor.LoadPicture(this->backdrop, dir_.filePath("backdrop.bmp"), kOpaque, nullptr);
        for (int i = 0; i < 13; ++i) {
            const SurfaceId id = compositor.CreateSurface();
            compositor.LoadPicture(id, dir_.filePath("balloon.bmp"), kKeyedOrAlpha, nullptr);
            compositor.SetSurfaceX(id, 20 + i * 58);
            compositor.SetSurfaceY(id, 60 + (i * 137) % 450);
            balloons.push_back(id);
        }
    }

    void Frame() {
        compositor.ClearFrame(kBlack);
        compositor.DrawSurface(backdrop);
        for (SurfaceId id : balloons) compositor.DrawSurface(id);
        for (auto [text, x] : {std::pair{"10:42:17 PM", 0}, std::pair{"Good evening", 400}}) {
            compositor.SetFont("Arial", 22);
            compositor.DrawText(text, x + 1, 1, kBlack);
            compositor.SetFont("Arial", 22);
            compositor.DrawText(text, x, 0, kYellow);
        }
        benchmark::DoNotOptimize(compositor.Compose());
    }

    Compositor compositor;
    SurfaceId backdrop = 0;
    std::vector<SurfaceId> balloons;

  private:
    QTemporaryDir dir_;
};

// Most frames: nothing moved since the last one.
void ComposeUnchangedFrame(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    scene.Frame();
    for (auto _ : state) scene.Frame();
}
BENCHMARK(ComposeUnchangedFrame)->Arg(800)->Arg(1440)->Arg(2880);

// The busiest frames: every balloon moved a pixel right and up.
void ComposeAllBalloonsMoved(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    scene.Frame();
    int step = 0;
    for (auto _ : state) {
        const int direction = (step++ / 100) % 2 == 0 ? 1 : -1;
        for (SurfaceId id : scene.balloons) {
            scene.compositor.MoveSurfaceX(id, direction);
            scene.compositor.MoveSurfaceY(id, direction);
        }
        scene.Frame();
    }
}
BENCHMARK(ComposeAllBalloonsMoved)->Arg(800)->Arg(1440)->Arg(2880);

// For comparison: the whole frame composed from scratch.
void ComposeWholeFrame(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        scene.compositor.Invalidate();
        scene.Frame();
    }
}
BENCHMARK(ComposeWholeFrame)->Arg(800)->Arg(1440)->Arg(2880);

}  // namespace
}  // namespace driftmere

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // fonts need it
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
