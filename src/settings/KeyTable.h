#pragma once
// The one table of settings: section, key and first-run value. The saver's first-run writing,
// its load, and the Control Box all read it; no default is written anywhere else.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/SettingsStore.h"

namespace driftmere {

struct SettingKey {
    std::string_view section;  // canonical spelling: "Settings", "System" or "music"
    std::string_view key;
    std::string_view firstRun;
};

// Every key, in the order WriteFirstRunSettings writes them.
std::span<const SettingKey> AllSettingKeys();

// The key's entry, or nullptr for a key the table does not know (names compared without case).
const SettingKey* FindSettingKey(std::string_view section, std::string_view key);

// The first-run value of a key, or "1" (the read default) for a key the table does not know.
std::string_view FirstRunValue(std::string_view section, std::string_view key);

// The canonical spelling of a known section ("Music" -> "music"); other names unchanged.
std::string_view CanonicalSection(std::string_view section);

// Writes the complete first-run set in one WriteAll, overwriting whatever the keys held. The
// music section is written as "Music", the spelling a fresh settings file shows; the store folds
// it into "music" for every read.
void WriteFirstRunSettings(SettingsStore& store);

// Whether a first-run marker ("System"/"SetReg") asks for the first-run values: when it is
// absent or a number other than 2. Text that is no number counts as 2.
bool StartsFirstRun(const std::optional<std::string>& marker);

// The first-run rule, as one change of the store (so a marker read while an editor has the
// file renamed away cannot start it): when the marker asks for it, every key that is absent
// gets its first-run value, in the first-run order; a value that is there is never replaced.
// Returns true when the marker asked for it.
bool EnsureFirstRun(SettingsStore& store);

}  // namespace driftmere
