#pragma once
// The per-user settings store: text values by section and key. Section and key names are
// compared without regard to case ("Music" and "music" are one section).
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace driftmere {

// One value to write: section, key and text.
struct SettingValue {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

// What a change sees of the store: the value of a key as the store holds it while the change
// is made (nullopt when absent).
using StoredValue =
    std::function<std::optional<std::string>(std::string_view section, std::string_view key)>;
// Decides a change from what the store holds: the values to write, in order (none: no change).
// The views must stay valid until the change is saved.
using SettingsChange = std::function<std::vector<SettingValue>(const StoredValue& stored)>;

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // nullopt when the key is absent (or could not be read).
    virtual std::optional<std::string> Read(std::string_view section, std::string_view key) = 0;
    // Creates the section and key when absent, replaces any earlier value. Reaches the store at
    // once. Returns false when the value could not be saved.
    virtual bool Write(std::string_view section, std::string_view key, std::string_view value) = 0;
    // Writes the values in order, as one change of the store: the result is what the same
    // Writes one after another would leave, but a reader sees all of them or none. Returns
    // false when they could not be saved.
    virtual bool WriteAll(std::span<const SettingValue> values) = 0;
    // Reads and writes as one change: `change` sees the store as it is, and no other writer
    // comes between that and the writing of what it returns. Returns false when the store could
    // not be read for the change or the values could not be saved (`change` may not have run).
    virtual bool Update(const SettingsChange& change) = 0;
};

// Every read in the system names the default "1": an absent key reads as "1".
inline constexpr std::string_view kReadDefault = "1";

inline std::string GetSetting(SettingsStore& store, std::string_view section, std::string_view key,
                              std::string_view def = kReadDefault) {
    auto value = store.Read(section, key);
    return value ? *value : std::string(def);
}

// Case-insensitive equality of ASCII names.
bool SameName(std::string_view a, std::string_view b);

}  // namespace driftmere
