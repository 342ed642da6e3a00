#pragma once
// The settings as a table, in first-run order, for the store and the first-run write; and the
// first-run rule.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/Schema.h"
#include "settings/SettingsStore.h"

namespace driftmere {

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
