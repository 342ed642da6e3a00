#include "setup/ControlBox.h"

#include <algorithm>
#include <array>
#include <limits>

#include "display/Scene.h"
#include "music/Playlist.h"
#include "music/StopChoices.h"
#include "settings/Conversions.h"
#include "settings/KeyTable.h"

namespace driftmere {
namespace {

// Control names, keys and captions are the backdrop table's.
constexpr auto kBackdropChecks = [] {
    std::array<CheckSetting, kBackdrops.size()> checks{};
    for (std::size_t i = 0; i < kBackdrops.size(); ++i)
        checks[i] = {kBackdrops[i].checkBox, "Settings", kBackdrops[i].settingKey,
                     kBackdrops[i].caption};
    return checks;
}();

// Control names and the section are the Control Box's; keys and captions are the playlist's.
constexpr CheckSetting kSongs[] = {
    {"ChkMidi1", "music", kPlaylist[0].settingKey, kPlaylist[0].caption},
    {"ChkMidi2", "music", kPlaylist[1].settingKey, kPlaylist[1].caption},
    {"ChkMidi3", "music", kPlaylist[2].settingKey, kPlaylist[2].caption},
    {"ChkMidi4", "music", kPlaylist[3].settingKey, kPlaylist[3].caption},
    {"ChkMidi5", "music", kPlaylist[4].settingKey, kPlaylist[4].caption},
    {"ChkMidi6", "music", kPlaylist[5].settingKey, kPlaylist[5].caption},
    {"ChkMidi7", "music", kPlaylist[6].settingKey, kPlaylist[6].caption},
    {"ChkMidi8", "music", kPlaylist[7].settingKey, kPlaylist[7].caption},
};

constexpr auto kSoundOffTexts = [] {
    std::array<std::string_view, kStopChoices.size()> texts{};
    for (std::size_t i = 0; i < kStopChoices.size(); ++i) texts[i] = kStopChoices[i].text;
    return texts;
}();

// Reads a number setting: a number as stored, else the key's first-run value.
double ReadNumber(SettingsStore& store, std::string_view section, std::string_view key) {
    return NumberOr(GetSetting(store, section, key), FirstRunValue(section, key));
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
    double value = RoundHalfEven(ReadNumber(store, bar.section, bar.key));
    value = std::clamp(value, static_cast<double>(bar.minimum), static_cast<double>(bar.maximum));
    return static_cast<int>(value);
}

bool ReadCheck(SettingsStore& store, std::string_view section, std::string_view key) {
    return RoundHalfEven(ReadNumber(store, section, key)) == 1.0;
}

bool ReadMusicOn(SettingsStore& store) {
    return BoolOr(GetSetting(store, "music", "SoundOn"), FirstRunValue("music", "SoundOn"));
}

int ReadSelectedFont(SettingsStore& store, int count) {
    double index = RoundHalfEven(ReadNumber(store, "Settings", "SelectedFont"));
    if (index < 0 || index >= count) return -1;
    return static_cast<int>(index);
}

void ControlBox::Write(std::string_view section, std::string_view key, std::string_view value) {
    // A failed write has nowhere better to go: the control keeps showing the user's choice
    // and the next change tries again.
    store_.Write(section, key, value);
}

ControlBox::Readout ControlBox::WindSpeedChanged(int speed) {
    Write(kWindSpeedBar.section, kWindSpeedBar.key, std::to_string(speed));
    return {WindSpeedText(speed), std::string(WindWord(speed))};
}

ControlBox::Readout ControlBox::DraftChanged(int draft) {
    Write(kDraftBar.section, kDraftBar.key, std::to_string(draft));
    return {std::to_string(draft), std::string(DraftWord(draft))};
}

std::string ControlBox::MouseSensChanged(int sensitivity) {
    Write(kMouseSensBar.section, kMouseSensBar.key, std::to_string(sensitivity));
    return std::to_string(sensitivity);
}

std::string ControlBox::ScrollChanged(int minutes) {
    Write(kScrollBar.section, kScrollBar.key, std::to_string(minutes));
    Write("Settings", "ScrollSec", std::to_string(ScrollSeconds(minutes)));
    return std::to_string(minutes);
}

void ControlBox::CheckChanged(const CheckSetting& box, bool checked) {
    Write(box.section, box.key, checked ? "1" : "0");
}

void ControlBox::MusicOnChanged(bool checked) {
    musicOn_ = checked;
    Write("music", "SoundOn", musicOn_ ? "True" : "False");
}

void ControlBox::ShowBackgroundClicked(bool checked, const std::function<void()>& remind) {
    if (checked) {
        if (remind) remind();
    } else {
        // Only the stored choices are cleared: the boxes keep their checks, so checking
        // "Show a background" again and clicking a backdrop restores the user's pick.
        // In the first-run order (beaches, then mountains), so a file that lacks some of
        // these keys gains them in the same order as a fresh one has them.
        for (int i : {4, 5, 6, 0, 1, 2, 3}) Write("Settings", kBackdrops[i].settingKey, "0");
    }
    CheckChanged(kShowBackgroundCheck, checked);
}

void ControlBox::FontsBoxChanged(bool checked) { CheckChanged(kFontsCheck, checked); }

void ControlBox::FontChosen(int index, std::string_view name) {
    Write("Settings", "SelectedFont", std::to_string(index));
    Write("Settings", "FontName", name);
}

void ControlBox::SoundOffChosen(std::string_view text) { Write("music", "SoundOff", text); }

void ControlBox::TextChanged(const TextSetting& box, std::string_view text) {
    Write(box.section, box.key, text);
}

bool ControlBox::Stored(std::string_view section, std::string_view key, std::string_view shown) {
    return GetSetting(store_, section, key) == shown;
}

void ControlBox::BarLoaded(const BarSetting& bar, int value) {
    const std::string shown = std::to_string(value);
    if (bar.key == kScrollBar.key) {
        // The saver counts in "ScrollSec": it must hold the minutes shown, too.
        if (!Stored(bar.section, bar.key, shown) ||
            !Stored("Settings", "ScrollSec", std::to_string(ScrollSeconds(value))))
            ScrollChanged(value);
        return;
    }
    if (!Stored(bar.section, bar.key, shown)) Write(bar.section, bar.key, shown);
}

void ControlBox::CheckLoaded(const CheckSetting& box, bool checked) {
    if (!Stored(box.section, box.key, checked ? "1" : "0")) CheckChanged(box, checked);
}

void ControlBox::MusicOnLoaded(bool checked) {
    if (!Stored("music", "SoundOn", checked ? "True" : "False")) MusicOnChanged(checked);
}

}  // namespace driftmere
