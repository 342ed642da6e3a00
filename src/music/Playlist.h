#pragma once
// The playlist of eight songs, its watcher (SongWatcherTick), the music keys, and the stop timeout.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "music/SoundControl.h"
#include "settings/Schema.h"
#include "settings/SettingsStore.h"

namespace driftmere {

struct Song {
    const Setting<std::int16_t>* setting;  // "Midi1": nonzero plays the song
    std::string_view caption;              // "Tranquil"
    std::string_view file;                 // "Tranquil.mid"
};
// The playlist, in order: the saver plays it and the Control Box shows its captions.
inline constexpr std::array<Song, 8> kPlaylist{{
    {&setting::kMidi[0], "Tranquil", "Tranquil.mid"},
    {&setting::kMidi[1], "Ambiant", "Ambiant.mid"},
    {&setting::kMidi[2], "Rocky Mtn High", "colrkymt.mid"},
    {&setting::kMidi[3], "PCanon", "pcanon.mid"},
    {&setting::kMidi[4], "Dream", "dream.mid"},
    {&setting::kMidi[5], "Travels", "travels.mid"},
    {&setting::kMidi[6], "Orfeo", "orfeo.mid"},
    {&setting::kMidi[7], "Oronico Flow", "OrinocoFlow.mid"},
}};

class Playlist {
  public:
    // setSongWatcherEnabled(true/false) switches the host's one-second song watcher on or off;
    // switching it on restarts its second.
    Playlist(SoundControl& sound, SettingsStore& store,
             std::function<void(bool)> setSongWatcherEnabled);

    void SetDataFolder(std::string folder);  // ends with '/'
    void SetSoundOn(bool on);
    bool SoundOn() const;
    void SetSongEnabled(int slot /*0..7*/, std::int16_t value);
    std::int16_t SongIndex() const;
    void SetSongIndex(std::int16_t index);

    void MidiSounds();
    void MidiSoundsCheckedNext();
    void MidiSoundsCheckedPrevious();
    void WatcherTick();

    void KeyNext();      // N
    void KeyPrevious();  // P
    void KeyQuit();      // Q
    void KeyStart();     // S

    // The switch of song `slot` as loaded (1 enabled, 0 off); 0 for a slot outside 0..7.
    std::int16_t SongEnabled(int slot) const;
    // The data folder followed directly by the song's file name.
    std::string SongPath(int index) const;

  private:
    void SwitchSongWatcher(bool on);
    void StepForward();

    SoundControl& sound_;
    SettingsStore& store_;
    std::function<void(bool)> setSongWatcherEnabled_;
    std::string dataFolder_;
    bool soundOn_ = false;
    std::array<std::int16_t, 8> songEnabled_{};
    std::int16_t songIndex_ = 0;
};

class MusicTimeout {
  public:
    MusicTimeout(SoundControl& sound, Playlist& playlist);
    // The limit in seconds the "SoundOff" setting sets (StopLimitSeconds); none never stops.
    void SetLimit(std::optional<std::int16_t> seconds);
    bool NeverStops() const { return neverStops_; }
    void Tick();  // ClockAndTimeoutTick, after the clock time is refreshed

    std::int16_t SoundOffLimit() const { return soundOffLimit_; }
    std::int32_t SoundOffSeconds() const { return soundOffSeconds_; }

  private:
    SoundControl& sound_;
    Playlist& playlist_;
    // Until the session hands over the stored limit the timeout stays out of the way.
    bool neverStops_ = true;
    std::int16_t soundOffLimit_ = 0;
    std::int32_t soundOffSeconds_ = 0;
};

}  // namespace driftmere
