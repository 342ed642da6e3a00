#pragma once
// The saver session: everything from the load of the saver window to its close-down. It owns
// one object per subsystem and turns the events -- frames, the three one-second timers, keys,
// clicks and pointer motion -- into calls on them.
#include <cstdint>
#include <string>

#include "display/BackdropRotation.h"
#include "display/DisplayControl.h"
#include "flight/Fleet.h"
#include "flight/Random.h"
#include "frame/Overlay.h"
#include "music/Playlist.h"
#include "music/SoundControl.h"
#include "platform/Clock.h"
#include "platform/SessionHost.h"
#include "settings/SettingsStore.h"
#include "startup/SaverSettings.h"

namespace driftmere {

struct SessionParts {
    DisplayControl& display;
    SoundControl& sound;
    SettingsStore& store;
    Clock& clock;
    SessionHost& host;
    std::string dataFolder;  // ends with '/'
};

class SaverSession : public DisplayEvents {
  public:
    explicit SaverSession(SessionParts parts);
    ~SaverSession() override;

    // The load: first-run settings, every setting read, the starting state, the wind, the
    // backdrop rotation, the music timeout, the pointer hidden, the display opened with all its
    // pictures, and the music started.
    void Load();
    // Stops the music and shows the pointer again.
    void Unload();
    // Unloads the session and asks the host to end the program; nothing runs after it.
    void CloseDown();

    // Backdrop step and launch schedule.
    void BackdropAndLaunchTick();
    // Clock time and music timeout.
    void ClockAndTimeoutTick();
    // Song watcher.
    void SongWatcherTick();

    void RenderFrame() override;
    void KeyDown(std::int16_t keyCode) override;
    void MouseClick() override;
    void MouseMove() override;
    // The next balloon move; the one-second timers ask for their own frames.
    FrameDue NextFrameDue() override;
    bool Ended() const { return ended_; }
    bool DisplayOpened() const { return displayOpened_; }
    // Nonzero: keep the monitor on while the saver runs ("PwrSave").
    std::int16_t DisablePowerSaving() const { return settings_.disablePowerSaving; }

    // For tests and the frame counter.
    Fleet& fleet() { return fleet_; }
    const Fleet& fleet() const { return fleet_; }
    const BackdropRotation& rotation() const { return rotation_; }
    const Playlist& playlist() const { return playlist_; }
    const MusicTimeout& timeout() const { return timeout_; }
    std::int32_t MouseMoves() const { return mouseMoves_; }

  private:
    void OpenDisplayAndLoadPictures();

    SessionParts parts_;
    Random random_;
    Fleet fleet_;
    BackdropRotation rotation_;
    Playlist playlist_;
    MusicTimeout timeout_;

    SaverSettings settings_;

    std::string timeText_;
    std::int32_t mouseMoves_ = 0;
    std::int32_t moveWindowStart_ = 0;
    bool displayOpened_ = false;
    bool loaded_ = false;
    bool ended_ = false;
};

}  // namespace driftmere
