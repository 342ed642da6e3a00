#include <gtest/gtest.h>

#include <clocale>

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

// Absent keys read as "1" (the mouse bar starts at 2); values are rounded half to even and held
// in the bar's range; text that is no number reads as the first-run value.
TEST(ControlBoxReading, BarValuesAreRoundedAndClampedAndTextThatIsNoNumberIsTheFirstRunValue) {
    const struct {
        const BarSetting& bar;
        const char* value;  // nullptr: absent
        int read;
    } cases[] = {{kWindSpeedBar, nullptr, 1},   {kDraftBar, nullptr, 1},
                 {kScrollBar, nullptr, 1},      {kMouseSensBar, nullptr, 2},
                 {kMouseSensBar, "25", 20},     {kDraftBar, "-99999999999", -15},
                 {kWindSpeedBar, " 2.5 ", 2},   {kWindSpeedBar, "3.5", 4},
                 {kWindSpeedBar, "breezy", 11}, {kScrollBar, "", 1}};
    for (const auto& c : cases) {
        MemoryStore store;
        if (c.value) store.Set(c.bar.setting->section, c.bar.setting->key, c.value);
        EXPECT_EQ(ReadBarValue(store, c.bar), c.read)
            << c.bar.setting->key << " = " << (c.value ? c.value : "absent");
    }
    MemoryStore store;
    store.Set("Settings", "CheckFont", "yes");
    store.Set("Settings", "ShowMessage", "yes");
    EXPECT_TRUE(ReadCheck(store, setting::kCheckFont));
    EXPECT_FALSE(ReadCheck(store, setting::kShowMessage));
}

// The same stored text gives the same controls whatever the user's locale.
TEST(ControlBoxReading, NumbersReadTheSameUnderEveryLocale) {
    MemoryStore store;
    store.Set("Settings", "WindSpeed", "10.6");
    store.Set("Settings", "Mountain1", "0.7");
    store.Set("Settings", "Mountain2", "1.5");
    for (const char* locale : {"C", "de_DE.UTF-8", "tr_TR.UTF-8"}) {
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale << ": install locales-all";
        EXPECT_EQ(ReadBarValue(store, kWindSpeedBar), 11) << locale;
        EXPECT_TRUE(ReadCheck(store, setting::kMountain1)) << locale;   // 0.7 rounds to 1
        EXPECT_FALSE(ReadCheck(store, setting::kMountain2)) << locale;  // 1.5 to 2
    }
    std::setlocale(LC_ALL, "C");
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
