#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeSound.h"
#include "fakes/MemoryStore.h"
#include "music/Playlist.h"
#include "music/StopChoices.h"

namespace driftmere {
namespace {

using testing::FakeSound;
using testing::MemoryStore;

class MusicTimeoutTest : public ::testing::Test {
  protected:
    MusicTimeoutTest() : playlist(sound, store, [this](bool on) { timer3 = on; }) {
        playlist.SetDataFolder("/data/");
        playlist.SetSoundOn(true);
        for (int slot = 0; slot < 8; ++slot) playlist.SetSongEnabled(slot, 1);
    }

    // As the saver's load does it.
    void Load(const std::string& value) {
        timeout.SetLimit(StopLimitSeconds(value));
        playlist.MidiSounds();
    }

    void Ticks(int n) {
        for (int i = 0; i < n; ++i) timeout.Tick();
    }

    FakeSound sound;
    MemoryStore store;
    bool timer3 = false;
    Playlist playlist;
    MusicTimeout timeout{sound, playlist};
};

TEST_F(MusicTimeoutTest, OneMinuteStopsAtTheSixtiethTickAndEveryTickAfter) {
    Load("1");
    EXPECT_EQ(timeout.SoundOffLimit(), 60);
    Ticks(59);
    EXPECT_EQ(sound.Count("StopMidi"), 0);
    EXPECT_TRUE(playlist.SoundOn());

    Ticks(1);
    EXPECT_EQ(sound.Count("StopMidi"), 1);
    EXPECT_FALSE(playlist.SoundOn());
    // The stored choice is untouched: the next start plays again.
    EXPECT_TRUE(store.writes.empty());

    // Music turned on again with S lasts only until the next tick.
    playlist.KeyStart();
    EXPECT_TRUE(playlist.SoundOn());
    Ticks(1);
    EXPECT_FALSE(playlist.SoundOn());
    Ticks(8);
    EXPECT_EQ(sound.Count("StopMidi"), 10);
}

// Values are compared as numbers; a number outside the list leaves the limit at 0, so the first
// tick stops the music. Text that is no number is taken as "Never", whatever its case.
TEST_F(MusicTimeoutTest, ValuesAreComparedAsNumbersAndTextThatIsNoNumberIsNever) {
    const struct {
        const char* value;
        int limit;
        bool never;
    } cases[] = {{"2", 120, false},     {"10", 600, false},    {" 45 ", 2700, false},
                 {"90.0", 5400, false}, {"480", 28800, false}, {"2.5", 0, false},
                 {"7", 0, false},       {"0", 0, false},       {"-1", 0, false},
                 {"never", 0, true},    {"NEVER", 0, true},    {"ten", 0, true},
                 {"", 0, true},         {"1 minute", 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        FakeSound localSound;
        Playlist local(localSound, store, nullptr);
        local.SetSoundOn(true);
        MusicTimeout t(localSound, local);
        t.SetLimit(StopLimitSeconds(c.value));
        EXPECT_EQ(t.NeverStops(), c.never);
        EXPECT_EQ(t.SoundOffLimit(), c.limit);
        const bool stopsAtOnce = !c.never && c.limit <= 1;
        t.Tick();
        EXPECT_EQ(local.SoundOn(), !stopsAtOnce);
        EXPECT_EQ(localSound.Count("StopMidi"), stopsAtOnce ? 1 : 0);
        if (c.never) {
            for (int i = 0; i < 100000; ++i) t.Tick();
            EXPECT_EQ(localSound.Count("StopMidi"), 0);
            EXPECT_EQ(t.SoundOffSeconds(), 0);
        }
    }
}

TEST_F(MusicTimeoutTest, CountGoesOnWhenMusicIsAlreadyOff) {
    Load("2");
    Ticks(30);
    playlist.KeyQuit();
    int stopsAfterQuit = sound.Count("StopMidi");
    Ticks(89);
    EXPECT_EQ(sound.Count("StopMidi"), stopsAfterQuit);
    Ticks(1);
    EXPECT_EQ(timeout.SoundOffSeconds(), 120);
    EXPECT_EQ(sound.Count("StopMidi"), stopsAfterQuit + 1);
}

TEST_F(MusicTimeoutTest, CountWrapsAfterADaySoMusicCanPlayAgain) {
    Load("480");
    Ticks(86398);
    EXPECT_EQ(timeout.SoundOffSeconds(), 86398);
    EXPECT_FALSE(playlist.SoundOn());
    int stops = sound.Count("StopMidi");

    // The tick that takes the count past 86,398 still stops, then starts counting afresh.
    Ticks(1);
    EXPECT_EQ(timeout.SoundOffSeconds(), 0);
    EXPECT_EQ(sound.Count("StopMidi"), stops + 1);

    playlist.KeyStart();
    Ticks(100);
    EXPECT_TRUE(playlist.SoundOn());
    EXPECT_EQ(sound.Count("StopMidi"), stops + 1);
}

}  // namespace
}  // namespace driftmere
