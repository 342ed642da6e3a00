#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeSound.h"
#include "fakes/MemoryStore.h"
#include "music/Playlist.h"
#include "music/TokenSound.h"

namespace driftmere {
namespace {

using testing::FakeSound;
using testing::MemoryStore;

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
        playlist.SetDataFolder("/data/");
        playlist.SetSoundOn(true);
        for (int slot = 0; slot < 8; ++slot) playlist.SetSongEnabled(slot, 1);
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
