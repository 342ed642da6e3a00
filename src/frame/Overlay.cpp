#include "frame/Overlay.h"

#include <algorithm>

#include "settings/Conversions.h"
#include "settings/Schema.h"

namespace driftmere {
namespace {

void DrawShadowedText(DisplayControl& display, const std::string& fontName, std::int32_t size,
                      const std::string& text, std::int32_t x, std::int32_t y) {
    // The font is set again before each text so that the clock's and the message's sizes never
    // leak into each other.
    display.SetFont(fontName, size);
    display.DrawText(text, x + 1, y + 1, kBlack);
    display.SetFont(fontName, size);
    display.DrawText(text, x, y, kYellow);
}

}  // namespace

std::int32_t OverlayFontSize(std::string_view typed, std::string_view firstRun) {
    return std::clamp(Int32Or(typed, firstRun), 1, 400);
}

OverlaySettings MakeOverlay(std::string_view clockSwitch, std::string_view clockSize,
                            std::int16_t showMessage, std::string message,
                            std::string_view messageSize, std::string fontName) {
    OverlaySettings o;
    o.showClock = NumberOr(clockSwitch, setting::kClock.firstRun) == 1;
    o.clockSize = OverlayFontSize(clockSize, setting::kFontSize.firstRun);
    o.showMessage = showMessage == 1;
    o.message = std::move(message);
    o.messageSize = OverlayFontSize(messageSize, setting::kFontSizeMsg.firstRun);
    o.fontName = std::move(fontName);
    return o;
}

void DrawOverlays(DisplayControl& display, const OverlaySettings& settings,
                  const std::string& timeText) {
    if (settings.showClock)
        DrawShadowedText(display, settings.fontName, settings.clockSize, timeText, 0, 0);
    if (settings.showMessage)
        DrawShadowedText(display, settings.fontName, settings.messageSize, settings.message, 400,
                         0);
}

}  // namespace driftmere
