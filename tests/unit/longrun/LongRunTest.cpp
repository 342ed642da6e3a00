// Sixty days of a whole session on a fake clock (frames, the one-second timers, songs that end,
// music keys), every counter checked against its range each second: the tick count wraps twice.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "fakes/FakeClock.h"
#include "fakes/FakeHost.h"
#include "fakes/FakeSound.h"
#include "fakes/MemoryStore.h"
#include "fakes/RecordingDisplay.h"
#include "settings/KeyTable.h"
#include "startup/SaverSession.h"

namespace driftmere {
namespace {

using namespace driftmere::testing;

// Uneven frame gaps, as on a busy machine: slower crossings let the relaunch counters of balloons
// still in the air wrap past 200. Sanitizer builds space frames further apart, for time.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint32_t kFrameGapMin = 200, kFrameGapMax = 1400;
#else
constexpr std::uint32_t kFrameGapMin = 10, kFrameGapMax = 390;
#endif

TEST(LongRun, SixtyDaysKeepEveryCounterInRangeAndTheSaverAlive) {
    RecordingDisplay display;
    display.record = false;
    FakeSound sound;
    MemoryStore store;
    FakeClock clock;
    FakeHost host;
    WriteFirstRunSettings(store);
    // Music stops eight hours after each wrap of its count; the rotation must skip two backdrops.
    store.Set("music", "SoundOff", "480");
    store.Set("Settings", "ScrollSec", "45");
    store.Set("Settings", "Mountain2", "0");
    store.Set("Settings", "Beach1", "0");
    store.Set("System", "Clock", "1");
    store.Set("Settings", "ShowMessage", "1");
    // The tick count wraps half a minute in and after 49.7 days; the day starts at 23:00.
    clock.tick = 0xFFFFFFFFu - 30'000u;
    clock.timeOfDay = 82'800.0;
    SaverSession form(SessionParts{display, sound, store, clock, host, "/d/"});
    form.Load();
    ASSERT_TRUE(form.DisplayOpened());

    constexpr std::uint64_t kDays = 60, kSeconds = kDays * 86'400;
    // LaunchSeconds would take 66 years to reach its wrap: push it close on day 30.
    constexpr std::uint64_t kLaunchJumpSecond = 30 * 86'400;
    constexpr std::array<std::int16_t, 7> kKeys = {'N', 'S', 'P', 'Q', 'S', 'N', 'S'};
    std::minstd_rand jitter(12345);
    auto between = [&](std::uint32_t lo, std::uint32_t hi) {
        return lo + jitter() % (hi - lo + 1);
    };

    std::array<bool, kBalloonCount> wasFlying{};
    std::array<long long, kBalloonCount> finishes{}, finishesAtHourStart{};
    std::vector<std::size_t> songsByDay(kDays + 1, 0);
    std::array<bool, 8> backdropShown{};
    long long failures = 0;
    bool launchWrapped = false;
    std::uint64_t now = 0, nextFrame = 16, songEnds = 0;
    std::size_t songsSeen = 0;

    for (std::uint64_t second = 1; second <= kSeconds && failures < 20; ++second) {
        // Every frame due before this second, then the one-second timers.
        for (; nextFrame < second * 1000; nextFrame += between(kFrameGapMin, kFrameGapMax)) {
            clock.Advance(static_cast<std::uint32_t>(nextFrame - now));
            now = nextFrame;
            if (sound.playing && now >= songEnds) sound.EndSong();
            form.RenderFrame();
        }
        clock.Advance(static_cast<std::uint32_t>(second * 1000 - now));
        now = second * 1000;
        form.BackdropAndLaunchTick();
        form.ClockAndTimeoutTick();
        if (host.timer3) form.SongWatcherTick();
        if (sound.played.size() != songsSeen) {  // songs of 1.5 to 7 minutes
            songsSeen = sound.played.size();
            songEnds = now + 1000u * between(90, 420);
        }
        if (second % 3600 == 1800) form.KeyDown(kKeys[(second / 3600) % kKeys.size()]);
        if (second == kLaunchJumpSecond) form.fleet().SetLaunchSeconds(2'099'999'990);
        if (second > kLaunchJumpSecond && form.fleet().LaunchSeconds() < 100) launchWrapped = true;

        const Fleet& fleet = form.fleet();
        for (int k = 1; k <= kBalloonCount; ++k) {
            const BalloonRecord& b = fleet.Balloon(k);
            if (wasFlying[k - 1] && !b.Flying) ++finishes[k - 1];
            wasFlying[k - 1] = b.Flying;
        }
        const int backdrop = form.rotation().Index();
        backdropShown[static_cast<std::size_t>(std::clamp(backdrop, 0, 7))] = true;
        const std::int32_t launch = fleet.LaunchSeconds();
        const std::int32_t musicSeconds = form.timeout().SoundOffSeconds();
        if (backdrop < 0 || backdrop > 7 || musicSeconds < 0 || musicSeconds > 86'399 ||
            launch < 0 || launch > 2'100'000'000) {
            ++failures;
            ADD_FAILURE() << "at second " << second << ": backdrop " << backdrop
                          << ", music timeout " << musicSeconds << ", LaunchSeconds " << launch;
        }

        // No balloon may get stuck in the air or on the ground for a whole hour.
        if (second % 3600 == 0) {
            for (int k = 0; k < kBalloonCount; ++k) {
                failures += finishes[k] == finishesAtHourStart[k];
                EXPECT_NE(finishes[k], finishesAtHourStart[k])
                    << "balloon " << k + 1 << " made no crossing in hour " << second / 3600;
                finishesAtHourStart[k] = finishes[k];
            }
            sound.calls.clear();  // a line per call; the watcher asks every second
        }
        songsByDay[second / 86'400] = sound.played.size();
    }

    EXPECT_EQ(failures, 0);
    EXPECT_FALSE(form.Ended());
    EXPECT_TRUE(launchWrapped) << "LaunchSeconds never went back to 0";
    // The rotation skipped Mountain 2 and Beach 1 but showed every other backdrop.
    EXPECT_TRUE(backdropShown[1] && backdropShown[3] && backdropShown[4] && backdropShown[6] &&
                backdropShown[7]);
    // The music timeout stops the songs each day and the S key brings them back: songs every day.
    for (std::uint64_t day = 1; day < kDays; ++day)
        EXPECT_GT(songsByDay[day], songsByDay[day - 1]) << "no song started on day " << day;
    RecordProperty("frames", std::to_string(display.flips));
}

}  // namespace
}  // namespace driftmere
