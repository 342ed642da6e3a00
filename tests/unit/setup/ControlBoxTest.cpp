#include "setup/ControlBox.h"

#include <gtest/gtest.h>

#include "fakes/MemoryStore.h"

namespace driftmere {
namespace {

using testing::MemoryStore;

std::vector<std::string> Log(const MemoryStore& store) {
    std::vector<std::string> log;
    for (const auto& w : store.writes) log.push_back(w.section + "/" + w.key + "=" + w.value);
    return log;
}

TEST(ControlBoxWords, WindWordsCoverEverySpeed) {
    const char* expected[16] = {"None",     "Weak",     "Weak",     "Weak",     "Weak",  "Weak",
                                "Weak",     "Moderate", "Moderate", "Moderate", "Moderate",
                                "Moderate", "Strong",   "Strong",   "Strong",   "Strong"};
    for (int v = 0; v <= 15; ++v) EXPECT_EQ(WindWord(v), expected[v]) << "speed " << v;
    EXPECT_EQ(WindSpeedText(0), "0 MPH");
    EXPECT_EQ(WindSpeedText(15), "15 MPH");
}

TEST(ControlBoxWords, DraftWordsFollowTheSign) {
    EXPECT_EQ(DraftWord(-15), "Down");
    EXPECT_EQ(DraftWord(-1), "Down");
    EXPECT_EQ(DraftWord(0), "None");
    EXPECT_EQ(DraftWord(1), "Up");
    EXPECT_EQ(DraftWord(15), "Up");
}

TEST(ControlBoxWords, ScrollSecondsAreMinutesTimesSixtyWithinSixteenBits) {
    EXPECT_EQ(ScrollSeconds(1), 60);
    EXPECT_EQ(ScrollSeconds(15), 900);
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

TEST(ControlBoxReading, ChecksAreOnOnlyForOne) {
    MemoryStore store;
    EXPECT_TRUE(ReadCheck(store, "Settings", "Mountain1"));  // absent: "1"
    for (const char* off : {"0", "2", "-1"}) {
        store.Set("Settings", "Mountain1", off);
        EXPECT_FALSE(ReadCheck(store, "Settings", "Mountain1")) << off;
    }
    store.Set("Settings", "Mountain1", "1.0");
    EXPECT_TRUE(ReadCheck(store, "Settings", "Mountain1"));
}

TEST(ControlBoxReading, MusicFlagAndFontIndex) {
    MemoryStore store;
    EXPECT_TRUE(ReadMusicOn(store));
    store.Set("Music", "SoundOn", "false");
    EXPECT_FALSE(ReadMusicOn(store));
    store.Set("music", "SoundOn", "garbled");
    EXPECT_TRUE(ReadMusicOn(store));

    EXPECT_EQ(ReadSelectedFont(store, 5), 1);  // absent: "1"
    EXPECT_EQ(ReadSelectedFont(store, 1), -1);
    store.Set("Settings", "SelectedFont", "4");
    EXPECT_EQ(ReadSelectedFont(store, 5), 4);
    EXPECT_EQ(ReadSelectedFont(store, 4), -1);
    store.Set("Settings", "SelectedFont", "-1");
    EXPECT_EQ(ReadSelectedFont(store, 5), -1);
}

TEST(ControlBoxChanges, ScrollBarsWriteTheirKeysAndReturnTheReadouts) {
    MemoryStore store;
    ControlBox box(store);
    auto wind = box.WindSpeedChanged(12);
    EXPECT_EQ(wind.value, "12 MPH");
    EXPECT_EQ(wind.word, "Strong");
    auto draft = box.DraftChanged(-7);
    EXPECT_EQ(draft.value, "-7");
    EXPECT_EQ(draft.word, "Down");
    EXPECT_EQ(box.MouseSensChanged(20), "20");
    EXPECT_EQ(box.ScrollChanged(500), "500");
    EXPECT_EQ(Log(store), (std::vector<std::string>{
                              "Settings/WindSpeed=12", "Settings/Drafts=-7", "System/MouseSens=20",
                              "Settings/Scroll=500", "Settings/ScrollSec=30000"}));
}

TEST(ControlBoxChanges, ClearingShowBackgroundClearsEveryBackdropThenTheFlag) {
    MemoryStore store;
    ControlBox box(store);
    EXPECT_FALSE(box.ShowBackgroundClicked(false));
    EXPECT_EQ(Log(store), (std::vector<std::string>{
                              "Settings/Beach1=0", "Settings/Beach2=0", "Settings/Beach3=0",
                              "Settings/Mountain1=0", "Settings/Mountain2=0",
                              "Settings/Mountain3=0", "Settings/Mountain4=0",
                              "Settings/ShowBkGrnd=0"}));

    // Checking it again asks for a reminder and writes only the flag.
    store.writes.clear();
    EXPECT_TRUE(box.ShowBackgroundClicked(true));
    EXPECT_EQ(Log(store), (std::vector<std::string>{"Settings/ShowBkGrnd=1"}));
}

TEST(ControlBoxChanges, OtherControlsWriteTheirStoredForms) {
    MemoryStore store;
    ControlBox box(store);
    box.MusicOnChanged(false);
    EXPECT_FALSE(box.MusicOn());
    box.MusicOnChanged(true);
    box.CheckChanged(SongChecks()[2], false);
    box.CheckChanged(BackdropChecks()[6], true);
    box.FontsBoxChanged(false);
    box.FontChosen(3, "DejaVu Sans");
    box.SoundOffChosen("45");
    box.TextChanged(kMessageText, "Grüße ☁");
    box.TextChanged(kClockSizeText, "");
    EXPECT_EQ(Log(store),
              (std::vector<std::string>{
                  "music/SoundOn=False", "music/SoundOn=True", "music/Midi3=0",
                  "Settings/Beach3=1", "Settings/CheckFont=0", "Settings/SelectedFont=3",
                  "Settings/FontName=DejaVu Sans", "music/SoundOff=45",
                  "Settings/Message=Grüße ☁", "System/FontSize="}));
}

}  // namespace
}  // namespace driftmere
