#include "setup/ControlBox.h"

#include <algorithm>
#include <array>
#include <limits>

#include "display/Scene.h"
#include "music/Playlist.h"
#include "music/StopChoices.h"
#include "settings/Conversions.h"

namespace driftmere {
namespace {

// Control names, keys and captions are the backdrop table's.
constexpr auto kBackdropChecks = [] {
    std::array<CheckSetting, kBackdrops.size()> checks{};
    for (std::size_t i = 0; i < kBackdrops.size(); ++i)
        checks[i] = {kBackdrops[i].checkBox, kBackdrops[i].setting, kBackdrops[i].caption};
    return checks;
}();

// Control names are the Control Box's; settings and captions are the playlist's.
constexpr CheckSetting kSongs[] = {
    {"ChkMidi1", kPlaylist[0].setting, kPlaylist[0].caption},
    {"ChkMidi2", kPlaylist[1].setting, kPlaylist[1].caption},
    {"ChkMidi3", kPlaylist[2].setting, kPlaylist[2].caption},
    {"ChkMidi4", kPlaylist[3].setting, kPlaylist[3].caption},
    {"ChkMidi5", kPlaylist[4].setting, kPlaylist[4].caption},
    {"ChkMidi6", kPlaylist[5].setting, kPlaylist[5].caption},
    {"ChkMidi7", kPlaylist[6].setting, kPlaylist[6].caption},
    {"ChkMidi8", kPlaylist[7].setting, kPlaylist[7].caption},
};

constexpr auto kSoundOffTexts = [] {
    std::array<std::string_view, kStopChoices.size()> texts{};
    for (std::size_t i = 0; i < kStopChoices.size(); ++i) texts[i] = kStopChoices[i].text;
    return texts;
}();

// Reads any setting as a number: a number as stored, else the key's first-run value.
double ReadNumber(SettingsStore& store, const SettingKey& setting) {
    return NumberOr(ReadText(store, setting), setting.firstRun);
}

}  // namespace

std::span<const CheckSetting> BackdropChecks() { return kBackdropChecks; }
std::span<const CheckSetting> SongChecks() { return kSongs; }
std::span<const std::string_view> SoundOffChoices() { return kSoundOffTexts; }

std::string WindSpeedText(int speed) { return std::to_string(speed) + " MPH"; }

std::string_view WindWord(int speed) {
    if (speed >= 12) return "Strong";
    if (speed >= 7) return "Moderate";
    if (speed >= 1) return "Weak";
    return "None";
}

std::string_view DraftWord(int draft) {
    if (draft > 0) return "Up";
    if (draft != 0) return "Down";
    return "None";
}

std::int16_t ScrollSeconds(int minutes) {
    long seconds = static_cast<long>(minutes) * 60;
    seconds = std::clamp<long>(seconds, std::numeric_limits<std::int16_t>::min(),
                               std::numeric_limits<std::int16_t>::max());
    return static_cast<std::int16_t>(seconds);
}

int ReadBarValue(SettingsStore& store, const BarSetting& bar) {
    // Clamp before converting: a huge stored number must not overflow the int.
    double value = RoundHalfEven(ReadSetting(store, *bar.setting));
    value = std::clamp(value, static_cast<double>(bar.minimum), static_cast<double>(bar.maximum));
    return static_cast<int>(value);
}

bool ReadCheck(SettingsStore& store, const SettingKey& setting) {
    return RoundHalfEven(ReadNumber(store, setting)) == 1.0;
}

bool ReadMusicOn(SettingsStore& store) { return ReadSetting(store, setting::kSoundOn); }

int ReadSelectedFont(SettingsStore& store, int count) {
    double index = RoundHalfEven(ReadNumber(store, setting::kSelectedFont));
    if (index < 0 || index >= count) return -1;
    return static_cast<int>(index);
}

void ControlBox::Write(const SettingKey& setting, std::string_view value) {
    // A failed write has nowhere better to go: the control keeps showing the user's choice
    // and the next change tries again.
    WriteSetting(store_, setting, value);
}

ControlBox::Readout ControlBox::WindSpeedChanged(int speed) {
    Write(*kWindSpeedBar.setting, std::to_string(speed));
    return {WindSpeedText(speed), std::string(WindWord(speed))};
}

ControlBox::Readout ControlBox::DraftChanged(int draft) {
    Write(*kDraftBar.setting, std::to_string(draft));
    return {std::to_string(draft), std::string(DraftWord(draft))};
}

std::string ControlBox::MouseSensChanged(int sensitivity) {
    Write(*kMouseSensBar.setting, std::to_string(sensitivity));
    return std::to_string(sensitivity);
}

std::string ControlBox::ScrollChanged(int minutes) {
    Write(*kScrollBar.setting, std::to_string(minutes));
    Write(setting::kScrollSec, std::to_string(ScrollSeconds(minutes)));
    return std::to_string(minutes);
}

void ControlBox::CheckChanged(const CheckSetting& box, bool checked) {
    Write(*box.setting, checked ? "1" : "0");
}

void ControlBox::MusicOnChanged(bool checked) {
    musicOn_ = checked;
    Write(setting::kSoundOn, musicOn_ ? "True" : "False");
}

void ControlBox::ShowBackgroundClicked(bool checked, const std::function<void()>& remind) {
    if (checked) {
        if (remind) remind();
    } else {
        // Only the stored choices are cleared: the boxes keep their checks, so checking
        // "Show a background" again and clicking a backdrop restores the user's pick.
        // In the first-run order (beaches, then mountains), so a file that lacks some of
        // these keys gains them in the same order as a fresh one has them.
        for (int i : {4, 5, 6, 0, 1, 2, 3}) Write(*kBackdrops[i].setting, "0");
    }
    CheckChanged(kShowBackgroundCheck, checked);
}

void ControlBox::FontsBoxChanged(bool checked) { CheckChanged(kFontsCheck, checked); }

void ControlBox::FontChosen(int index, std::string_view name) {
    Write(setting::kSelectedFont, std::to_string(index));
    Write(setting::kFontName, name);
}

void ControlBox::SoundOffChosen(std::string_view text) { Write(setting::kSoundOff, text); }

void ControlBox::TextChanged(const TextSetting& box, std::string_view text) {
    Write(*box.setting, text);
}

bool ControlBox::Stored(const SettingKey& setting, std::string_view shown) {
    return ReadText(store_, setting) == shown;
}

void ControlBox::BarLoaded(const BarSetting& bar, int value) {
    const std::string shown = std::to_string(value);
    if (bar.setting == kScrollBar.setting) {
        // The saver counts in "ScrollSec": it must hold the minutes shown, too.
        if (!Stored(*bar.setting, shown) ||
            !Stored(setting::kScrollSec, std::to_string(ScrollSeconds(value))))
            ScrollChanged(value);
        return;
    }
    if (!Stored(*bar.setting, shown)) Write(*bar.setting, shown);
}

void ControlBox::CheckLoaded(const CheckSetting& box, bool checked) {
    if (!Stored(*box.setting, checked ? "1" : "0")) CheckChanged(box, checked);
}

void ControlBox::MusicOnLoaded(bool checked) {
    if (!Stored(setting::kSoundOn, checked ? "True" : "False")) MusicOnChanged(checked);
}

}  // namespace driftmere
