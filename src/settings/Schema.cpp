#include "settings/Schema.h"

#include "settings/Conversions.h"

namespace driftmere {

std::string ReadText(SettingsStore& store, const SettingKey& s) {
    return GetSetting(store, s.section, s.key);
}
std::string ReadSetting(SettingsStore& store, const Setting<std::string>& s) {
    return ReadText(store, s);
}
double ReadSetting(SettingsStore& store, const Setting<double>& s) {
    return NumberOr(ReadText(store, s), s.firstRun);
}
std::int16_t ReadSetting(SettingsStore& store, const Setting<std::int16_t>& s) {
    return Int16Or(ReadText(store, s), s.firstRun);
}
bool ReadSetting(SettingsStore& store, const Setting<bool>& s) {
    return BoolOr(ReadText(store, s), s.firstRun);
}

bool WriteSetting(SettingsStore& store, const SettingKey& s, std::string_view text) {
    return store.Write(s.section, s.key, text);
}

}  // namespace driftmere
