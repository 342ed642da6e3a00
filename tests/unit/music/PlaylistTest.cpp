#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeSound.h"
#include "fakes/MemoryStore.h"
#include "music/Playlist.h"
#include "music/StopChoices.h"
#include "music/TokenSound.h"

namespace driftmere {
namespace {

using testing::FakeSound;
using testing::MemoryStore;

// Music on, every song switched on, the songs in /data/.
void AllSongsOn(Playlist& playlist) {
    playlist.SetDataFolder("/data/");
    playlist.SetSoundOn(true);
    for (int slot = 0; slot < 8; ++slot) playlist.SetSongEnabled(slot, 1);
}

struct Rig {
    Rig() : playlist(sound, store, [this](bool on) { SongWatcher(on); }) { AllSongsOn(playlist); }
    void SongWatcher(bool on) {
        timer3 = on;
        sound.calls.push_back(on ? "Watcher on" : "Watcher off");
    }
    // The calls since the last look, joined by commas; the files played, without the folder.
    static std::string Take(std::vector<std::string>& items, const char* separator) {
        std::string joined;
        for (const auto& c : items) joined += (joined.empty() ? "" : separator) + c;
        items.clear();
        return joined;
    }
    std::string TakeCalls() { return Take(sound.calls, ", "); }
    std::string TakePlayed() {
        for (auto& path : sound.played) path.erase(0, path.rfind('/') + 1);
        return Take(sound.played, " ");
    }
    // The song watcher as the host runs it: one tick a second while switched on.
    void Seconds(int n) {
        for (int i = 0; i < n; ++i)
            if (timer3) playlist.WatcherTick();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) timeout.Tick();
    }
    void Load(const std::string& stopAfter) {  // as the saver's load does it
        timeout.SetLimit(StopLimitSeconds(stopAfter));
        playlist.MidiSounds();
    }

    FakeSound sound;
    MemoryStore store;
    bool timer3 = false;
    Playlist playlist;
    MusicTimeout timeout{sound, playlist};
};

class PlaylistTest : public ::testing::Test, protected Rig {};

TEST_F(PlaylistTest, AllSongsPlayInOrderAndComeRoundAgain) {
    playlist.MidiSounds();
    EXPECT_EQ(TakePlayed(), "Tranquil.mid");
    EXPECT_TRUE(timer3);
    // While a song plays the watcher only asks.
    Seconds(5);
    EXPECT_EQ(TakePlayed(), "");
    EXPECT_EQ(sound.Count("IsPlaying"), 5);
    for (int song = 0; song < 8; ++song) {
        sound.EndSong();
        Seconds(1);
    }
    EXPECT_EQ(TakePlayed(),
              "Ambiant.mid colrkymt.mid pcanon.mid dream.mid travels.mid orfeo.mid "
              "OrinocoFlow.mid Tranquil.mid");
}

// Each row: the eight switches ('2', only from a hand-edited file, counts as off), the song before,
// the action, then after 100 s of the watcher the songs heard and the song reached (-1: any). With
// the first song off the load skips the second unless it is the only one; every search ends.
TEST(PlaylistSearch, SkipsSwitchedOffSongsWrapsAndAlwaysEnds) {
    const struct {
        const char* switches;
        int from;
        const char* action;
        const char* heard;
        int to;
    } cases[] = {// clang-format off
        {"11111111", 7, "next", "Tranquil.mid", 0}, {"11111100", 0, "previous", "travels.mid", 5},
        {"11111100", 5, "previous", "dream.mid", 4}, {"11111000", 4, "next", "Tranquil.mid", 0},
        {"01111111", 0, "load", "colrkymt.mid", 2}, {"01000000", 0, "load", "Ambiant.mid", 1},
        {"22222212", 1, "checked next", "", 6}, {"22222212", 5, "checked previous", "", 6},
        {"22222212", 2, "load", "orfeo.mid", 6}, {"00000000", 4, "checked next", "", 4},
        {"00000000", 4, "checked previous", "", 4}, {"00000000", 4, "load", "", -1},
        {"00000000", 4, "next", "", -1}, {"00000000", 4, "previous", "", -1},
        {"00000000", 4, "start", "", -1}};
    // clang-format on
    const std::map<std::string, void (Playlist::*)()> actions{
        {"next", &Playlist::KeyNext},
        {"previous", &Playlist::KeyPrevious},
        {"start", &Playlist::KeyStart},
        {"load", &Playlist::MidiSounds},
        {"checked next", &Playlist::MidiSoundsCheckedNext},
        {"checked previous", &Playlist::MidiSoundsCheckedPrevious}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.switches) + " " + c.action + " from " + std::to_string(c.from));
        Rig r;
        for (int slot = 0; slot < 8; ++slot)
            r.playlist.SetSongEnabled(slot, c.switches[slot] - '0');
        r.playlist.SetSongIndex(c.from);
        (r.playlist.*actions.at(c.action))();
        r.Seconds(100);
        EXPECT_EQ(r.TakePlayed(), c.heard);
        EXPECT_TRUE(c.to < 0 || r.playlist.SongIndex() == c.to) << r.playlist.SongIndex();
    }
}

// Start with a song playing plays it again without a stop: the sound control restarts it.
TEST_F(PlaylistTest, StartAndQuitStoreTheChoiceAndStartPlaysTheCurrentSongAgain) {
    playlist.SetSongIndex(3);
    playlist.MidiSounds();
    TakeCalls();
    playlist.KeyStart();
    EXPECT_EQ(TakeCalls(), "PlayMidi /data/pcanon.mid, Watcher on");
    playlist.KeyQuit();
    EXPECT_EQ(TakeCalls(), "StopMidi, Watcher on");
    EXPECT_FALSE(playlist.SoundOn());
    EXPECT_EQ(store.Get("Music", "SoundOn"), "False");
    Seconds(10);  // with the music off the watcher does nothing, not even ask
    EXPECT_EQ(TakeCalls(), "");
    playlist.KeyNext();  // next and previous still stop and move, and play nothing
    playlist.KeyPrevious();
    playlist.KeyPrevious();
    EXPECT_EQ(playlist.SongIndex(), 2);
    EXPECT_EQ(TakeCalls(),
              "Watcher off, StopMidi, Watcher on, Watcher off, StopMidi, Watcher on, "
              "Watcher off, StopMidi, Watcher on");
    playlist.KeyStart();
    EXPECT_EQ(TakeCalls(), "PlayMidi /data/colrkymt.mid, Watcher on");
    EXPECT_TRUE(playlist.SoundOn());
    EXPECT_EQ(store.Get("music", "SoundOn"), "True");
    ASSERT_EQ(store.writes.size(), 3u);
    EXPECT_EQ(store.writes[1].section, "music");
}

// The count goes on while the music is off. At the limit the music stops without the stored
// choice changing, and music turned on again with S lasts only until the next tick.
TEST_F(PlaylistTest, TheStopLimitCountsOnWhileOffStopsAtItsTickAndEveryTickAfterAndWraps) {
    Load("1");
    Ticks(30);
    playlist.KeyQuit();
    const int stops = sound.Count("StopMidi");
    Ticks(29);
    EXPECT_EQ(sound.Count("StopMidi"), stops);
    Ticks(1);
    EXPECT_EQ(timeout.SoundOffSeconds(), 60);
    EXPECT_EQ(sound.Count("StopMidi"), stops + 1);
    playlist.KeyStart();
    EXPECT_TRUE(playlist.SoundOn());
    Ticks(1);
    EXPECT_FALSE(playlist.SoundOn());
    Ticks(8);
    EXPECT_EQ(sound.Count("StopMidi"), stops + 10);
    EXPECT_EQ(store.writes.size(), 2u);  // the quit and the start: the limit stores nothing

    // The tick that takes the count past 86,398 still stops, then counting starts afresh. A limit
    // of 0 (not in the list) stops at the first tick; "Never" never does.
    Load("480");
    Ticks(86398 - timeout.SoundOffSeconds());
    EXPECT_FALSE(playlist.SoundOn());
    const int atWrap = sound.Count("StopMidi");
    Ticks(1);
    EXPECT_EQ(timeout.SoundOffSeconds(), 0);
    EXPECT_EQ(sound.Count("StopMidi"), atWrap + 1);
    playlist.KeyStart();
    Ticks(100);
    EXPECT_TRUE(playlist.SoundOn());
    Load("never");
    Ticks(100000);
    EXPECT_EQ(sound.Count("StopMidi"), atWrap + 1);
    Load("7");
    Ticks(1);
    EXPECT_EQ(sound.Count("StopMidi"), atWrap + 2);
}

// Values are compared as numbers of minutes; a number outside the list is a limit of 0. Text that
// is no number is taken as "Never", whatever its case.
TEST(StopLimit, ValuesAreComparedAsNumbersAndTextThatIsNoNumberIsNever) {
    const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
        {"2", 120},    {"10", 600}, {" 45 ", 2700}, {"90.0", 5400},  {"480", 28800},
        {"2.5", 0},    {"7", 0},    {"0", 0},       {"-1", 0},       {"never", {}},
        {"NEVER", {}}, {"ten", {}}, {"", {}},       {"1 minute", {}}};
    for (const auto& [text, seconds] : cases) EXPECT_EQ(StopLimitSeconds(text), seconds) << text;
}

// One token for all copies, as the kernel's lock is, and a log of what happens to it.
struct Seat {
    std::string holder;
    std::vector<std::string> log;
};

struct SeatToken : MusicToken {
    SeatToken(Seat& s, std::string n) : seat(s), name(std::move(n)) {}
    bool TryTake() override {
        if (seat.holder.empty()) seat.holder = name;
        return Held();
    }
    bool Held() const override { return seat.holder == name; }
    void Release() override {
        if (Held()) seat.holder.clear(), seat.log.push_back(name + " released");
    }
    Seat& seat;
    std::string name;
};

struct LoggedSound : FakeSound {
    LoggedSound(Seat& s, std::string n) : seat(s), name(std::move(n)) { Log(" made"); }
    ~LoggedSound() override { Log(" gone"); }
    void Log(const char* what) { seat.log.push_back(name + what); }
    Seat& seat;
    std::string name;
};

// One running copy: its sound control and its playlist with the watcher the host ticks.
struct Copy {
    Copy(Seat& seat, const std::string& name)
        : sound(std::make_unique<SeatToken>(seat, name),
                [&seat, name, this] {
                    auto made = std::make_unique<LoggedSound>(seat, name);
                    real = made.get();
                    return made;
                }),
          playlist(sound, store, [this](bool on) { watcherOn = on; }) {
        AllSongsOn(playlist);
        playlist.MidiSounds();
    }
    void Seconds(int n) {
        for (int i = 0; i < n && watcherOn; ++i) playlist.WatcherTick();
    }

    LoggedSound* real = nullptr;
    MemoryStore store;
    bool watcherOn = false;
    TokenSound sound;
    Playlist playlist;
};

TEST(TokenSound, OnlyTheHolderIsHeardAndAnotherTakesOverAtItsNextSong) {
    Seat seat;
    auto first = std::make_unique<Copy>(seat, "first");
    Copy second(seat, "second");
    ASSERT_NE(first->real, nullptr);
    EXPECT_EQ(first->real->played, std::vector<std::string>{"/data/Tranquil.mid"});

    // The silent copy makes no synthesiser however long it runs, reads as not playing, writes
    // no setting, and its watcher keeps asking.
    second.Seconds(20);
    second.sound.StopMidi();
    EXPECT_EQ(second.real, nullptr);
    EXPECT_FALSE(second.sound.IsPlaying());
    EXPECT_TRUE(second.store.writes.empty());
    EXPECT_TRUE(second.watcherOn);

    // The holder's calls reach its synthesiser.
    EXPECT_TRUE(first->sound.IsPlaying());
    first->sound.StopMidi();
    EXPECT_FALSE(first->sound.IsPlaying());
    first->Seconds(1);
    EXPECT_EQ(first->real->played.size(), 2u);

    // The holder ends: its sound is gone before the token is free, so two are never heard.
    first.reset();
    EXPECT_EQ(seat.log, (std::vector<std::string>{"first made", "first gone", "first released"}));
    second.Seconds(1);
    ASSERT_NE(second.real, nullptr);
    EXPECT_EQ(second.real->played.size(), 1u);
    EXPECT_TRUE(second.sound.IsPlaying());
    second.Seconds(5);
    EXPECT_EQ(seat.log.back(), "second made");  // one synthesiser, made once
}

}  // namespace
}  // namespace driftmere
