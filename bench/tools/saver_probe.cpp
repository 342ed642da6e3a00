// The full-screen saver run exactly as the program runs it (startup/qt/SaverRun), with a counter
// between the display and the session. After a warm-up it counts, for a fixed time, the frames
// the session draws and the balloon moves they make, then prints them and ends the session the
// ordinary way:
//
//   bench_saver_probe [--warmup S] [--seconds S] [--data DIR]
//
// Output, one "name=value" a line: frames, fps, moves, flying_seconds, moves_per_balloon_s (moves
// per second per flying balloon), cpu_percent (this process, of one core), the spread of the
// gaps between frames and between a balloon's moves, the resident memory at the end, and when
// the start-up steps ended, in ms after the process started (startup_*_ms: main entered, the
// application object made, the session loaded, the first frame drawn).
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "flight/Fleet.h"
#include "startup/SaverSession.h"
#include "startup/qt/SaverRun.h"

namespace driftmere {
namespace {

using Steady = std::chrono::steady_clock;

// Milliseconds since this process started: its start time in /proc is in clock ticks since
// boot, the boot-time clock counts from the same moment.
double MsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    // Field 22 of the line, the 20th after the name: the start time.
    for (int i = 0; i < 20 && fields >> field; ++i) {
    }
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double startMs = std::stod(field) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    return boot.tv_sec * 1000.0 + boot.tv_nsec / 1e6 - startMs;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string StatusLine(const char* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(name, 0) == 0) return line.substr(std::strlen(name));
    return "?";
}

// Sits between the display and the session: every event goes on to the session, and each frame
// is looked at before and after to see which balloons moved.
class FrameCounter : public DisplayEvents {
  public:
    explicit FrameCounter(SaverSession& form) : form_(form) {}

    void Start() {
        counting_ = true;
        started_ = Steady::now();
        cpuStart_ = CpuSeconds();
    }
    void Stop() {
        counting_ = false;
        elapsed_ = std::chrono::duration<double>(Steady::now() - started_).count();
        cpu_ = CpuSeconds() - cpuStart_;
    }

    void RenderFrame() override {
        if (firstFrameMs_ < 0 && form_.DisplayOpened()) {
            firstFrameMs_ = MsSinceProcessStart();
            firstFrameCpuMs_ = CpuSeconds() * 1000.0;
        }
        const auto now = Steady::now();
        const Fleet& fleet = form_.fleet();
        if (counting_ && hadFrame_) {
            const double gap = std::chrono::duration<double, std::milli>(now - lastFrame_).count();
            flyingSeconds_ += gap / 1000.0 * flyingBefore_;
            ++frameGaps_[gap < 9.5    ? "<9.5"
                         : gap < 10.5 ? "9.5-10.5"
                         : gap < 15   ? "10.5-15"
                         : gap < 25   ? "15-25"
                                      : ">=25"];
        }
        std::array<std::uint32_t, kBalloonCount> before{};
        std::array<bool, kBalloonCount> flying{};
        for (int k = 1; k <= kBalloonCount; ++k) {
            before[k - 1] = fleet.LastMoveTick(k);
            flying[k - 1] = fleet.Balloon(k).Flying;
        }
        form_.RenderFrame();
        int flyingNow = 0;
        for (int k = 1; k <= kBalloonCount; ++k) {
            const std::uint32_t tick = fleet.LastMoveTick(k);
            // Two moves of a balloon are at least 20 ms apart, so a move always changes the tick.
            if (flying[k - 1] && tick != before[k - 1] && counting_) {
                ++moves_;
                const std::uint32_t gap = tick - before[k - 1];
                if (before[k - 1] != 0 && gap < 1000) ++moveGaps_[gap >= 40 ? 40 : int(gap)];
            }
            flyingNow += fleet.Balloon(k).Flying ? 1 : 0;
        }
        if (counting_) ++frames_;
        flyingBefore_ = flyingNow;
        lastFrame_ = now;
        hadFrame_ = true;
    }
    void KeyDown(std::int16_t keyCode) override { form_.KeyDown(keyCode); }
    void MouseClick() override { form_.MouseClick(); }
    void MouseMove() override { form_.MouseMove(); }
    FrameDue NextFrameDue() override { return form_.NextFrameDue(); }

    double firstFrameMs() const { return firstFrameMs_; }
    // Processor time the whole process had used by then (on a busy machine the wall time is
    // longer by the time spent waiting for a core).
    double firstFrameCpuMs() const { return firstFrameCpuMs_; }

    void Print() const {
        std::printf("frames=%ld\n", frames_);
        std::printf("seconds=%.3f\n", elapsed_);
        std::printf("fps=%.2f\n", frames_ / elapsed_);
        std::printf("moves=%ld\n", moves_);
        std::printf("flying_seconds=%.3f\n", flyingSeconds_);
        std::printf("moves_per_balloon_s=%.3f\n",
                    flyingSeconds_ > 0 ? moves_ / flyingSeconds_ : 0.0);
        std::printf("cpu_percent=%.2f\n", cpu_ * 100.0 / elapsed_);
        std::printf("frame_gaps_ms=");
        for (const auto& [bucket, count] : frameGaps_)
            std::printf("%s:%ld ", bucket.c_str(), count);
        std::printf("\nmove_gaps_ms=");
        for (const auto& [gap, count] : moveGaps_)
            std::printf("%s%d:%ld ", gap >= 40 ? ">=" : "", gap, count);
        std::printf("\n");
    }

  private:
    SaverSession& form_;
    double firstFrameMs_ = -1;
    double firstFrameCpuMs_ = -1;
    bool counting_ = false;
    bool hadFrame_ = false;
    Steady::time_point started_, lastFrame_;
    double cpuStart_ = 0, cpu_ = 0, elapsed_ = 0;
    long frames_ = 0, moves_ = 0;
    int flyingBefore_ = 0;
    double flyingSeconds_ = 0;
    std::map<std::string, long> frameGaps_;
    std::map<int, long> moveGaps_;
};

int Run(int argc, char** argv) {
    const double mainMs = MsSinceProcessStart();
    double warmup = 3, seconds = 20;
    std::string data;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--warmup" && i + 1 < argc) {
            warmup = std::atof(argv[++i]);
        } else if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (arg == "--data" && i + 1 < argc) {
            data = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: bench_saver_probe [--warmup S] [--seconds S] [--data DIR]\n");
            return 2;
        }
    }
    PaintRightAfterEachFrame();
    QApplication app(argc, argv);
    const double appMs = MsSinceProcessStart();
    if (data.empty()) data = DataFolder();
    if (data.back() != '/') data += '/';

    SaverRun run({.dataFolder = data});
    SaverSession& form = run.session();
    FrameCounter counter(form);
    run.SetEventSink(&counter);
    if (!run.Start()) return 1;
    const double loadedMs = MsSinceProcessStart();
    QTimer::singleShot(static_cast<int>(warmup * 1000), [&] { counter.Start(); });
    QTimer::singleShot(static_cast<int>((warmup + seconds) * 1000), [&] {
        counter.Stop();
        counter.Print();
        std::printf(
            "startup_main_ms=%.0f\nstartup_app_ms=%.0f\nstartup_loaded_ms=%.0f\n"
            "startup_first_frame_ms=%.0f\nstartup_first_frame_cpu_ms=%.0f\n",
            mainMs, appMs, loadedMs, counter.firstFrameMs(), counter.firstFrameCpuMs());
        std::printf("vm_rss=%s\nvm_hwm=%s\n", StatusLine("VmRSS:").c_str(),
                    StatusLine("VmHWM:").c_str());
        std::fflush(stdout);
        form.CloseDown();
    });
    return run.Exec();
}

}  // namespace
}  // namespace driftmere

int main(int argc, char** argv) { return driftmere::Run(argc, argv); }
