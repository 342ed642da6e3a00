#pragma once
// The clock and the message, drawn in yellow with a one-pixel black shadow below and to the
// right, over everything else in the frame.
#include <cstdint>
#include <string>

#include "display/TegoDDrw.h"

namespace driftmere {

struct OverlaySettings {
    std::string clockSwitch = "0";   // "Clock" as stored; the clock shows when it is 1
    std::string clockSize = "22";    // "FontSize" as typed in the Control Box
    std::int16_t showMessage = 0;    // "ShowMessage", converted at load
    std::string message;             // "Message"
    std::string messageSize = "24";  // "FontSizeMsg" as typed
    std::string fontName = "Arial";
};

// A font size as typed becomes points: rounded half to even; empty or not a number takes the
// first-run size; anything is kept within 1 to 400 points so "99999" cannot ask for a giant font.
std::int32_t OverlayFontSize(const std::string& typed, std::string_view firstRun);

// Frame steps 4 and 5: the clock (when its switch is 1), then the message (when shown).
void DrawOverlays(TegoDDrw& display, const OverlaySettings& settings, const std::string& timeText);

}  // namespace driftmere
