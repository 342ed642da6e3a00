#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fakes/FakeClock.h"
#include "fakes/FakeHost.h"
#include "fakes/FakeSound.h"
#include "fakes/MemoryStore.h"
#include "fakes/RecordingDisplay.h"
#include "settings/KeyTable.h"
#include "startup/SaverSession.h"
#include "startup/SaverSettings.h"

namespace driftmere {
namespace {

using namespace driftmere::testing;

struct Session {
    RecordingDisplay display;
    FakeSound sound;
    MemoryStore store;
    FakeClock clock;
    FakeHost host;
    std::unique_ptr<SaverSession> form;

    SaverSession& Load() {
        form = std::make_unique<SaverSession>(
            SessionParts{display, sound, store, clock, host, "/data/"});
        display.SetEventSink(form.get());
        form->Load();
        return *form;
    }
    void FirstRunThen(std::string_view section, std::string_view key, std::string_view value) {
        WriteFirstRunSettings(store);
        store.Set(section, key, value);
    }
};

TEST(SaverSession, FirstStartWritesTheFirstRunSetBeforeReadingIt) {
    Session s;
    s.Load();
    EXPECT_EQ(s.store.Get("System", "SetReg"), "2");
    EXPECT_EQ(s.store.Get("music", "SoundOn"), "True");
    EXPECT_EQ(s.store.writes.front().section, "Music");  // the first-run writer's spelling
    EXPECT_EQ(s.store.writeAlls, 1);                     // the whole set as one change of the store
    EXPECT_EQ(s.store.writes.size(), AllSettingKeys().size());
    // Music on: the first song plays at the end of the load and the watcher runs.
    EXPECT_EQ(s.sound.played, (std::vector<std::string>{"/data/Tranquil.mid"}));
    EXPECT_TRUE(s.host.timer3);
    EXPECT_EQ(s.form->DisablePowerSaving(), 1);

    // A store without the marker keeps what it holds and gets the missing keys.
    Session t;
    t.store.Set("Settings", "WindSpeed", "3");
    t.Load();
    EXPECT_EQ(t.store.Get("Settings", "WindSpeed"), "3");
    EXPECT_EQ(t.store.Get("Settings", "Drafts"), "2");
}

TEST(SaverSession, FailedDisplayShowsTheMessageAndStartsNeitherSurfacesNorMusic) {
    Session s;
    s.display.openResult = false;
    s.Load();
    EXPECT_FALSE(s.form->DisplayOpened());
    EXPECT_EQ(s.display.Count("CreateSurface"), 0);
    EXPECT_EQ(s.sound.Count("PlayMidi"), 0);
    EXPECT_EQ(std::ranges::count(s.host.calls,
                                 "Message Error opening Direct Draw!: This program requires that "
                                 "you use a monitor that is capable of displaying 64K colors."),
              1);
}

// Backdrop, flying balloons in order, overlays, flip; without backdrops a black clear and no
// backdrop made. The clock shows midnight until its first tick.
TEST(SaverSession, FrameDrawsBackdropThenBalloonsThenTheOverlays) {
    for (const char* showBackdrops : {"1", "0"}) {
        SCOPED_TRACE(showBackdrops);
        const bool backdrops = *showBackdrops == '1';
        Session s;
        s.FirstRunThen("Settings", "ShowBkGrnd", showBackdrops);
        s.store.Set("System", "Clock", "1");
        s.clock.timeOfDay = 3600 * 15;
        s.Load();
        EXPECT_EQ(s.display.Count("CreateSurface"), backdrops ? 20 : 13);
        const std::string one = backdrops ? "8" : "1", three = backdrops ? "10" : "3";
        s.form->fleet().Balloon(3).Flying = true;
        s.display.recordReadsAndMoves = false;
        s.display.Clear();
        s.form->RenderFrame();
        std::vector<std::string> expected{"ClearFrame 0"};
        if (backdrops) expected.push_back("DrawSurface 1");
        expected.insert(expected.end(), {"DrawSurface " + one, "DrawSurface " + three,
                                         "SetFont Arial 22", "DrawText \"T0\" 1 1 0"});
        auto& c = s.display.calls;
        ASSERT_GE(c.size(), expected.size());
        EXPECT_EQ(std::vector<std::string>(c.begin(), c.begin() + expected.size()), expected);
        EXPECT_EQ(c.back(), "Flip");
        s.form->ClockAndTimeoutTick();
        s.display.Clear();
        s.form->RenderFrame();
        EXPECT_EQ(s.display.Count("DrawText \"T54000\""), 2);
    }
}

// Music keys keep the saver, any other key or a click ends it; the pointer is hidden once and
// shown once, and nothing runs after the end.
TEST(SaverSession, MusicKeysKeepTheSaverAndAnyOtherKeyOrAClickEndsIt) {
    Session s;
    s.Load();
    EXPECT_EQ(s.host.hides, 1);
    s.form->KeyDown(78);  // N
    EXPECT_EQ(s.sound.played.back(), "/data/Ambiant.mid");
    s.form->KeyDown(80);  // P
    EXPECT_EQ(s.sound.played.back(), "/data/Tranquil.mid");
    s.form->KeyDown(81);  // Q
    EXPECT_EQ(s.store.Get("music", "SoundOn"), "False");
    EXPECT_FALSE(s.sound.playing);
    s.form->KeyDown(83);  // S plays the current song again
    EXPECT_EQ(s.store.Get("music", "SoundOn"), "True");
    EXPECT_EQ(s.sound.played.back(), "/data/Tranquil.mid");
    EXPECT_FALSE(s.form->Ended());
    s.form->KeyDown(27);
    EXPECT_TRUE(s.form->Ended());
    EXPECT_EQ(s.host.quitStatus, 0);
    EXPECT_EQ(s.sound.calls.back(), "StopMidi");
    s.display.Clear();
    s.form->RenderFrame();
    s.form->BackdropAndLaunchTick();
    s.form->KeyDown(65);
    s.form->CloseDown();
    EXPECT_TRUE(s.display.calls.empty());
    EXPECT_EQ(s.host.shows, 1);
    Session c;
    c.Load();
    c.form->MouseClick();
    EXPECT_TRUE(c.form->Ended());
}

TEST(SaverSession, MouseMovesEndTheSaverOnlyWhenTheCountEqualsTheSetting) {
    // Each row: MouseSens, the time of day of each move, the move that ends the saver (0: never).
    // clang-format off
    const std::tuple<std::string, std::vector<double>, int> cases[] = {
        {"4", {100, 101, 102, 103}, 4}, {"4", {100, 101, 102, 115}, 4},  // the late move counts
        {"4", {100, 101, 115, 116, 117, 118, 119}, 7},  // the window closed at the third
        {"3", {100, 110, 111}, 3}, {"3", {100, 110.5, 111}, 0},  // open at 10 s, shut just past
        {"3", {100.6, 111, 111.2}, 3},  // the window opens at 101
        {"1", {100}, 1}, {"0", std::vector<double>(50, 100.0), 0}, {"-3", {1, 2, 3}, 0},
        {"4", {86395, 86396, 2, 3}, 4}};  // across midnight the window stays open
    // clang-format on
    for (const auto& [sens, moveTimes, endsOnMove] : cases) {
        Session s;
        s.FirstRunThen("System", "MouseSens", sens);
        s.Load();
        int endedAt = 0;
        for (std::size_t i = 0; i < moveTimes.size() && !endedAt; ++i) {
            s.clock.timeOfDay = moveTimes[i];
            s.form->MouseMove();
            if (s.form->Ended()) endedAt = static_cast<int>(i) + 1;
        }
        EXPECT_EQ(endedAt, endsOnMove) << sens << " " << moveTimes.size();
    }
}

// Each setting decoded at load: stored text, then what the saver makes of it. Unreadable text
// is the key's first-run value; an absent key reads as "1".
TEST(SaverSettings, StoredTextBecomesTheValuesThePartsUse) {
    using Holds = std::function<bool(const SaverSettings&)>;
    const std::tuple<const char*, const char*, const char*, Holds> cases[] = {
        {"Settings", "WindSpeed", " 7 ", [](auto& s) { return s.windSpeed == 7; }},
        {"Settings", "WindSpeed", "windy", [](auto& s) { return s.windSpeed == 11; }},
        {"Settings", "Drafts", "up", [](auto& s) { return s.drafts == 2; }},
        {"Settings", "Drafts", "-0.5", [](auto& s) { return s.drafts == -0.5; }},
        {"Settings", "ShowBkGrnd", "0.5", [](auto& s) { return !s.showBackdrops; }},
        {"Settings", "ShowBkGrnd", "1.5", [](auto& s) { return !s.showBackdrops; }},
        {"Settings", "Mountain1", "1.4", [](auto& s) { return !s.backdropChosen[1]; }},
        {"Settings", "Mountain4", "1.4", [](auto& s) { return s.backdropChosen[4]; }},
        {"Settings", "Beach3", "70000", [](auto& s) { return s.backdropChosen[7]; }},
        {"music", "SoundOn", "FALSE", [](auto& s) { return !s.soundOn; }},
        {"music", "Midi8", "2.5", [](auto& s) { return s.songEnabled[7] == 2; }},
        {"music", "SoundOff", "ten", [](auto& s) { return !s.stopMusicAfter; }},
        {"music", "SoundOff", "10", [](auto& s) { return s.stopMusicAfter == 600; }},
        {"System", "MouseSens", "\x01\xff", [](auto& s) { return s.mouseSensitivity == 4; }},
        {"System", "FontSize", "99999", [](auto& s) { return s.overlay.clockSize == 400; }},
        {"System", "Clock", "1.0", [](auto& s) { return s.overlay.showClock; }},
        {"Settings", "FontName", "Courier",
         [](auto& s) { return s.overlay.fontName == "Arial"; }},  // CheckFont 1 wins
        {"Settings", "CheckFont", "0", [](auto& s) { return s.overlay.fontName == "Arial"; }},
        {"Settings", "PwrSave", "-2", [](auto& s) { return s.disablePowerSaving == -2; }}};
    for (const auto& [section, key, text, holds] : cases) {
        MemoryStore store;
        WriteFirstRunSettings(store);
        store.Set(section, key, text);
        EXPECT_TRUE(holds(LoadSaverSettings(store))) << key << " = " << text;
    }
    MemoryStore store;
    WriteFirstRunSettings(store);
    store.Set("Settings", "CheckFont", "0");
    store.Set("Settings", "FontName", "Courier");
    store.Erase("System", "MouseSens");
    const SaverSettings s = LoadSaverSettings(store);
    EXPECT_EQ(s.overlay.fontName, "Courier");
    EXPECT_EQ(s.mouseSensitivity, 1);
}

}  // namespace
}  // namespace driftmere
