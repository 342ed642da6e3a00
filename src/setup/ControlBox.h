#pragma once
// What the Control Box does when one of its controls changes, without any toolkit: the
// read-out texts beside the scroll bars, the words for wind and drafts, and the settings each
// change writes. The Qt dialog only moves values between its widgets and this class, so every
// rule here can be checked against an in-memory store.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "settings/Schema.h"
#include "settings/SettingsStore.h"

namespace driftmere {

// A horizontal scroll bar and the number setting it shows.
struct BarSetting {
    std::string_view control;
    const Setting<double>* setting;
    int minimum;
    int maximum;
    // Where the bar stands before the stored value is loaded. Loading only writes a value back
    // when it differs from this, as a user's change would.
    int initial;
};

inline constexpr BarSetting kWindSpeedBar{"hsbWindSpeed", &setting::kWindSpeed, 0, 15, 0};
inline constexpr BarSetting kDraftBar{"hsbDraft", &setting::kDrafts, -15, 15, 0};
inline constexpr BarSetting kMouseSensBar{"hsbMouseS", &setting::kMouseSens, 2, 20, 2};
// The scroll-time bar opens at 15 minutes, the value its read-out shows before loading.
inline constexpr BarSetting kScrollBar{"hsbScroll", &setting::kScroll, 1, 500, 15};

// A check box that keeps "0" or "1" in one key.
struct CheckSetting {
    std::string_view control;
    const SettingKey* setting;
    std::string_view caption;
};

// The seven backdrop boxes, mountains then beaches: the order in which loading sets them.
std::span<const CheckSetting> BackdropChecks();
// The eight song boxes, "Midi1" to "Midi8".
std::span<const CheckSetting> SongChecks();

inline constexpr CheckSetting kFontsCheck{"chkFonts", &setting::kCheckFont, "Check1"};
inline constexpr CheckSetting kShowBackgroundCheck{"chkBackGround", &setting::kShowBkGrnd,
                                                   "Show a background"};
inline constexpr CheckSetting kClockCheck{"chkClock", &setting::kClock, "Show Clock"};
inline constexpr CheckSetting kShowMessageCheck{"chkShowMessage", &setting::kShowMessage,
                                                "Show Message"};
inline constexpr CheckSetting kPowerSaveCheck{"chkPowerSave", &setting::kPwrSave,
                                              "Disable any Power Saving settings"};

// A text box whose text is stored exactly as typed.
struct TextSetting {
    std::string_view control;
    const Setting<std::string>* setting;
};

inline constexpr TextSetting kMessageText{"txtMessage", &setting::kMessage};
inline constexpr TextSetting kMessageSizeText{"txtFontSizeMsg", &setting::kFontSizeMsg};
inline constexpr TextSetting kClockSizeText{"txtFontSize", &setting::kFontSize};

// The stop-music list: "Never", then minutes from 1 to 480.
std::span<const std::string_view> SoundOffChoices();

// "11 MPH".
std::string WindSpeedText(int speed);
// 12-15 "Strong", 7-11 "Moderate", 1-6 "Weak" (1 is the gentlest breeze the bar offers, so it
// counts as weak), 0 "None".
std::string_view WindWord(int speed);
// Positive drafts lift ("Up"), negative ones press down ("Down"), 0 is "None".
std::string_view DraftWord(int draft);
// The scroll-through time in seconds, as the saver reads it: minutes times 60, held in 16 bits.
// The bar stops at 500 minutes (30000 s); anything beyond 16 bits is held at the 16-bit limit.
std::int16_t ScrollSeconds(int minutes);

// The value a bar shows for its setting. A stored number is rounded half to even and clamped
// into the bar's range (so the default "1" puts the mouse sensitivity at its lower end, 2); a
// text that is not a number at all is taken as the key's first-run value, then clamped.
int ReadBarValue(SettingsStore& store, const BarSetting& bar);
// Whether a box opens checked: the stored value reads as 1, the way the saver compares it. A
// text that is not a number is taken as the key's first-run value.
bool ReadCheck(SettingsStore& store, const SettingKey& setting);
// "music"/"SoundOn" as a flag: "True"/"False" or a number; anything else is its first-run
// value (on).
bool ReadMusicOn(SettingsStore& store);
// The font list entry "SelectedFont" names, or -1 when it names none of `count` entries.
int ReadSelectedFont(SettingsStore& store, int count);

class ControlBox {
  public:
    explicit ControlBox(SettingsStore& store) : store_(store) {}

    struct Readout {
        std::string value;  // the number read-out ("11 MPH", "-3")
        std::string word;   // the word beside it ("Moderate", "Down")
    };

    // The scroll bars: each writes its value and returns what its read-outs show.
    Readout WindSpeedChanged(int speed);
    Readout DraftChanged(int draft);
    std::string MouseSensChanged(int sensitivity);
    // Writes "Scroll" (minutes), then "ScrollSec" (seconds).
    std::string ScrollChanged(int minutes);

    // A check box that keeps "0"/"1" (backdrops, songs, clock, message, power saving).
    void CheckChanged(const CheckSetting& box, bool checked);
    // "Music On": keeps the music flag and writes it as "True"/"False".
    void MusicOnChanged(bool checked);
    // "Show a background", clicked by the user. Checking it first reminds the user to choose a
    // backdrop (`remind`), then stores the box; clearing it writes "0" to every backdrop key
    // (the boxes keep their checks), so the saver shows none, then stores the box.
    void ShowBackgroundClicked(bool checked, const std::function<void()>& remind);
    // The fonts box: checked means "use Arial and skip the font list".
    void FontsBoxChanged(bool checked);
    // A font list entry was chosen: its index, then its name.
    void FontChosen(int index, std::string_view name);
    // A stop-music entry was chosen from the list.
    void SoundOffChosen(std::string_view text);
    void TextChanged(const TextSetting& box, std::string_view text);

    // After a control is loaded: when the value it shows differs from the stored text (a value
    // out of the bar's range, a number where a check is kept, text that is no number), the
    // shown value is stored, so the saver does what the Control Box shows. An absent key is
    // compared as the "1" every read gives it.
    void BarLoaded(const BarSetting& bar, int value);
    void CheckLoaded(const CheckSetting& box, bool checked);
    void MusicOnLoaded(bool checked);

    bool MusicOn() const { return musicOn_; }

  private:
    void Write(const SettingKey& setting, std::string_view value);
    bool Stored(const SettingKey& setting, std::string_view shown);

    SettingsStore& store_;
    bool musicOn_ = false;
};

}  // namespace driftmere
