// Figures for the record, not checks: run with
//   DRIFTMERE_MEASURE_SF2=/usr/share/sounds/sf2/FluidR3_GM.sf2 integration_music
//       --gtest_also_run_disabled_tests --gtest_filter='*Measure*'
// (the two lines as one command).
// It prints the memory the control adds and how long its calls hold up the caller.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "TestSong.h"
#include "music/fluidsynth/FluidSynthSound.h"

namespace driftmere {
namespace {

using Clock = std::chrono::steady_clock;

long RssKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double CpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

TEST(MeasureSoundFont, DISABLED_MemoryAndCallTimes) {
    const char* font = std::getenv("DRIFTMERE_MEASURE_SF2");
    std::string song = ::testing::TempDir() + "driftmere-measure.mid";
    testing::WriteFile(song, testing::MakeTestSong(16));
    FluidSynthOptions options;
    options.soundFont = font ? font : "";
    options.output = FluidSynthOptions::Output::Silent;

    long before = RssKb();
    auto start = Clock::now();
    auto sound = std::make_unique<FluidSynthSound>(options);
    double construct = MsSince(start);
    start = Clock::now();
    sound->PlayMidi(song, 0, -1);
    double play = MsSince(start);
    ASSERT_TRUE(sound->WaitUntilReady());
    long loaded = RssKb();

    double cpu = CpuMs();
    start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(6));
    double share = (CpuMs() - cpu) / MsSince(start);
    long playing = RssKb();

    start = Clock::now();
    sound.reset();
    double destroy = MsSince(start);
    std::printf(
        "SoundFont %s\n  RSS %ld kB before, +%ld kB loaded, +%ld kB playing\n"
        "  constructor %.2f ms, PlayMidi %.3f ms, destructor while playing %.1f ms\n"
        "  silent playing %.1f %% of a core\n",
        font ? font : FindSoundFont().c_str(), before, loaded - before, playing - before, construct,
        play, destroy, 100 * share);
}

}  // namespace
}  // namespace driftmere
