#pragma once
// The playlist of eight songs, its watcher (Timer3), the music keys, and the stop timeout.
//
// CONTRACT used by the saver session (src/startup/Form1) -- keep these signatures.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "music/TegoSnd.h"
#include "settings/SettingsStore.h"

namespace driftmere {

struct Song {
    std::string_view settingKey;  // "Midi1"
    std::string_view caption;     // "Tranquil"
    std::string_view file;        // "Tranquil.mid"
};
const std::array<Song, 8>& Songs();

class Playlist {
public:
    // setTimer3(true/false) switches the host's one-second song watcher on or off; switching it
    // on restarts its second.
    Playlist(TegoSnd& sound, SettingsStore& store, std::function<void(bool)> setTimer3);

    void SetDataFolder(std::string folder);  // ends with '/'
    void SetSoundOn(bool on);
    bool SoundOn() const;
    void SetSongEnabled(int slot /*0..7*/, std::int16_t value);
    std::int16_t SongIndex() const;
    void SetSongIndex(std::int16_t index);

    void MidiSounds();
    void MidiSoundsCheckedNext();
    void MidiSoundsCheckedPrevious();
    void Timer3Tick();

    void KeyNext();      // N
    void KeyPrevious();  // P
    void KeyQuit();      // Q
    void KeyStart();     // S
};

class MusicTimeout {
public:
    MusicTimeout(TegoSnd& sound, Playlist& playlist);
    void SetValue(std::string soundOff);  // the "SoundOff" setting as loaded
    void SoundOff();                      // turns the value into the limit in seconds
    void Tick();                          // Timer2, after the clock time is refreshed
};

}  // namespace driftmere
