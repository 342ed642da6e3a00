#include "frame/Overlay.h"

#include <algorithm>

#include "settings/Conversions.h"
#include "settings/KeyTable.h"

namespace driftmere {
namespace {

void DrawShadowedText(TegoDDrw& display, const std::string& fontName, std::int32_t size,
                      const std::string& text, std::int32_t x, std::int32_t y) {
    // The font is set again before each text so that the clock's and the message's sizes never
    // leak into each other.
    display.SetFont(fontName, size, 1, false, false, false);
    display.DrawText(text, x + 1, y + 1, kBlack);
    display.SetFont(fontName, size, 1, false, false, false);
    display.DrawText(text, x, y, kYellow);
}

}  // namespace

std::int32_t OverlayFontSize(const std::string& typed, std::string_view firstRun) {
    return std::clamp(Int32Or(typed, firstRun), 1, 400);
}

void DrawOverlays(TegoDDrw& display, const OverlaySettings& settings, const std::string& timeText) {
    if (NumberOr(settings.clockSwitch, FirstRunValue("System", "Clock")) == 1) {
        DrawShadowedText(display, settings.fontName,
                         OverlayFontSize(settings.clockSize, FirstRunValue("System", "FontSize")),
                         timeText, 0, 0);
    }
    if (settings.showMessage == 1) {
        DrawShadowedText(
            display, settings.fontName,
            OverlayFontSize(settings.messageSize, FirstRunValue("Settings", "FontSizeMsg")),
            settings.message, 400, 0);
    }
}

}  // namespace driftmere
