// The per-frame cost of the saver session itself: everything SaverSession does for one RenderFrame
// (the clear, the backdrop, thirteen balloon steps, the clock and the message, the flip) on a
// display that records nothing, so what is measured is the session and not a recorder or a screen.
#include <benchmark/benchmark.h>

#include <memory>
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

struct Session {
    RecordingDisplay display;
    FakeSound sound;
    MemoryStore store;
    FakeClock clock;
    FakeHost host;
    std::unique_ptr<SaverSession> form;

    explicit Session(bool overlay) {
        display.record = false;
        WriteFirstRunSettings(store);
        store.Set("System", "Clock", overlay ? "1" : "0");
        store.Set("Settings", "ShowMessage", overlay ? "1" : "0");
        form = std::make_unique<SaverSession>(
            SessionParts{display, sound, store, clock, host, "/data/"});
        form->Load();
    }
};

// One frame every 10 ms of saver time with the timers once a second, as the program drives it.
// Every balloon is kept in the air, so each frame has all thirteen steps: the worst case.
void RunFrames(benchmark::State& state, bool overlay) {
    Session s(overlay);
    long frame = 0;
    for (auto _ : state) {
        for (int k = 1; k <= kBalloonCount; ++k) s.form->fleet().Balloon(k).Flying = true;
        s.clock.Advance(10);
        s.form->RenderFrame();
        if (++frame % 100 == 0) {
            s.form->BackdropAndLaunchTick();
            s.form->ClockAndTimeoutTick();
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FrameCycle_ThirteenBalloonsClockAndMessage(benchmark::State& state) {
    RunFrames(state, true);
}
BENCHMARK(BM_FrameCycle_ThirteenBalloonsClockAndMessage);

void BM_FrameCycle_ThirteenBalloonsNoOverlay(benchmark::State& state) { RunFrames(state, false); }
BENCHMARK(BM_FrameCycle_ThirteenBalloonsNoOverlay);

// A whole minute of saver time (6000 frames, 60 of each timer) from the load on, with the launch
// schedule deciding who flies, as a unit test would drive it.
void BM_FrameCycle_FirstMinuteOfSession(benchmark::State& state) {
    for (auto _ : state) {
        Session s(true);
        for (int frame = 1; frame <= 6000; ++frame) {
            s.clock.Advance(10);
            s.form->RenderFrame();
            if (frame % 100 == 0) {
                s.form->BackdropAndLaunchTick();
                s.form->ClockAndTimeoutTick();
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 6000);
}
BENCHMARK(BM_FrameCycle_FirstMinuteOfSession)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace driftmere

BENCHMARK_MAIN();
