#include <gtest/gtest.h>

#include "fakes/MemoryStore.h"
#include "setup/ControlBox.h"

namespace driftmere {
namespace {

using testing::MemoryStore;

TEST(ControlBoxWords, WordsChangeAtTheBandEdgesAndScrollSecondsStayWithinSixteenBits) {
    const std::pair<int, const char*> wind[] = {{0, "None"},     {1, "Weak"},      {6, "Weak"},
                                                {7, "Moderate"}, {11, "Moderate"}, {12, "Strong"},
                                                {15, "Strong"}};
    for (auto [speed, word] : wind) EXPECT_EQ(WindWord(speed), word) << "speed " << speed;
    for (auto [draft, word] : {std::pair{-15, "Down"}, {-1, "Down"}, {0, "None"}, {1, "Up"}})
        EXPECT_EQ(DraftWord(draft), word) << "draft " << draft;
    EXPECT_EQ(WindSpeedText(15), "15 MPH");
    EXPECT_EQ(ScrollSeconds(500), 30000);
    // Beyond the bar's range the value is held at the 16-bit limit instead of wrapping
    // negative, which would give the saver a nonsense interval.
    EXPECT_EQ(ScrollSeconds(600), 32767);
}

TEST(ControlBoxReading, BarValuesAreRoundedAndClampedIntoTheRange) {
    MemoryStore store;
    // Absent keys read as "1"; the mouse bar starts at 2.
    EXPECT_EQ(ReadBarValue(store, kWindSpeedBar), 1);
    EXPECT_EQ(ReadBarValue(store, kDraftBar), 1);
    EXPECT_EQ(ReadBarValue(store, kScrollBar), 1);
    EXPECT_EQ(ReadBarValue(store, kMouseSensBar), 2);

    store.Set("System", "MouseSens", "25");
    EXPECT_EQ(ReadBarValue(store, kMouseSensBar), 20);
    store.Set("Settings", "Drafts", "-99999999999");
    EXPECT_EQ(ReadBarValue(store, kDraftBar), -15);
    store.Set("Settings", "WindSpeed", " 2.5 ");
    EXPECT_EQ(ReadBarValue(store, kWindSpeedBar), 2);
    store.Set("Settings", "WindSpeed", "3.5");
    EXPECT_EQ(ReadBarValue(store, kWindSpeedBar), 4);
}

TEST(ControlBoxReading, TextThatIsNoNumberReadsAsTheFirstRunValue) {
    MemoryStore store;
    store.Set("Settings", "WindSpeed", "breezy");
    store.Set("Settings", "Scroll", "");
    store.Set("Settings", "CheckFont", "yes");
    store.Set("Settings", "ShowMessage", "yes");
    EXPECT_EQ(ReadBarValue(store, kWindSpeedBar), 11);
    EXPECT_EQ(ReadBarValue(store, kScrollBar), 1);
    EXPECT_TRUE(ReadCheck(store, "Settings", "CheckFont"));
    EXPECT_FALSE(ReadCheck(store, "Settings", "ShowMessage"));
}

// Checks (on only for 1) and the music flag are read through the dialog in its own test.
TEST(ControlBoxReading, FontIndexMustNameAListedFont) {
    MemoryStore store;
    EXPECT_EQ(ReadSelectedFont(store, 5), 1);  // absent: "1"
    EXPECT_EQ(ReadSelectedFont(store, 1), -1);
    store.Set("Settings", "SelectedFont", "4");
    EXPECT_EQ(ReadSelectedFont(store, 5), 4);
    EXPECT_EQ(ReadSelectedFont(store, 4), -1);
    store.Set("Settings", "SelectedFont", "-1");
    EXPECT_EQ(ReadSelectedFont(store, 5), -1);
}

}  // namespace
}  // namespace driftmere
