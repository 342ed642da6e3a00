#include "frame/Overlay.h"

#include <gtest/gtest.h>

#include "fakes/RecordingDisplay.h"

namespace driftmere {
namespace {

using testing::RecordingDisplay;

TEST(Overlay, ClockThenMessageEachWithShadowAndFontSetBeforeEveryText) {
    RecordingDisplay d;
    OverlaySettings s;
    s.clockSwitch = "1";
    s.clockSize = "22";
    s.showMessage = 1;
    s.message = "Hello";
    s.messageSize = "24";
    s.fontName = "Arial";
    DrawOverlays(d, s, "12:00:00");
    EXPECT_EQ(d.calls, (std::vector<std::string>{
                           "SetFont Arial 22 1 0 0 0", "DrawText \"12:00:00\" 1 1 0",
                           "SetFont Arial 22 1 0 0 0", "DrawText \"12:00:00\" 0 0 65535",
                           "SetFont Arial 24 1 0 0 0", "DrawText \"Hello\" 401 1 0",
                           "SetFont Arial 24 1 0 0 0", "DrawText \"Hello\" 400 0 65535"}));
}

TEST(Overlay, SwitchesAndEmptyMessage) {
    RecordingDisplay d;
    OverlaySettings s;
    s.clockSwitch = "0";
    s.showMessage = 1;
    s.message = "";
    DrawOverlays(d, s, "x");
    EXPECT_EQ(d.Count("DrawText \"\""), 2);  // an empty message is still drawn
    EXPECT_EQ(d.Count("DrawText"), 2);

    d.Clear();
    s.clockSwitch = "1.0";  // compared as a number
    s.showMessage = 0;
    DrawOverlays(d, s, "x");
    EXPECT_EQ(d.Count("DrawText"), 2);
}

TEST(Overlay, FontSizesAsTyped) {
    EXPECT_EQ(OverlayFontSize("22", "22"), 22);
    EXPECT_EQ(OverlayFontSize("22.5", "22"), 22);
    EXPECT_EQ(OverlayFontSize("", "22"), 22);
    EXPECT_EQ(OverlayFontSize("big", "24"), 24);
    EXPECT_EQ(OverlayFontSize("99999", "22"), 400);
    EXPECT_EQ(OverlayFontSize("0", "22"), 1);
    EXPECT_EQ(OverlayFontSize("-3", "22"), 1);
}

}  // namespace
}  // namespace driftmere
