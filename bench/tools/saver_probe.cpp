// The full-screen saver put together exactly as the program does it (the Qt display, the
// FluidSynth sound control, the settings file, the real clock, the Qt host), with a counter
// between the display and the session. After a warm-up it counts, for a fixed time, the frames
// the session draws and the balloon moves they make, then prints them and ends the session the
// ordinary way:
//
//   bench_saver_probe [--warmup S] [--seconds S] [--data DIR] [--no-sound-control]
//                     [--soundfont FILE] [--frames-after-start | --frames-on-tick]
//
// --soundfont plays the music with that SoundFont instead of the one the sound control picks.
// The last two try other frame pacings than the display's fixed 10 ms grid (the probe then
// raises the frames itself and ignores the display's). --frames-after-start: each frame is due
// 10 ms after the previous one started, so a late frame moves the ones after it instead of
// leaving the next one less than 10 ms away. --frames-on-tick: each frame is due a quarter of a
// millisecond after the millisecond tick ten ticks after the one the previous frame started in
// (a timerfd on the monotonic clock the tick count is read from), so frames two apart are
// twenty ticks apart unless one runs late by most of a millisecond.
//
// Output, one "name=value" a line: frames, fps, moves, flying_seconds, moves_per_balloon_s (moves
// per second per flying balloon), cpu_percent (this process, of one core), the spread of the
// gaps between frames and between a balloon's moves, the resident memory at the end, and when
// the start-up steps ended, in ms after the process started (startup_*_ms: main entered, the
// application object made, the session loaded, the first frame drawn).
#include <sys/resource.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "display/qt/QtDisplay.h"
#include "flight/Fleet.h"
#include "music/fluidsynth/FluidSynthSound.h"
#include "platform/linux/LinuxClock.h"
#include "settings/IniFileStore.h"
#include "startup/SaverSession.h"
#include "startup/qt/SaverHost.h"

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

// Takes the display's own frame ticks and does nothing with them (the probe raises the frames
// itself), but passes the input on.
class InputOnly : public DisplayEvents {
  public:
    explicit InputOnly(DisplayEvents& next) : next_(next) {}
    void RenderFrame() override {}
    void KeyDown(std::int16_t keyCode) override { next_.KeyDown(keyCode); }
    void MouseClick() override { next_.MouseClick(); }
    void MouseMove() override { next_.MouseMove(); }

  private:
    DisplayEvents& next_;
};

class SilentSound : public SoundControl {
  public:
    void PlayMidi(const std::string&) override {}
    void StopMidi() override {}
    bool IsPlaying() override { return false; }
};

std::string DefaultDataFolder() {
    if (const char* dir = std::getenv("DRIFTMERE_DATA_DIR"); dir && *dir) return dir;
    // The bench programs live in <build>/bench, the data in <build>/share/driftmere.
    QFileInfo program(QCoreApplication::applicationFilePath());
    return (program.canonicalPath() + QStringLiteral("/../share/driftmere")).toStdString();
}

int Run(int argc, char** argv) {
    const double mainMs = MsSinceProcessStart();
    double warmup = 3, seconds = 20;
    std::string data;
    bool music = true;
    bool framesAfterStart = false;
    bool framesOnTick = false;
    std::string soundFont;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--warmup" && i + 1 < argc) {
            warmup = std::atof(argv[++i]);
        } else if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (arg == "--data" && i + 1 < argc) {
            data = argv[++i];
        } else if (arg == "--soundfont" && i + 1 < argc) {
            soundFont = argv[++i];
        } else if (arg == "--frames-on-tick") {
            framesOnTick = true;
        } else if (arg == "--frames-after-start") {
            framesAfterStart = true;
        } else if (arg == "--no-sound-control") {
            music = false;  // as in a preview pane: no synthesiser at all
        } else {
            std::fprintf(stderr,
                         "usage: bench_saver_probe [--warmup S] [--seconds S] [--data DIR] "
                         "[--no-sound-control] [--soundfont FILE] [--frames-after-start | "
                         "--frames-on-tick]\n");
            return 2;
        }
    }
    // As the program does (src/startup/qt/Program.cpp): paint as soon as a frame is flipped.
    if (!qEnvironmentVariableIsSet("QT_QPA_UPDATE_IDLE_TIME")) qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
    QApplication app(argc, argv);
    const double appMs = MsSinceProcessStart();
    if (data.empty()) data = DefaultDataFolder();
    if (data.back() != '/') data += '/';

    IniFileStore store(IniFileStore::DefaultPath());
    LinuxClock clock;
    QtDisplay display;
    std::unique_ptr<SoundControl> sound;
    if (music) {
        FluidSynthOptions options;
        options.soundFont = soundFont;
        sound = std::make_unique<FluidSynthSound>(options);
    } else {
        sound = std::make_unique<SilentSound>();
    }
    SaverHost host(&display, false);
    SaverSession form({display, *sound, store, clock, host, data});
    FrameCounter counter(form);
    InputOnly inputOnly(counter);
    QTimer frameTimer;
    frameTimer.setSingleShot(true);
    frameTimer.setTimerType(Qt::PreciseTimer);
    if (framesAfterStart) {
        display.SetEventSink(&inputOnly);
        QObject::connect(&frameTimer, &QTimer::timeout, [&] {
            frameTimer.start(10);  // counted from this frame's start
            counter.RenderFrame();
        });
        frameTimer.start(10);
    }
    const int tickTimer = framesOnTick ? timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC) : -1;
    std::unique_ptr<QSocketNotifier> tickNotifier;
    auto armOnTick = [tickTimer] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::int64_t ms = now.tv_sec * 1000LL + now.tv_nsec / 1'000'000 + 10;
        itimerspec due{};
        due.it_value.tv_sec = ms / 1000;
        due.it_value.tv_nsec = (ms % 1000) * 1'000'000 + 250'000;
        timerfd_settime(tickTimer, TFD_TIMER_ABSTIME, &due, nullptr);
    };
    if (framesOnTick) {
        display.SetEventSink(&inputOnly);
        tickNotifier = std::make_unique<QSocketNotifier>(tickTimer, QSocketNotifier::Read);
        QObject::connect(tickNotifier.get(), &QSocketNotifier::activated, [&] {
            std::uint64_t expirations = 0;
            [[maybe_unused]] ssize_t n = read(tickTimer, &expirations, sizeof expirations);
            armOnTick();
            counter.RenderFrame();
        });
        armOnTick();
    } else if (!framesAfterStart) {
        display.SetEventSink(&counter);
    }
    host.Attach(form);
    form.Load();
    if (!form.DisplayOpened()) {
        form.CloseDown();
        return 1;
    }
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
        frameTimer.stop();
        if (tickNotifier) tickNotifier->setEnabled(false);
        form.CloseDown();
    });
    const int status = QApplication::exec();
    display.SetEventSink(nullptr);
    return status;
}

}  // namespace
}  // namespace driftmere

int main(int argc, char** argv) { return driftmere::Run(argc, argv); }
