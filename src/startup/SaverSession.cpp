#include "startup/SaverSession.h"

#include <array>

#include "display/Scene.h"
#include "frame/FrameSchedule.h"
#include "settings/Conversions.h"
#include "settings/KeyTable.h"

namespace driftmere {
namespace {

// Key codes the display reports for the music keys (a letter arrives as its capital's code).
constexpr std::int16_t kKeyNext = 78;      // N
constexpr std::int16_t kKeyPrevious = 80;  // P
constexpr std::int16_t kKeyQuit = 81;      // Q
constexpr std::int16_t kKeyStart = 83;     // S

}  // namespace

SaverSession::SaverSession(SessionParts parts)
    : parts_(std::move(parts)),
      fleet_(parts_.display, parts_.clock, random_),
      playlist_(parts_.sound, parts_.store,
                [this](bool on) { parts_.host.SetSongWatcherEnabled(on); }),
      timeout_(parts_.sound, playlist_) {}

SaverSession::~SaverSession() = default;

void SaverSession::Load() {
    // Keeping the monitor on is the host's job once it knows DisablePowerSaving().
    EnsureFirstRun(parts_.store);
    parts_.host.SetSongWatcherEnabled(false);

    // Starting state: backdrop index and count 0, song 0, balloon 1 flying, balloon 2 due soon.
    fleet_.SetStartingState();
    playlist_.SetSongIndex(0);

    settings_ = LoadSaverSettings(parts_.store);
    playlist_.SetSoundOn(settings_.soundOn);
    for (int i = 0; i < 8; ++i) playlist_.SetSongEnabled(i, settings_.songEnabled[i]);
    rotation_.SetScrollSeconds(settings_.scrollSeconds);
    fleet_.SetWind(settings_.windSpeed, settings_.drafts);
    rotation_.ChooseBackdrops(settings_.backdropChosen);
    timeout_.SetLimit(settings_.stopMusicAfter);

    parts_.host.SetPointerHidden(true);
    fleet_.ResetLaunchSeconds();
    // Until the first ClockAndTimeoutTick tick the clock shows midnight.
    timeText_ = parts_.host.TimeText(0.0);
    OpenDisplayAndLoadPictures();
    // Without a display the session ends at once: starting the music would only make the end
    // wait for the SoundFont and the audio device.
    if (displayOpened_) playlist_.MidiSounds();
    loaded_ = true;
}

void SaverSession::OpenDisplayAndLoadPictures() {
    DisplayControl& display = parts_.display;
    playlist_.SetDataFolder(parts_.dataFolder);
    if (!display.OpenDisplay(kSceneWidth, kSceneHeight)) {
        parts_.host.ShowMessage(std::string(kDisplayErrorText), std::string(kDisplayErrorTitle));
        return;
    }
    displayOpened_ = true;
    if (settings_.showBackdrops) {
        // All seven are loaded, chosen or not: the set is small and the rotation may need any.
        for (int i = 1; i <= 7; ++i) {
            SurfaceId s = display.CreateSurface();
            rotation_.SetSurface(i, s);
            display.LoadPicture(s, parts_.dataFolder + std::string(kBackdrops[i - 1].file),
                                kOpaque);
            display.SetSurfaceX(s, 0);
            display.SetSurfaceY(s, 0);
        }
    }
    for (int i = 1; i <= kBalloonCount; ++i) {
        const BalloonPicture& b = kBalloons[i - 1];
        SurfaceId s = display.CreateSurface();
        fleet_.SetSurface(i, s);
        display.LoadPicture(s, parts_.dataFolder + std::string(b.file), kKeyedOrAlpha);
        display.SetSurfaceX(s, b.x);
        display.SetSurfaceY(s, b.y);
    }
}

void SaverSession::Unload() {
    parts_.sound.StopMidi();
    parts_.host.SetPointerHidden(false);
}

void SaverSession::CloseDown() {
    if (ended_) return;
    Unload();
    ended_ = true;
    parts_.host.SetSongWatcherEnabled(false);
    parts_.host.RequestQuit(0);
}

void SaverSession::BackdropAndLaunchTick() {
    if (ended_) return;
    rotation_.AdvanceBackdrop();
    fleet_.LaunchTick();
}

void SaverSession::ClockAndTimeoutTick() {
    if (ended_) return;
    timeText_ = parts_.host.TimeText(parts_.clock.TimeOfDay());
    timeout_.Tick();
}

void SaverSession::SongWatcherTick() {
    if (ended_) return;
    playlist_.WatcherTick();
}

void SaverSession::RenderFrame() {
    if (ended_ || !loaded_) return;
    DisplayControl& display = parts_.display;
    display.ClearFrame(kBlack);
    if (settings_.showBackdrops) display.DrawSurface(rotation_.CurrentBackdrop());
    fleet_.FrameStep();
    DrawOverlays(display, settings_.overlay, timeText_);
    display.Flip();
}

FrameDue SaverSession::NextFrameDue() {
    if (ended_ || !loaded_) return {FrameDue::When::WhenAsked};
    std::array<std::uint32_t, kBalloonCount> lastMoves{};
    std::size_t flying = 0;
    for (int k = 1; k <= kBalloonCount; ++k) {
        if (fleet_.Balloon(k).Flying) lastMoves[flying++] = fleet_.LastMoveTick(k);
    }
    const auto due = NextMoveDue(parts_.clock.TickCount(), {lastMoves.data(), flying});
    if (!due) return {FrameDue::When::WhenAsked};
    return {FrameDue::When::AtTick, *due};
}

void SaverSession::KeyDown(std::int16_t keyCode) {
    if (ended_) return;
    switch (keyCode) {
        case kKeyNext:
            playlist_.KeyNext();
            break;
        case kKeyPrevious:
            playlist_.KeyPrevious();
            break;
        case kKeyQuit:
            playlist_.KeyQuit();
            break;
        case kKeyStart:
            playlist_.KeyStart();
            break;
        default:
            parts_.sound.StopMidi();
            CloseDown();
    }
}

void SaverSession::MouseClick() {
    if (ended_) return;
    CloseDown();
}

void SaverSession::MouseMove() {
    if (ended_) return;
    ++mouseMoves_;
    // Equality, not "at least": a setting below 1 is never met, so the pointer never ends the
    // saver then (a key or a click still does).
    if (mouseMoves_ == settings_.mouseSensitivity) {
        parts_.sound.StopMidi();
        CloseDown();
        return;
    }
    double now = parts_.clock.TimeOfDay();
    if (moveWindowStart_ == 0) {
        moveWindowStart_ = static_cast<std::int32_t>(RoundHalfEven(now));
    } else if (now - moveWindowStart_ > 10) {
        // The late move was counted above before the window closes; across midnight the
        // difference is negative and the window simply stays open.
        moveWindowStart_ = 0;
        mouseMoves_ = 0;
    }
}

}  // namespace driftmere
