// Sixty days of saver time on a fake clock: the whole session (frames, the three one-second
// timers, songs that end, music keys) with every counter checked against its range after each
// simulated second. Counters that are fine for an evening can still walk out of range after
// weeks, and the tick count wraps twice on the way, so this is where such faults show.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeClock.h"
#include "fakes/FakeSound.h"
#include "fakes/MemoryStore.h"
#include "fakes/PositionDisplay.h"
#include "flight/Fleet.h"
#include "settings/KeyTable.h"
#include "startup/SaverSession.h"

namespace driftmere {
namespace {

using namespace driftmere::testing;

// The host's SongWatcherTick restarts its second whenever it is switched on, as the Qt timer does.
class TimerHost : public SessionHost {
  public:
    const std::uint64_t* now = nullptr;
    bool timer3 = false;
    std::uint64_t timer3Due = 0;
    int quitStatus = -1;
    int messages = 0;

    void SetPointerHidden(bool) override {}
    void ShowMessage(const std::string&, const std::string&) override { ++messages; }
    void SetSongWatcherEnabled(bool enabled) override {
        timer3 = enabled;
        if (enabled) timer3Due = *now + 1000;
    }
    std::string TimeText(double) override { return "12:00:00"; }
    void RequestQuit(int status) override { quitStatus = status; }
};

// A small deterministic generator for frame gaps and song lengths, apart from the saver's own.
class Jitter {
  public:
    std::uint32_t Next(std::uint32_t lo, std::uint32_t hi) {
        state_ = state_ * 1664525u + 1013904223u;
        return lo + (state_ >> 8) % (hi - lo + 1);
    }

  private:
    std::uint32_t state_ = 12345;
};

// Frames come at uneven gaps around these bounds. A real saver draws every 10 ms; that would
// be 500 million frames here, so the run stands for a busy machine that manages fewer. A
// balloon moves at most once per frame, so crossings take longer, which also lets the relaunch
// counters of balloons still in the air wrap past 200. Sanitizer builds space frames further
// apart to stay within the test's time limit.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DRIFTMERE_LONGRUN_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(DRIFTMERE_LONGRUN_SANITIZED)
constexpr std::uint32_t kFrameGapMin = 200, kFrameGapMax = 1400;
#else
constexpr std::uint32_t kFrameGapMin = 10, kFrameGapMax = 390;
#endif

constexpr std::int16_t kKeyN = 78, kKeyP = 80, kKeyQ = 81, kKeyS = 83;

struct LongRun {
    PositionDisplay display;
    FakeSound sound;
    MemoryStore store;
    FakeClock clock;
    TimerHost host;
    std::unique_ptr<SaverSession> form;
    Jitter jitter;

    std::uint64_t now = 0;  // milliseconds since the load
    std::uint32_t startTick;
    double startTimeOfDay;
    std::size_t songsSeen = 0;
    std::uint64_t songEnds = 0;

    LongRun(std::uint32_t tick, double timeOfDay) : startTick(tick), startTimeOfDay(timeOfDay) {
        host.now = &now;
        WriteFirstRunSettings(store);
    }

    void Load() {
        SetClock();
        form =
            std::make_unique<SaverSession>(SessionParts{display, sound, store, clock, host, "/d/"});
        display.SetEventSink(form.get());
        form->Load();
    }

    void SetClock() {
        clock.tick = startTick + static_cast<std::uint32_t>(now);
        clock.timeOfDay = std::fmod(startTimeOfDay + static_cast<double>(now) / 1000.0, 86400.0);
    }

    // Every frame and timer due up to `until`, in time order; the timers fire at whole seconds
    // from the load, SongWatcherTick on its own second since it was last switched on.
    void RunUntil(std::uint64_t until, std::uint64_t& nextFrame, std::uint64_t& nextSecond) {
        while (true) {
            std::uint64_t t = std::min(nextFrame, nextSecond);
            if (host.timer3) t = std::min(t, host.timer3Due);
            if (t > until) break;
            now = t;
            SetClock();
            if (sound.playing && now >= songEnds) sound.EndSong();
            if (t == nextSecond) {
                form->BackdropAndLaunchTick();
                form->ClockAndTimeoutTick();
                nextSecond += 1000;
            }
            if (host.timer3 && t == host.timer3Due) {
                host.timer3Due += 1000;
                form->SongWatcherTick();
            }
            if (t == nextFrame) {
                form->RenderFrame();
                nextFrame += jitter.Next(kFrameGapMin, kFrameGapMax);
            }
            if (sound.played.size() != songsSeen) {
                songsSeen = sound.played.size();
                songEnds = now + 1000u * jitter.Next(90, 420);  // songs of 1.5 to 7 minutes
            }
        }
        now = until;
    }
};

// Where balloons may be at any moment: start points lie up to 170 pixels beyond an edge and
// a balloon finishes a little past one, so anything further out means one is lost.
bool NearTheScreen(const PositionDisplay::Place& p) {
    return p.x >= -400 && p.x <= 1200 && p.y >= -450 && p.y <= 1050;
}

TEST(LongRun, SixtyDaysKeepEveryCounterInRangeAndTheSaverAlive) {
    // The tick count starts half a minute before its wrap, so it wraps at once and again after
    // 49.7 days; the day starts an hour before midnight.
    LongRun run(0xFFFFFFFFu - 30'000u, 82'800.0);
    // Music stops eight hours after each wrap of its count; two backdrops left out so the
    // rotation has to skip.
    run.store.Set("music", "SoundOff", "480");
    run.store.Set("Settings", "ScrollSec", "45");
    run.store.Set("Settings", "Mountain2", "0");
    run.store.Set("Settings", "Beach1", "0");
    run.store.Set("System", "Clock", "1");
    run.store.Set("Settings", "ShowMessage", "1");
    run.Load();
    SaverSession& form = *run.form;
    ASSERT_TRUE(form.DisplayOpened());

    constexpr std::uint64_t kDays = 60;
    constexpr std::uint64_t kSeconds = kDays * 86'400;
    // LaunchSeconds would take 66 years to reach its wrap: push it close on day 30.
    constexpr std::uint64_t kLaunchJumpSecond = 30 * 86'400;

    std::array<bool, kBalloonCount> wasFlying{};
    std::array<long long, kBalloonCount> finishes{};
    std::array<long long, kBalloonCount> finishesAtHourStart{};
    std::vector<std::size_t> songsByDay(kDays + 1, 0);
    std::array<bool, 8> backdropShown{};
    long long failures = 0;
    bool launchWrapped = false;
    int tickWraps = 0;
    std::uint32_t lastTick = run.clock.tick;
    const std::array<std::int16_t, 7> keys = {kKeyN, kKeyS, kKeyP, kKeyQ, kKeyS, kKeyN, kKeyS};

    std::uint64_t nextFrame = 16, nextSecond = 1000;
    for (std::uint64_t second = 1; second <= kSeconds && failures < 20; ++second) {
        run.RunUntil(second * 1000, nextFrame, nextSecond);
        if (run.clock.tick < lastTick) ++tickWraps;
        lastTick = run.clock.tick;
        if (second % 3600 == 1800) form.KeyDown(keys[(second / 3600) % keys.size()]);
        if (second == kLaunchJumpSecond) form.fleet().SetLaunchSeconds(2'099'999'990);
        if (second > kLaunchJumpSecond && form.fleet().LaunchSeconds() < 100) launchWrapped = true;

        const Fleet& fleet = form.fleet();
        for (int k = 1; k <= kBalloonCount; ++k) {
            const BalloonRecord& b = fleet.Balloon(k);
            bool ok = true;
            if (wasFlying[k - 1] && !b.Flying) {
                ++finishes[k - 1];
                ok = ok && b.RelaunchDelay >= 30 && b.RelaunchDelay <= 55;
            }
            wasFlying[k - 1] = b.Flying;
            const auto& place = run.display.places.at(static_cast<std::size_t>(b.Surface));
            ok = ok && NearTheScreen(place);
            if (!ok) {
                ++failures;
                ADD_FAILURE() << "balloon " << k << " at second " << second << ": RelaunchDelay "
                              << b.RelaunchDelay << ", place " << place.x << "," << place.y;
            }
        }
        const BackdropRotation& rotation = form.rotation();
        backdropShown[static_cast<std::size_t>(std::clamp<int>(rotation.Index(), 0, 7))] = true;
        std::int32_t launch = fleet.LaunchSeconds();
        std::int32_t musicSeconds = form.timeout().SoundOffSeconds();
        if (rotation.Index() < 0 || rotation.Index() > 7 || musicSeconds < 0 ||
            musicSeconds > 86'399 || launch < 0 || launch > 2'100'000'000) {
            ++failures;
            ADD_FAILURE() << "at second " << second << ": backdrop " << rotation.Index()
                          << ", music timeout " << musicSeconds << ", LaunchSeconds " << launch;
        }

        // No balloon may get stuck in the air or on the ground for a whole hour.
        if (second % 3600 == 0) {
            for (int k = 0; k < kBalloonCount; ++k) {
                if (finishes[k] == finishesAtHourStart[k]) {
                    ++failures;
                    ADD_FAILURE() << "balloon " << k + 1 << " made no crossing in hour "
                                  << second / 3600;
                }
                finishesAtHourStart[k] = finishes[k];
            }
            // FakeSound keeps a line per call; the watcher asks every second for two months.
            run.sound.calls.clear();
        }
        songsByDay[second / 86'400] = run.sound.played.size();
    }

    EXPECT_EQ(failures, 0);
    EXPECT_FALSE(form.Ended());
    EXPECT_EQ(run.host.quitStatus, -1);
    EXPECT_EQ(run.host.messages, 0);
    EXPECT_EQ(run.display.unknownSurfaces, 0);
    EXPECT_TRUE(launchWrapped) << "LaunchSeconds never went back to 0";
    // The rotation skipped Mountain 2 and Beach 1 but showed every other backdrop.
    EXPECT_TRUE(backdropShown[1] && backdropShown[3] && backdropShown[4] && backdropShown[6] &&
                backdropShown[7]);
    // The music timeout stops the songs each day, and the S key brings them back once its
    // count has started again: every day has songs.
    for (std::uint64_t day = 1; day < kDays; ++day)
        EXPECT_GT(songsByDay[day], songsByDay[day - 1]) << "no song started on day " << day;
    // The tick count went round twice: half a minute in and on day 49.
    EXPECT_EQ(tickWraps, 2);
    RecordProperty("frames", std::to_string(run.display.flips));
}

}  // namespace
}  // namespace driftmere
