#pragma once
// Every setting the saver uses, decoded from the store once at load. The stored settings never
// change while the saver runs, so its parts are handed these values instead of stored text.
#include <array>
#include <cstdint>
#include <optional>

#include "frame/Overlay.h"
#include "settings/Schema.h"
#include "settings/SettingsStore.h"

namespace driftmere {

struct SaverSettings {
    double windSpeed = FirstRunWhole(setting::kWindSpeed);  // 0..15, paced in bands
    double drafts = FirstRunWhole(setting::kDrafts);        // negative presses down
    bool showBackdrops = true;
    std::array<bool, 8> backdropChosen{};  // by backdrop index 1..7; element 0 unused
    double scrollSeconds = FirstRunWhole(setting::kScrollSec);  // between backdrop changes
    bool soundOn = true;
    std::array<std::int16_t, 8> songEnabled{};   // "Midi1".."Midi8" as 16-bit numbers
    std::optional<std::int16_t> stopMusicAfter;  // seconds; none: the music never stops
    OverlaySettings overlay;
    // A move count equal to this ends the saver; a value the count never equals (below 1, a
    // fraction) means the pointer never does.
    double mouseSensitivity = FirstRunWhole(setting::kMouseSens);
    // "PwrSave": nonzero keeps the monitor on
    std::int16_t disablePowerSaving = FirstRunWhole(setting::kPwrSave);
};

// Reads the settings in a fixed order, each once. A value that does not convert is taken as
// its key's first-run value, and an absent key as "1".
SaverSettings LoadSaverSettings(SettingsStore& store);

}  // namespace driftmere
