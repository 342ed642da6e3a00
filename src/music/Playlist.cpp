#include "music/Playlist.h"

#include <utility>

#include "settings/Conversions.h"

namespace driftmere {
namespace {

constexpr int kSongCount = 8;

// The count goes back to 0 on the tick that takes it past this, so after about a day the music
// may play again until the limit comes round once more.
constexpr std::int32_t kSecondsWrap = 86398;

}  // namespace

Playlist::Playlist(SoundControl& sound, SettingsStore& store,
                   std::function<void(bool)> setSongWatcherEnabled)
    : sound_(sound), store_(store), setSongWatcherEnabled_(std::move(setSongWatcherEnabled)) {}

void Playlist::SetDataFolder(std::string folder) { dataFolder_ = std::move(folder); }
void Playlist::SetSoundOn(bool on) { soundOn_ = on; }
bool Playlist::SoundOn() const { return soundOn_; }

void Playlist::SetSongEnabled(int slot, std::int16_t value) {
    if (slot >= 0 && slot < kSongCount) songEnabled_[slot] = value;
}

std::int16_t Playlist::SongEnabled(int slot) const {
    return slot >= 0 && slot < kSongCount ? songEnabled_[slot] : 0;
}

std::int16_t Playlist::SongIndex() const { return songIndex_; }

void Playlist::SetSongIndex(std::int16_t index) {
    if (index >= 0 && index < kSongCount) songIndex_ = index;
}

std::string Playlist::SongPath(int index) const {
    return dataFolder_ + std::string(kPlaylist[index].file);
}

void Playlist::SwitchSongWatcher(bool on) {
    if (setSongWatcherEnabled_) setSongWatcherEnabled_(on);
}

void Playlist::StepForward() { songIndex_ = songIndex_ == kSongCount - 1 ? 0 : songIndex_ + 1; }

void Playlist::MidiSounds() {
    if (soundOn_) {
        if (songEnabled_[songIndex_] == 1) sound_.PlayMidi(SongPath(songIndex_));
        // A switched-off song plays nothing this time; the watcher's next tick moves on from
        // the song after it.
        if (songEnabled_[songIndex_] == 0) StepForward();
    }
    SwitchSongWatcher(true);
}

// Both searches look at each song at most once. With no song enabled (or a switch holding some
// value other than 0 or 1, which only a hand-edited settings file can give) the index stays
// where it was instead of going round for ever.
void Playlist::MidiSoundsCheckedNext() {
    for (int step = 0; step < kSongCount; ++step) {
        int index = (songIndex_ + step) % kSongCount;
        if (songEnabled_[index] == 1) {
            songIndex_ = static_cast<std::int16_t>(index);
            return;
        }
    }
}

void Playlist::MidiSoundsCheckedPrevious() {
    for (int step = 0; step < kSongCount; ++step) {
        int index = (songIndex_ - step + kSongCount) % kSongCount;
        if (songEnabled_[index] == 1) {
            songIndex_ = static_cast<std::int16_t>(index);
            return;
        }
    }
}

void Playlist::WatcherTick() {
    if (!soundOn_) return;
    if (sound_.IsPlaying()) return;
    StepForward();
    MidiSoundsCheckedNext();
    MidiSounds();
}

void Playlist::KeyNext() {
    SwitchSongWatcher(false);
    sound_.StopMidi();
    StepForward();
    MidiSoundsCheckedNext();
    MidiSounds();
}

void Playlist::KeyPrevious() {
    SwitchSongWatcher(false);
    sound_.StopMidi();
    songIndex_ = songIndex_ == 0 ? kSongCount - 1 : songIndex_ - 1;
    MidiSoundsCheckedPrevious();
    MidiSounds();
}

// Q and S change the stored choice too, so the next start and the Control Box see it.
void Playlist::KeyQuit() {
    sound_.StopMidi();
    soundOn_ = false;
    WriteSetting(store_, setting::kSoundOn, "False");
    MidiSounds();
}

// The song that may be playing is not stopped: the sound control restarts it from the top.
void Playlist::KeyStart() {
    soundOn_ = true;
    WriteSetting(store_, setting::kSoundOn, "True");
    MidiSounds();
}

MusicTimeout::MusicTimeout(SoundControl& sound, Playlist& playlist)
    : sound_(sound), playlist_(playlist) {}

void MusicTimeout::SetLimit(std::optional<std::int16_t> seconds) {
    neverStops_ = !seconds;
    soundOffLimit_ = seconds.value_or(0);
}

void MusicTimeout::Tick() {
    if (neverStops_) return;
    ++soundOffSeconds_;
    // Repeated on every tick past the limit, so music turned on again with S lasts only until
    // the next second. The stored choice is left alone: the next start plays again.
    if (soundOffSeconds_ >= soundOffLimit_) {
        sound_.StopMidi();
        playlist_.SetSoundOn(false);
    }
    if (soundOffSeconds_ > kSecondsWrap) soundOffSeconds_ = 0;
}

}  // namespace driftmere
