#include "startup/SaverSession.h"

#include <cmath>

#include "display/Scene.h"
#include "settings/Conversions.h"
#include "settings/KeyTable.h"

namespace driftmere {
namespace {

// Key codes the display reports for the music keys (a letter arrives as its capital's code).
constexpr std::int16_t kKeyNext = 78;      // N
constexpr std::int16_t kKeyPrevious = 80;  // P
constexpr std::int16_t kKeyQuit = 81;      // Q
constexpr std::int16_t kKeyStart = 83;     // S

// A setting converted at load to a 16-bit number; an unreadable value is its first-run value.
std::int16_t LoadInt16(SettingsStore& store, std::string_view section, std::string_view key) {
    return Int16Or(GetSetting(store, section, key), FirstRunValue(section, key));
}

bool EqualsOne(const std::string& text, std::string_view section, std::string_view key) {
    return NumberOr(text, FirstRunValue(section, key)) == 1;
}

}  // namespace

SaverSession::SaverSession(SessionParts parts)
    : parts_(std::move(parts)),
      fleet_(parts_.display, parts_.clock, random_),
      playlist_(parts_.sound, parts_.store,
                [this](bool on) { parts_.host.SetSongWatcherEnabled(on); }),
      timeout_(parts_.sound, playlist_) {}

SaverSession::~SaverSession() = default;

void SaverSession::Load() {
    SettingsStore& store = parts_.store;
    // On Linux the window hook's only job, keeping the monitor on, is done by the host once it
    // knows "PwrSave" (below); there is nothing to install here.
    EnsureFirstRun(store);
    parts_.host.SetSongWatcherEnabled(false);

    // Starting state: backdrop index and count 0, song 0, balloon 1 flying, balloon 2 due soon.
    fleet_.SetStartingState();
    playlist_.SetSongIndex(0);

    ReadSettings();
    fleet_.GetWind(windSpeed_, drafts_);
    GetCheckedBackGrounds();
    timeout_.SetValue(soundOff_);
    if (!timeout_.NeverStops()) timeout_.SoundOff();
    disablePowerSaving_ = LoadInt16(store, "Settings", "PwrSave");

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

void SaverSession::ReadSettings() {
    SettingsStore& store = parts_.store;
    // The reads come in the order the saver has always made them; the order is visible to
    // anyone watching the settings file being read, and costs nothing to keep.
    scroll_ = GetSetting(store, "Settings", "Scroll");
    scrollSec_ = GetSetting(store, "Settings", "ScrollSec");
    windSpeed_ = GetSetting(store, "Settings", "WindSpeed");
    drafts_ = GetSetting(store, "Settings", "Drafts");
    showBkGrnd_ = LoadInt16(store, "Settings", "ShowBkGrnd");
    scroll_ = GetSetting(store, "Settings", "Scroll");
    for (int i = 0; i < 3; ++i)
        mountain_[i] = GetSetting(store, "Settings", "Mountain" + std::to_string(i + 1));
    mountain4_ = LoadInt16(store, "Settings", "Mountain4");
    for (int i = 0; i < 2; ++i)
        beach_[i] = GetSetting(store, "Settings", "Beach" + std::to_string(i + 1));
    beach3_ = LoadInt16(store, "Settings", "Beach3");

    playlist_.SetSoundOn(
        BoolOr(GetSetting(store, "music", "SoundOn"), FirstRunValue("music", "SoundOn")));
    for (int i = 0; i < 8; ++i)
        playlist_.SetSongEnabled(i, LoadInt16(store, "music", "Midi" + std::to_string(i + 1)));
    soundOff_ = GetSetting(store, "music", "SoundOff");

    std::int16_t showMessage = LoadInt16(store, "Settings", "ShowMessage");
    std::string message = GetSetting(store, "Settings", "Message");
    std::string messageSize = GetSetting(store, "Settings", "FontSizeMsg");
    checkFont_ = LoadInt16(store, "Settings", "CheckFont");

    std::string clockSwitch = GetSetting(store, "System", "Clock");
    std::string clockSize = GetSetting(store, "System", "FontSize");
    mouseSens_ =
        NumberOr(GetSetting(store, "System", "MouseSens"), FirstRunValue("System", "MouseSens"));

    // Font rule: "CheckFont" 1 means Arial whatever "FontName" holds.
    checkFont_ = LoadInt16(store, "Settings", "CheckFont");
    std::string fontName = GetSetting(store, "Settings", "FontName");
    if (checkFont_ == 1) fontName = "Arial";
    overlay_ = MakeOverlay(clockSwitch, clockSize, showMessage, std::move(message), messageSize,
                           std::move(fontName));

    rotation_.SetScrollSeconds(NumberOr(scrollSec_, FirstRunValue("Settings", "ScrollSec")));
}

void SaverSession::GetCheckedBackGrounds() {
    std::array<bool, 8> chosen{};
    chosen[1] = EqualsOne(mountain_[0], "Settings", "Mountain1");
    chosen[2] = EqualsOne(mountain_[1], "Settings", "Mountain2");
    chosen[3] = EqualsOne(mountain_[2], "Settings", "Mountain3");
    chosen[4] = mountain4_ == 1;
    chosen[5] = EqualsOne(beach_[0], "Settings", "Beach1");
    chosen[6] = EqualsOne(beach_[1], "Settings", "Beach2");
    chosen[7] = beach3_ == 1;
    rotation_.GetCheckedBackGrounds(chosen);
}

void SaverSession::OpenDisplayAndLoadPictures() {
    DisplayControl& display = parts_.display;
    playlist_.SetDataFolder(parts_.dataFolder);
    if (!display.OpenDisplay(800, 600, 16, "")) {
        parts_.host.ShowMessage(std::string(kDisplayErrorText), std::string(kDisplayErrorTitle));
        return;
    }
    displayOpened_ = true;
    if (showBkGrnd_ == 1) {
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
    // There is no screen-saver-running state to clear on Linux, and no other form lives in a
    // saver process.
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
    if (showBkGrnd_ == 1) display.DrawSurface(rotation_.CurrentBackdrop());
    fleet_.FrameStep();
    DrawOverlays(display, overlay_, timeText_);
    display.Flip();
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
    if (mouseMoves_ == mouseSens_) {
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
