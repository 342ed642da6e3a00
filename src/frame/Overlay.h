#pragma once
// The clock and the message, drawn in yellow with a one-pixel black shadow below and to the
// right, over everything else in the frame.
#include <cstdint>
#include <string>
#include <string_view>

#include "display/DisplayControl.h"
#include "settings/Schema.h"

namespace driftmere {

// The overlay as the saver holds it after its load. The stored settings never change while the
// saver runs, so they are converted once here rather than on every frame.
struct OverlaySettings {
    bool showClock = false;
    std::int32_t clockSize = FirstRunWhole(setting::kFontSize);
    bool showMessage = false;
    std::string message;
    std::int32_t messageSize = FirstRunWhole(setting::kFontSizeMsg);
    std::string fontName = std::string(setting::kFontName.firstRun);
};

// From the stored texts: the clock shows when "Clock" is the number 1, the message when
// "ShowMessage" (converted at load) is 1; sizes as OverlayFontSize gives them.
OverlaySettings MakeOverlay(std::string_view clockSwitch, std::string_view clockSize,
                            std::int16_t showMessage, std::string message,
                            std::string_view messageSize, std::string fontName);

// A font size as typed becomes points: rounded half to even; empty or not a number takes the
// first-run size; anything is kept within 1 to 400 points so "99999" cannot ask for a giant font.
std::int32_t OverlayFontSize(std::string_view typed, std::string_view firstRun);

// Frame steps 4 and 5: the clock, then the message, each when shown.
void DrawOverlays(DisplayControl& display, const OverlaySettings& settings,
                  const std::string& timeText);

}  // namespace driftmere
