#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeSound.h"
#include "fakes/MemoryStore.h"
#include "music/Playlist.h"

namespace driftmere {
namespace {

using testing::FakeSound;
using testing::MemoryStore;

class PlaylistTest : public ::testing::Test {
  protected:
    PlaylistTest() : playlist(sound, store, [this](bool on) { SongWatcherTick(on); }) {
        playlist.SetDataFolder("/data/");
        playlist.SetSoundOn(true);
        for (int slot = 0; slot < 8; ++slot) playlist.SetSongEnabled(slot, 1);
    }

    void SongWatcherTick(bool on) {
        timer3 = on;
        sound.calls.push_back(on ? "SongWatcherTick on" : "SongWatcherTick off");
    }

    void SwitchOff(std::initializer_list<int> slots) {
        for (int slot : slots) playlist.SetSongEnabled(slot, 0);
    }

    // The file names played since the last call, without the folder.
    std::vector<std::string> TakePlayed() {
        std::vector<std::string> names;
        for (const auto& path : sound.played) names.push_back(path.substr(path.rfind('/') + 1));
        sound.played.clear();
        return names;
    }

    // The watcher as the host runs it: one tick a second while switched on.
    void Seconds(int n) {
        for (int i = 0; i < n; ++i)
            if (timer3) playlist.WatcherTick();
    }

    FakeSound sound;
    MemoryStore store;
    bool timer3 = false;
    Playlist playlist;
};

TEST_F(PlaylistTest, AllSongsPlayInOrderAndComeRoundAgain) {
    playlist.MidiSounds();
    EXPECT_EQ(sound.played, std::vector<std::string>{"/data/Tranquil.mid"});
    EXPECT_TRUE(timer3);
    TakePlayed();

    // While a song plays the watcher only asks.
    Seconds(5);
    EXPECT_TRUE(TakePlayed().empty());
    EXPECT_EQ(sound.Count("IsPlaying"), 5);

    std::vector<std::string> heard;
    for (int song = 0; song < 8; ++song) {
        sound.EndSong();
        Seconds(1);
        for (auto& name : TakePlayed()) heard.push_back(name);
    }
    EXPECT_EQ(heard, (std::vector<std::string>{"Ambiant.mid", "colrkymt.mid", "pcanon.mid",
                                               "dream.mid", "travels.mid", "orfeo.mid",
                                               "OrinocoFlow.mid", "Tranquil.mid"}));
}

TEST_F(PlaylistTest, FirstSongOffPassesOverTheSecondUnlessItIsTheOnlyOneLeft) {
    SwitchOff({0});
    playlist.MidiSounds();
    EXPECT_TRUE(TakePlayed().empty());
    EXPECT_EQ(playlist.SongIndex(), 1);
    EXPECT_TRUE(timer3);
    Seconds(1);
    EXPECT_EQ(TakePlayed(), std::vector<std::string>{"colrkymt.mid"});
    EXPECT_EQ(playlist.SongIndex(), 2);

    // With every later song off, the search comes round to the second.
    SwitchOff({2, 3, 4, 5, 6, 7});
    playlist.SetSongIndex(0);
    sound.EndSong();
    playlist.MidiSounds();
    Seconds(1);
    EXPECT_EQ(TakePlayed(), std::vector<std::string>{"Ambiant.mid"});
}

TEST_F(PlaylistTest, NextAndPreviousWrapAndSkipSwitchedOffSongs) {
    playlist.SetSongIndex(7);
    sound.calls.clear();
    playlist.KeyNext();
    EXPECT_EQ(sound.calls,
              (std::vector<std::string>{"SongWatcherTick off", "StopMidi",
                                        "PlayMidi /data/Tranquil.mid", "SongWatcherTick on"}));
    EXPECT_EQ(playlist.SongIndex(), 0);

    SwitchOff({7, 6});
    sound.calls.clear();
    playlist.KeyPrevious();
    EXPECT_EQ(sound.calls,
              (std::vector<std::string>{"SongWatcherTick off", "StopMidi",
                                        "PlayMidi /data/travels.mid", "SongWatcherTick on"}));
    EXPECT_EQ(playlist.SongIndex(), 5);

    // The song just before is enabled: it plays.
    playlist.KeyPrevious();
    EXPECT_EQ(playlist.SongIndex(), 4);
    TakePlayed();

    // Next searches forward from the song after the current one.
    SwitchOff({5});
    playlist.KeyNext();
    EXPECT_EQ(TakePlayed(), std::vector<std::string>{"Tranquil.mid"});
}

// Start with a song playing calls play again without stopping it: the sound control restarts
// the song. Quit stops it; with the music off the watcher does nothing, not even ask.
TEST_F(PlaylistTest, StartAndQuitStoreTheChoiceAndStartPlaysTheCurrentSongAgain) {
    playlist.SetSongIndex(3);
    playlist.MidiSounds();
    sound.calls.clear();
    playlist.KeyStart();
    EXPECT_EQ(sound.calls,
              (std::vector<std::string>{"PlayMidi /data/pcanon.mid", "SongWatcherTick on"}));

    sound.calls.clear();
    playlist.KeyQuit();
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"StopMidi", "SongWatcherTick on"}));
    EXPECT_FALSE(playlist.SoundOn());
    EXPECT_EQ(store.Get("Music", "SoundOn"), "False");
    sound.calls.clear();
    Seconds(10);
    EXPECT_TRUE(sound.calls.empty());

    playlist.KeyStart();
    EXPECT_EQ(sound.calls,
              (std::vector<std::string>{"PlayMidi /data/pcanon.mid", "SongWatcherTick on"}));
    EXPECT_TRUE(playlist.SoundOn());
    EXPECT_EQ(store.Get("music", "SoundOn"), "True");
    ASSERT_EQ(store.writes.size(), 3u);
    EXPECT_EQ(store.writes[1].section, "music");
}

TEST_F(PlaylistTest, WithMusicOffNextAndPreviousStillStopAndMove) {
    playlist.SetSoundOn(false);
    playlist.MidiSounds();
    EXPECT_TRUE(timer3);

    playlist.KeyNext();
    playlist.KeyNext();
    EXPECT_EQ(playlist.SongIndex(), 2);
    playlist.KeyPrevious();
    EXPECT_EQ(playlist.SongIndex(), 1);
    EXPECT_EQ(sound.Count("StopMidi"), 3);
    EXPECT_EQ(sound.Count("PlayMidi"), 0);
    EXPECT_TRUE(timer3);
}

TEST_F(PlaylistTest, NoSongEnabledPlaysNothingAndNeverHangs) {
    SwitchOff({0, 1, 2, 3, 4, 5, 6, 7});
    playlist.SetSongIndex(4);
    playlist.MidiSoundsCheckedNext();
    EXPECT_EQ(playlist.SongIndex(), 4);
    playlist.MidiSoundsCheckedPrevious();
    EXPECT_EQ(playlist.SongIndex(), 4);

    playlist.MidiSounds();
    Seconds(100);
    playlist.KeyNext();
    playlist.KeyPrevious();
    playlist.KeyStart();
    EXPECT_EQ(sound.Count("PlayMidi"), 0);
    EXPECT_TRUE(timer3);
}

TEST_F(PlaylistTest, SwitchHoldingAnOddValueCountsAsOffInTheSearches) {
    // Only a hand-edited settings file gives such a value; the searches must still end.
    for (int slot = 0; slot < 8; ++slot) playlist.SetSongEnabled(slot, 2);
    playlist.SetSongEnabled(6, 1);
    playlist.SetSongIndex(1);
    playlist.MidiSoundsCheckedNext();
    EXPECT_EQ(playlist.SongIndex(), 6);
    playlist.SetSongIndex(5);
    playlist.MidiSoundsCheckedPrevious();
    EXPECT_EQ(playlist.SongIndex(), 6);

    // MidiSounds neither plays such a song nor steps past it; the watcher moves on.
    playlist.SetSongIndex(2);
    playlist.MidiSounds();
    EXPECT_EQ(playlist.SongIndex(), 2);
    Seconds(1);
    EXPECT_EQ(TakePlayed(), std::vector<std::string>{"orfeo.mid"});
}

}  // namespace
}  // namespace driftmere
