#include <gtest/gtest.h>

#include "fakes/RecordingDisplay.h"
#include "frame/Overlay.h"

namespace driftmere {
namespace {

using testing::RecordingDisplay;

TEST(Overlay, ClockThenMessageEachWithShadowAndFontSetBeforeEveryText) {
    RecordingDisplay d;
    DrawOverlays(d, MakeOverlay("1", "22", 1, "Hello", "24", "Arial"), "12:00:00");
    EXPECT_EQ(d.calls,
              (std::vector<std::string>{"SetFont Arial 22", "DrawText \"12:00:00\" 1 1 0",
                                        "SetFont Arial 22", "DrawText \"12:00:00\" 0 0 65535",
                                        "SetFont Arial 24", "DrawText \"Hello\" 401 1 0",
                                        "SetFont Arial 24", "DrawText \"Hello\" 400 0 65535"}));
}

TEST(Overlay, SwitchesAndEmptyMessage) {
    RecordingDisplay d;
    DrawOverlays(d, MakeOverlay("0", "22", 1, "", "24", "Arial"), "x");
    EXPECT_EQ(d.Count("DrawText \"\""), 2);  // an empty message is still drawn
    EXPECT_EQ(d.Count("DrawText"), 2);

    d.Clear();
    DrawOverlays(d, MakeOverlay("1.0", "22", 0, "m", "24", "Arial"), "x");  // compared as a number
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
