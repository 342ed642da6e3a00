#pragma once
// Every setting, declared once: its section, its key, its first-run value and what its stored
// text decodes to. The saver's load, the Control Box, the music keys and the first-run write
// name settings only through these, so a misspelt setting does not compile.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/SettingsStore.h"

namespace driftmere {

// Where a setting lives and what the first run writes there, whatever it holds.
struct SettingKey {
    std::string_view section;  // canonical spelling: "Settings", "System" or "music"
    std::string_view key;
    std::string_view firstRun;
};

// A setting whose text the saver decodes to T:
//   std::string    the text as stored
//   double         a decimal number
//   std::int16_t   a number rounded half to even, in 16 bits
//   bool           "True" or "False" in any case, or a number (nonzero is true)
// A stored text that does not decode is taken as the first-run value; an absent key reads "1".
template <class T>
struct Setting : SettingKey {};

namespace setting {

inline constexpr Setting<double> kWindSpeed{{"Settings", "WindSpeed", "11"}};
inline constexpr Setting<double> kDrafts{{"Settings", "Drafts", "2"}};
inline constexpr Setting<std::int16_t> kShowBkGrnd{{"Settings", "ShowBkGrnd", "1"}};
// Backdrops 1 to 3, 5 and 6 must be 1 exactly; 4 and 7 are whole numbers (1.4 counts as 1).
inline constexpr Setting<double> kMountain1{{"Settings", "Mountain1", "1"}};
inline constexpr Setting<double> kMountain2{{"Settings", "Mountain2", "1"}};
inline constexpr Setting<double> kMountain3{{"Settings", "Mountain3", "1"}};
inline constexpr Setting<std::int16_t> kMountain4{{"Settings", "Mountain4", "1"}};
inline constexpr Setting<double> kBeach1{{"Settings", "Beach1", "1"}};
inline constexpr Setting<double> kBeach2{{"Settings", "Beach2", "1"}};
inline constexpr Setting<std::int16_t> kBeach3{{"Settings", "Beach3", "1"}};
// Minutes, as the Control Box shows them; the saver counts in ScrollSec.
inline constexpr Setting<double> kScroll{{"Settings", "Scroll", "1"}};
inline constexpr Setting<double> kScrollSec{{"Settings", "ScrollSec", "60"}};
inline constexpr Setting<std::int16_t> kShowMessage{{"Settings", "ShowMessage", "0"}};
inline constexpr Setting<std::string> kMessage{{"Settings", "Message", "Place a Message Here"}};
// Font sizes are stored as typed; the overlay makes points of them.
inline constexpr Setting<std::string> kFontSizeMsg{{"Settings", "FontSizeMsg", "24"}};
// 1: clock and message use Arial whatever FontName holds.
inline constexpr Setting<std::int16_t> kCheckFont{{"Settings", "CheckFont", "1"}};
inline constexpr Setting<std::string> kFontName{{"Settings", "FontName", "Arial"}};
// The Control Box's font list entry; the saver does not read it.
inline constexpr Setting<std::int16_t> kSelectedFont{{"Settings", "SelectedFont", "0"}};
inline constexpr Setting<std::int16_t> kPwrSave{{"Settings", "PwrSave", "1"}};
// The first-run marker: its own rule (KeyTable.h).
inline constexpr Setting<std::string> kSetReg{{"System", "SetReg", "2"}};
// Held as text; the overlay shows the clock when it is the number 1.
inline constexpr Setting<std::string> kClock{{"System", "Clock", "0"}};
inline constexpr Setting<std::string> kFontSize{{"System", "FontSize", "22"}};
inline constexpr Setting<double> kMouseSens{{"System", "MouseSens", "4"}};
// Written at the first run, never read.
inline constexpr Setting<std::string> kPower{{"System", "Power", "0"}};
inline constexpr Setting<bool> kSoundOn{{"music", "SoundOn", "True"}};
// Songs 1 to 8 of the playlist.
inline constexpr std::array<Setting<std::int16_t>, 8> kMidi{{{{"music", "Midi1", "1"}},
                                                             {{"music", "Midi2", "1"}},
                                                             {{"music", "Midi3", "1"}},
                                                             {{"music", "Midi4", "1"}},
                                                             {{"music", "Midi5", "1"}},
                                                             {{"music", "Midi6", "1"}},
                                                             {{"music", "Midi7", "1"}},
                                                             {{"music", "Midi8", "1"}}}};
// "Never", or minutes as text; compared with "Never" exactly.
inline constexpr Setting<std::string> kSoundOff{{"music", "SoundOff", "Never"}};

}  // namespace setting

// The first-run value of a setting that starts as a whole number, for what holds it before
// anything is read. Anything but digits does not compile where a constant is needed.
constexpr std::int32_t FirstRunWhole(const SettingKey& s) {
    std::int32_t value = 0;
    for (char c : s.firstRun) {
        if (c < '0' || c > '9') throw "not a whole number";
        value = value * 10 + (c - '0');
    }
    return value;
}

// A setting's stored text ("1" when absent), decoded as its declaration says.
std::string ReadSetting(SettingsStore& store, const Setting<std::string>& s);
double ReadSetting(SettingsStore& store, const Setting<double>& s);
std::int16_t ReadSetting(SettingsStore& store, const Setting<std::int16_t>& s);
bool ReadSetting(SettingsStore& store, const Setting<bool>& s);
// The stored text of any setting, "1" when absent.
std::string ReadText(SettingsStore& store, const SettingKey& s);

// Stores a setting's text, which the caller gives in the setting's stored form.
bool WriteSetting(SettingsStore& store, const SettingKey& s, std::string_view text);

}  // namespace driftmere
