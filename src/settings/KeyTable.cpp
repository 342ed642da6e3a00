#include "settings/KeyTable.h"

#include <array>
#include <iterator>
#include <vector>

#include "platform/AsciiText.h"
#include "settings/Conversions.h"

namespace driftmere {
namespace {

using namespace setting;

// The order in which a fresh file has them.
constexpr SettingKey kKeys[] = {
    kMidi[0],   kMidi[1],  kMidi[2],     kMidi[3],      kMidi[4],    kMidi[5],     kMidi[6],
    kMidi[7],   kSoundOff, kSoundOn,     kBeach1,       kBeach2,     kBeach3,      kCheckFont,
    kDrafts,    kFontName, kFontSizeMsg, kMessage,      kMountain1,  kMountain2,   kMountain3,
    kMountain4, kScroll,   kScrollSec,   kSelectedFont, kShowBkGrnd, kShowMessage, kWindSpeed,
    kClock,     kFontSize, kMouseSens,   kPower,        kSetReg,     kPwrSave,
};

// The music section is written as "Music", the spelling a fresh settings file shows.
SettingValue FirstRunValueToWrite(const SettingKey& k) {
    return {k.section == "music" ? std::string_view("Music") : k.section, k.key, k.firstRun};
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) { return EqualIgnoringAsciiCase(a, b); }

std::span<const SettingKey> AllSettingKeys() { return kKeys; }

const SettingKey* FindSettingKey(std::string_view section, std::string_view key) {
    for (const auto& k : AllSettingKeys())
        if (SameName(k.section, section) && SameName(k.key, key)) return &k;
    return nullptr;
}

std::string_view FirstRunValue(std::string_view section, std::string_view key) {
    const SettingKey* k = FindSettingKey(section, key);
    return k ? k->firstRun : kReadDefault;
}

std::string_view CanonicalSection(std::string_view section) {
    for (std::string_view s : {"Settings", "System", "music"})
        if (SameName(s, section)) return s;
    return section;
}

void WriteFirstRunSettings(SettingsStore& store) {
    // One change of the store rather than one per key: on a busy machine each replacement of
    // the file (a lock, a rewrite, two syncs) can take tens of milliseconds.
    std::array<SettingValue, std::size(kKeys)> values;
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = FirstRunValueToWrite(kKeys[i]);
    store.WriteAll(values);
}

bool StartsFirstRun(const std::optional<std::string>& marker) {
    if (!marker) return true;
    // A marker that is no number (a comment after it, say) is taken as its first-run value 2,
    // as every unreadable number is; only another number asks for the first run again.
    const std::optional<double> number = ParseNumber(*marker);
    if (!number) return false;
    const std::optional<std::int16_t> whole = ToInt16(*marker);
    return !whole || *whole != 2;
}

bool EnsureFirstRun(SettingsStore& store) {
    bool firstRun = false;
    store.Update([&firstRun](const StoredValue& stored) {
        std::vector<SettingValue> missing;
        firstRun = StartsFirstRun(stored(kSetReg.section, kSetReg.key));
        if (!firstRun) return missing;
        for (const SettingKey& k : kKeys)
            if (!stored(k.section, k.key)) missing.push_back(FirstRunValueToWrite(k));
        return missing;
    });
    return firstRun;
}

}  // namespace driftmere
