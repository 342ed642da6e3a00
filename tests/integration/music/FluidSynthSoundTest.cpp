#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "RenderSong.h"
#include "TestSong.h"
#include "music/fluidsynth/FluidSynthSound.h"

namespace driftmere {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The small SoundFont keeps the tests quick; any General MIDI font will do.
std::string TestSoundFont() {
    if (fs::exists("/usr/share/sounds/sf2/TimGM6mb.sf2"))
        return "/usr/share/sounds/sf2/TimGM6mb.sf2";
    return FindSoundFont();
}

class FluidSynthSoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        font = TestSoundFont();
        if (font.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
        dir = fs::temp_directory_path() /
              ("driftmere-music-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }

    std::string Song(const std::string& name, int beats) {
        std::string path = (dir / name).string();
        testing::WriteFile(path, testing::MakeTestSong(beats));
        return path;
    }

    FluidSynthOptions Options() {
        FluidSynthOptions options;
        options.soundFont = font;
        options.output = FluidSynthOptions::Output::Silent;
        options.warn = [this](const std::string& line) {
            std::lock_guard lock(warningsMutex);
            warnings.push_back(line);
        };
        return options;
    }

    std::vector<std::string> Warnings() {
        std::lock_guard lock(warningsMutex);
        return warnings;
    }

    // Waits (generously: the machine is shared) for the song to end. The time it took.
    static std::chrono::duration<double> WaitForEnd(FluidSynthSound& sound,
                                                    Clock::time_point since) {
        auto deadline = since + 60s;
        while (sound.IsPlaying() && Clock::now() < deadline) std::this_thread::sleep_for(20ms);
        return Clock::now() - since;
    }

    std::string font;
    fs::path dir;
    std::mutex warningsMutex;
    std::vector<std::string> warnings;
};

TEST_F(FluidSynthSoundTest, SongPlaysInTimeWithoutADeviceAndThenEnds) {
    std::string path = Song("three-seconds.mid", 6);
    FluidSynthSound sound(Options());
    auto start = Clock::now();
    // Asked before the SoundFont is ready: it counts as playing already.
    sound.PlayMidi(path);
    EXPECT_TRUE(sound.IsPlaying());
    ASSERT_TRUE(sound.WaitUntilReady());
    EXPECT_TRUE(sound.PlaysSilently());

    // The silent output never runs ahead of real time, so one second in it still plays.
    std::this_thread::sleep_until(start + 1s);
    EXPECT_TRUE(sound.IsPlaying());

    auto took = WaitForEnd(sound, start);
    EXPECT_FALSE(sound.IsPlaying());
    EXPECT_GE(took.count(), 3.0);
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(FluidSynthSoundTest, PlayWhilePlayingRestartsWithTheNewSongAndStopIsImmediate) {
    std::string longSong = Song("long.mid", 240);  // two minutes
    std::string shortSong = Song("short.mid", 4);
    FluidSynthSound sound(Options());
    ASSERT_TRUE(sound.WaitUntilReady());

    sound.StopMidi();  // harmless with nothing playing
    EXPECT_FALSE(sound.IsPlaying());

    sound.PlayMidi(longSong);
    std::this_thread::sleep_for(300ms);
    auto start = Clock::now();
    sound.PlayMidi(shortSong);
    EXPECT_TRUE(sound.IsPlaying());
    auto took = WaitForEnd(sound, start);
    EXPECT_FALSE(sound.IsPlaying()) << "the first song went on after the second was asked for";
    EXPECT_GE(took.count(), 2.0);

    sound.PlayMidi(longSong);
    std::this_thread::sleep_for(200ms);
    sound.StopMidi();
    EXPECT_FALSE(sound.IsPlaying());
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(sound.IsPlaying());

    // A stopped song asked for again starts afresh and plays.
    sound.PlayMidi(longSong);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(sound.IsPlaying());
}

TEST_F(FluidSynthSoundTest, MissingAndGarbageSongsEndQuicklyWithOneWarningEach) {
    std::string missing = (dir / "absent.mid").string();
    std::vector<std::uint8_t> noise(5000);
    for (int i = 0; i < 5000; ++i) noise[i] = static_cast<std::uint8_t>(i * 7919);
    std::string garbage = (dir / "garbage.mid").string();
    testing::WriteFile(garbage, noise);
    // Begins like a MIDI file, then stops: the player itself has to give up on it.
    auto cut = testing::MakeTestSong(8);
    cut.resize(30);
    std::string truncated = (dir / "truncated.mid").string();
    testing::WriteFile(truncated, cut);
    // Opened like a file, a FIFO would hold the sound thread until someone writes to it.
    std::string fifo = (dir / "fifo.mid").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    FluidSynthSound sound(Options());
    ASSERT_TRUE(sound.WaitUntilReady());

    for (int round = 0; round < 3; ++round) {
        for (const std::string& path : {missing, garbage, truncated, dir.string(), fifo}) {
            SCOPED_TRACE(path);
            auto start = Clock::now();
            sound.PlayMidi(path);
            auto took = WaitForEnd(sound, start);
            EXPECT_FALSE(sound.IsPlaying());
            EXPECT_LT(took.count(), 30.0);
        }
    }
    auto lines = Warnings();
    auto mentions = [&](const std::string& path) {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(path + ":") != std::string::npos ||
                   line.find(path + " ") != std::string::npos;
        });
    };
    EXPECT_EQ(mentions(missing), 1);
    EXPECT_EQ(mentions(garbage), 1);
    EXPECT_EQ(mentions(dir.string()), 1);
    EXPECT_EQ(mentions(fifo), 1);
    for (const auto& line : lines) EXPECT_EQ(line.find('\n'), std::string::npos) << line;
}

TEST_F(FluidSynthSoundTest, MissingSoundFontWarnsOnceAndPlaysNothing) {
    std::string path = Song("song.mid", 8);
    auto options = Options();
    options.soundFont = (dir / "no-such-font.sf2").string();
    FluidSynthSound sound(options);
    EXPECT_FALSE(sound.WaitUntilReady());
    for (int i = 0; i < 3; ++i) {
        auto start = Clock::now();
        sound.PlayMidi(path);
        WaitForEnd(sound, start);
        EXPECT_FALSE(sound.IsPlaying());
    }
    EXPECT_EQ(Warnings().size(), 1u);
}

// Just made, asked for a song before it is ready, or playing: it goes away without a hang.
TEST_F(FluidSynthSoundTest, GoesAwayCleanlyWhateverItIsDoing) {
    std::string path = Song("long.mid", 240);
    for (int stage = 0; stage < 3; ++stage) {
        FluidSynthSound sound(Options());
        if (stage > 0) sound.PlayMidi(path);
        if (stage > 1) {
            ASSERT_TRUE(sound.WaitUntilReady());
            std::this_thread::sleep_for(100ms);
            EXPECT_TRUE(sound.IsPlaying());
        }
    }
}

TEST_F(FluidSynthSoundTest, RenderedSongIsNeitherSilentNorClipped) {
    std::string path = Song("render.mid", 16);  // eight seconds
    auto song = RenderSong(path, font);
    ASSERT_TRUE(song.has_value());
    double seconds = song->samples.size() / 2.0 / song->sampleRate;
    EXPECT_GE(seconds, 8.0);
    EXPECT_LT(seconds, 20.0);

    int peak = 0;
    double sum = 0;
    for (std::int16_t s : song->samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
        sum += double(s) * s;
    }
    double rms = std::sqrt(sum / song->samples.size());
    // Clear of full scale with room to spare, and loud enough to hear: peak above -20 dBFS,
    // RMS above -40 dBFS.
    EXPECT_LT(peak, 32000);
    EXPECT_GT(peak, 3277);
    EXPECT_GT(rms, 328.0);

    EXPECT_FALSE(RenderSong((dir / "absent.mid").string(), font).has_value());
}

}  // namespace
}  // namespace driftmere
