#include <fluidsynth.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "music/PeakLimiter.h"
#include "music/fluidsynth/FluidSynthSound.h"
#include "music/fluidsynth/SongFile.h"
#include "music/fluidsynth/SynthSetup.h"

namespace driftmere {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A song's samples, both channels, rendered offline at 44.1 kHz with the sound control's
// synthesiser settings, float path and limiter, so a test can measure what the user would hear.
std::vector<float> Render(const std::string& midiPath, const std::string& soundFont) {
    SilenceLibraries();
    std::vector<char> data;
    std::string problem;
    std::vector<float> samples;
    if (ReadSong(midiPath, data, problem) != SongCheck::Ok) return samples;
    fluid_settings_t* settings = NewSettings(kSongGain);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_player_t* player = nullptr;
    if (fluid_synth_sfload(synth, soundFont.c_str(), 1) != FLUID_FAILED &&
        (player = new_fluid_player(synth)) &&
        fluid_player_add_mem(player, data.data(), data.size()) == FLUID_OK &&
        fluid_player_play(player) == FLUID_OK) {
        double rate = 44100.0;
        fluid_settings_getnum(settings, "synth.sample-rate", &rate);
        PeakLimiter limiter(0.89f, rate);
        std::vector<float> left(4096), right(4096);
        while (fluid_player_get_status(player) != FLUID_PLAYER_DONE &&
               samples.size() < 900 * rate * 2) {
            std::fill(left.begin(), left.end(), 0.0f);
            std::fill(right.begin(), right.end(), 0.0f);
            fluid_synth_write_float(synth, 4096, left.data(), 0, 1, right.data(), 0, 1);
            limiter.Process(left.data(), right.data(), 4096);
            samples.insert(samples.end(), left.begin(), left.end());
            samples.insert(samples.end(), right.begin(), right.end());
        }
    }
    if (player) delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return samples;
}

class FluidSynthSoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The small SoundFont keeps the tests quick; any General MIDI font will do.
        font = fs::exists("/usr/share/sounds/sf2/TimGM6mb.sf2")
                   ? "/usr/share/sounds/sf2/TimGM6mb.sf2"
                   : FindSoundFont();
        if (font.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
        std::string folder = (fs::temp_directory_path() / "driftmere-music-XXXXXX").string();
        ASSERT_NE(::mkdtemp(folder.data()), nullptr);
        dir = folder;
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }

    // A file of one track of these events (end of track added), 480 ticks a beat.
    static std::string MidiFile(std::string track) {
        track.append("\0\xFF\x2F\0", 4);
        std::string file("MThd\0\0\0\6\0\0\0\1\1\xE0MTrk", 18);
        for (int shift = 24; shift >= 0; shift -= 8)
            file += static_cast<char>(track.size() >> shift);
        return file + track;
    }
    // A song of `beats` half-second piano notes, 120 beats a minute, then `extra` events.
    static std::string SongBytes(int beats, const std::string& extra = {}) {
        std::string track("\0\xFF\x51\x03\x07\xA1\x20\0\xC0\0", 10);
        for (int beat = 0; beat < beats; ++beat) {
            const char note = static_cast<char>(60 + beat * 5 % 12);
            track += {'\0', '\x90', note, 100, '\x83', '\x60', '\x80', note, '\0'};
        }
        return MidiFile(track + extra);
    }
    std::string Song(const std::string& name, int beats) { return Put(name, SongBytes(beats)); }
    std::string Put(const std::string& name, const std::string& bytes) {
        std::ofstream((dir / name).string(), std::ios::binary) << bytes;
        return (dir / name).string();
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
    static double WaitForEnd(FluidSynthSound& sound, Clock::time_point since) {
        while (sound.IsPlaying() && Clock::now() < since + 60s) std::this_thread::sleep_for(20ms);
        return std::chrono::duration<double>(Clock::now() - since).count();
    }

    std::string font;
    fs::path dir;
    std::mutex warningsMutex;
    std::vector<std::string> warnings;
};

// Asked for before the SoundFont is ready, a song counts as playing already, and the silent output
// never runs ahead of real time: a song of three seconds does not end sooner. Play while playing
// restarts with the new song; stop is at once.
TEST_F(FluidSynthSoundTest, PlaysInTimeWithoutADeviceRestartsWithANewSongAndStopsAtOnce) {
    const std::string longSong = Song("long.mid", 240), shortSong = Song("short.mid", 6);
    FluidSynthSound sound(Options());
    sound.StopMidi();  // harmless with nothing playing
    auto start = Clock::now();
    sound.PlayMidi(shortSong);
    EXPECT_TRUE(sound.IsPlaying());
    ASSERT_TRUE(sound.WaitUntilReady());
    EXPECT_TRUE(sound.PlaysSilently());
    EXPECT_GE(WaitForEnd(sound, start), 3.0);
    EXPECT_FALSE(sound.IsPlaying());

    sound.PlayMidi(longSong);
    start = Clock::now();
    sound.PlayMidi(shortSong);
    WaitForEnd(sound, start);
    EXPECT_FALSE(sound.IsPlaying()) << "the first song went on after the second was asked for";

    sound.PlayMidi(longSong);
    sound.StopMidi();
    EXPECT_FALSE(sound.IsPlaying());
    sound.PlayMidi(longSong);  // a stopped song asked for again starts afresh
    EXPECT_TRUE(sound.IsPlaying());
    EXPECT_TRUE(Warnings().empty());
}

// A song of a note every millisecond, cut short by the next one, leaves hundreds of voices to
// silence at once; the synthesiser used to lose some of them and count them as sounding for ever,
// so that the next song never ended and the playlist stood still. The first song plays for a
// second first, long enough to fill every voice.
TEST_F(FluidSynthSoundTest, TheSongAfterADenseOneEnds) {
    std::string track("\0\xC0\0", 3);
    for (int i = 0; i < 4000; ++i) track += {'\1', '\x90', 60, 64, '\1', '\x80', 60, '\0'};
    FluidSynthSound sound(Options());
    ASSERT_TRUE(sound.WaitUntilReady());
    sound.PlayMidi(Put("dense.mid", MidiFile(track)));
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(sound.IsPlaying());
    sound.PlayMidi(Song("next.mid", 2));
    WaitForEnd(sound, Clock::now());
    EXPECT_FALSE(sound.IsPlaying()) << "the song after the dense one never ended";
    EXPECT_TRUE(Warnings().empty());
}

// Missing, noise, a folder, a FIFO (it would hold the sound thread), a file larger than a song may
// be, a song with more notes at one moment than a song may have, and a MIDI file cut short: each
// ends at once, all but the last with one warning naming them however often they are asked for.
// A song asked for after them plays.
TEST_F(FluidSynthSoundTest, MissingGarbageAndCostlySongsEndQuicklyWithOneWarningEach) {
    std::string noise(5000, '\0');
    for (int i = 0; i < 5000; ++i) noise[i] = static_cast<char>(i * 7919);
    const std::string fifo = (dir / "fifo.mid").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string chord;
    for (int key = 0; key < 65; ++key) chord += {'\0', '\x90', static_cast<char>(key), 64};
    const std::string paths[] = {(dir / "absent.mid").string(),
                                 Put("garbage.mid", noise),
                                 dir.string(),
                                 fifo,
                                 Put("huge.mid", SongBytes(8) + std::string(3 << 20, '\0')),
                                 Put("crowded.mid", SongBytes(1, chord)),
                                 Put("cut.mid", SongBytes(8).substr(0, 30))};
    FluidSynthSound sound(Options());
    ASSERT_TRUE(sound.WaitUntilReady());
    for (int round = 0; round < 3; ++round)
        for (const std::string& path : paths) {
            sound.PlayMidi(path);
            WaitForEnd(sound, Clock::now());
            EXPECT_FALSE(sound.IsPlaying()) << path;
        }
    const auto lines = Warnings();
    for (const std::string& path : std::span(paths).first(6)) {
        auto names = [&](const std::string& line) {
            return line.find('"' + path + '"') != line.npos;
        };
        EXPECT_EQ(std::ranges::count_if(lines, names), 1) << path;
    }
    for (const auto& line : lines) EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    sound.PlayMidi(Song("after.mid", 2));
    EXPECT_TRUE(sound.IsPlaying());
    WaitForEnd(sound, Clock::now());
    EXPECT_FALSE(sound.IsPlaying());
    EXPECT_EQ(Warnings().size(), lines.size()) << "a good song warned";

    // A SoundFont that is not there: one warning, and songs end at once.
    auto options = Options();
    options.soundFont = (dir / "no-such-font.sf2").string();
    FluidSynthSound fontless(options);
    EXPECT_FALSE(fontless.WaitUntilReady());
    for (int i = 0; i < 3; ++i) {
        fontless.PlayMidi(Song("song.mid", 8));
        WaitForEnd(fontless, Clock::now());
        EXPECT_FALSE(fontless.IsPlaying());
    }
    EXPECT_EQ(Warnings().size(), lines.size() + 1);
}

// Just made, or asked for a song before it is ready: it goes away without a hang (a hang fails
// here, not by the test runner's timeout) and without a word.
TEST_F(FluidSynthSoundTest, GoesAwayCleanlyWhateverItIsDoing) {
    const std::string song = Song("long.mid", 240);
    for (const bool asked : {false, true}) {
        auto gone = std::make_shared<std::promise<bool>>();
        std::future<bool> playing = gone->get_future();
        std::thread([gone, asked, song, options = Options()] {
            auto sound = std::make_unique<FluidSynthSound>(options);
            if (asked) sound->PlayMidi(song);
            const bool wasPlaying = sound->IsPlaying();
            sound.reset();
            gone->set_value(wasPlaying);
        }).detach();
        ASSERT_EQ(playing.wait_for(60s), std::future_status::ready) << "hangs going away";
        EXPECT_EQ(playing.get(), asked);
    }
    EXPECT_TRUE(Warnings().empty());
}

// Two songs the build ships, whole, at the gain the saver plays them: clear of full scale with
// room to spare, and loud enough to hear (peak above -20 dBFS, RMS above -40 dBFS).
TEST_F(FluidSynthSoundTest, ShippedSongsAreNeitherSilentNorClipped) {
    const fs::path data = std::getenv("DRIFTMERE_DATA_DIR");
    for (const char* name : {"Tranquil.mid", "dream.mid"}) {
        SCOPED_TRACE(name);
        const auto samples = Render((data / name).string(), font);
        const double seconds = samples.size() / 2.0 / 44100;
        EXPECT_TRUE(seconds >= 90 && seconds < 200) << seconds;
        float peak = 0;
        double sum = 0;
        for (float v : samples) peak = std::max(peak, std::fabs(v)), sum += double(v) * v;
        EXPECT_TRUE(peak > 0.1f && peak < 0.977f) << peak;
        EXPECT_GT(std::sqrt(sum / samples.size()), 0.01);
    }
}

}  // namespace
}  // namespace driftmere
