#pragma once
// The fleet loaded as the saver loads it, on a fake clock: frames every few ms, a launch tick a
// second.
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "display/Scene.h"
#include "fakes/FakeClock.h"
#include "fakes/RecordingDisplay.h"
#include "flight/Fleet.h"
#include "settings/Conversions.h"
#include "settings/KeyTable.h"

namespace driftmere::testing {

inline double FirstRun(std::string_view key) {
    return ParseNumber(FirstRunValue("Settings", key)).value_or(-99);
}

struct Session {
    RecordingDisplay display;
    FakeClock clock;
    Random random;
    Fleet fleet{display, clock, random};
    std::uint32_t startTick;
    std::uint32_t frameMs = 10;
    bool keepLog = true;                                    // long runs drop it after each event
    std::uint64_t now = 0, nextFrame = 0, nextTick = 1000;  // ms since the load
    std::function<void()> afterFrame, afterTick;

    explicit Session(double wind = FirstRun("WindSpeed"), double drafts = FirstRun("Drafts"),
                     std::uint32_t start = 0)
        : startTick(start) {
        display.nextSurface = 101;  // surface numbers unlike balloon numbers, so mix-ups show
        clock.tick = start;
        fleet.SetStartingState();
        fleet.SetWind(wind, drafts);
        fleet.ResetLaunchSeconds();
        for (int k = 1; k <= kBalloonCount; ++k) {
            SurfaceId s = display.CreateSurface();
            display.SetSurfaceX(s, kBalloons[k - 1].x);  // where scene loading puts it
            display.SetSurfaceY(s, kBalloons[k - 1].y);
            fleet.SetSurface(k, s);
        }
        display.Clear();
    }

    // Every event due up to `ms` from now; a tick first, so a balloon it releases flies at once.
    void Run(std::uint64_t ms) {
        if (!keepLog) display.recordReadsAndMoves = false;
        const std::uint64_t end = now + ms;
        for (std::uint64_t t; (t = std::min(nextFrame, nextTick)) <= end;) {
            clock.tick = startTick + static_cast<std::uint32_t>(t);
            if (t == nextTick) {
                fleet.LaunchTick();
                nextTick += 1000;
                if (afterTick) afterTick();
            }
            if (t == nextFrame) {
                fleet.FrameStep();
                nextFrame += frameMs;
                if (afterFrame) afterFrame();
                if (!keepLog) display.Clear();
            }
        }
        now = end;
    }

    // One frame `ms` after the last event, with no launch tick.
    void FrameAfter(std::uint64_t ms) {
        now += ms;
        clock.tick = startTick + static_cast<std::uint32_t>(now);
        fleet.FrameStep();
    }

    // Positions straight from the display's memory, so they stay out of the call log.
    auto& At(int k) { return display.surfaces[fleet.Balloon(k).Surface]; }
    int X(int k) { return At(k).x; }
    int Y(int k) { return At(k).y; }
    void Place(int k, int x, int y) { At(k).x = x, At(k).y = y; }
    void FlyOnly(int balloon) {
        for (int k = 1; k <= kBalloonCount; ++k) fleet.Balloon(k).Flying = k == balloon;
    }
};

}  // namespace driftmere::testing
