#include "music/StopChoices.h"

#include "settings/Conversions.h"

namespace driftmere {

std::optional<std::int16_t> StopLimitSeconds(std::string_view soundOff) {
    const auto minutes = ParseNumber(soundOff);
    if (!minutes) return std::nullopt;
    for (const StopChoice& choice : kStopChoices) {
        if (choice.seconds && ParseNumber(choice.text) == minutes) return choice.seconds;
    }
    return 0;
}

}  // namespace driftmere
