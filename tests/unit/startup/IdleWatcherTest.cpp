#include <gtest/gtest.h>

#include "startup/IdleWatcher.h"

namespace driftmere {
namespace {

// The user's idle time follows a hand-moved clock; input sets it back to zero. Watches fire the
// way the X server's alarms do: once, when the counter crosses their value.
class FakeIdleSource : public IdleSource {
  public:
    IdleWatcher* watcher = nullptr;
    std::uint64_t now = 0;
    std::uint64_t lastInput = 0;
    std::optional<std::uint64_t> idleWatch;
    bool activityWatch = false;
    bool sessionHold = false;

    std::uint64_t IdleMs() override { return now - lastInput; }
    void WatchIdle(std::uint64_t ms) override { idleWatch = ms; }
    void WatchActivity() override { activityWatch = true; }
    bool HeldOffBySession() override { return sessionHold; }

    void Pass(std::uint64_t ms) {
        const std::uint64_t end = now + ms;
        while (idleWatch && lastInput + *idleWatch <= end) {
            now = std::max(now, lastInput + *idleWatch);
            idleWatch.reset();
            watcher->OnIdleReached();
        }
        now = end;
    }
    void Input() {
        lastInput = now;
        if (activityWatch) {
            activityWatch = false;
            watcher->OnActivity();
        }
    }
};

class FakeStarter : public SaverStarter {
  public:
    int starts = 0;
    bool works = true;
    bool StartSaver() override {
        ++starts;
        return works;
    }
};

constexpr std::uint64_t kIdle = 6000;

class IdleWatcherTest : public ::testing::Test {
  protected:
    FakeIdleSource idle;
    FakeStarter starter;
    IdleWatcher watcher{idle, starter, kIdle};
    void SetUp() override {
        idle.watcher = &watcher;
        watcher.Start();
    }
};

TEST_F(IdleWatcherTest, StartsOnceTheIdleTimeHasPassedAndNotBefore) {
    idle.Pass(kIdle - 1);
    EXPECT_EQ(starter.starts, 0);
    idle.Input();  // the user moves: the wait starts over
    idle.Pass(kIdle - 1);
    EXPECT_EQ(starter.starts, 0);
    idle.Pass(1);
    EXPECT_EQ(starter.starts, 1);
    EXPECT_EQ(watcher.state(), IdleWatcher::State::Running);
    idle.Pass(10 * kIdle);  // one saver at a time, however long it runs
    EXPECT_EQ(starter.starts, 1);
}

TEST_F(IdleWatcherTest, AfterTheSaverEndsItWaitsAWholeIdleTimeAgain) {
    idle.Pass(kIdle + 2000);
    watcher.SaverEnded();  // ended by itself: the counter goes on from where it is
    idle.Pass(kIdle - 1);
    EXPECT_EQ(starter.starts, 1) << "came back before a whole idle time";
    idle.Pass(1);
    EXPECT_EQ(starter.starts, 2);
    idle.Input();
    watcher.SaverEnded();  // ended by a key
    idle.Pass(kIdle - 1);
    EXPECT_EQ(starter.starts, 2);
    idle.Pass(1);
    EXPECT_EQ(starter.starts, 3);
    watcher.SaverEnded();
    idle.Pass(kIdle / 2);
    idle.Input();  // input after an end by itself: the plain idle time from the input
    idle.Pass(kIdle);
    EXPECT_EQ(starter.starts, 4);
}

TEST_F(IdleWatcherTest, InhibitorsHoldItOffAndItsIdleTimeCountsFromTheRelease) {
    watcher.SetInhibitors(2);
    idle.Pass(5 * kIdle);
    EXPECT_EQ(watcher.state(), IdleWatcher::State::HeldOff);
    watcher.SetInhibitors(1);
    idle.Pass(5 * kIdle);
    watcher.SetInhibitors(0);
    idle.Pass(kIdle - 1);
    EXPECT_EQ(starter.starts, 0);
    idle.Pass(1);
    EXPECT_EQ(starter.starts, 1);
    // An inhibitor that comes while the saver runs does not end it, and holds the next start.
    watcher.SetInhibitors(1);
    EXPECT_EQ(watcher.state(), IdleWatcher::State::Running);
    idle.Input();
    watcher.SaverEnded();
    idle.Pass(3 * kIdle);
    EXPECT_EQ(starter.starts, 1);
    idle.Input();  // input while held off starts the plain wait again
    EXPECT_EQ(watcher.state(), IdleWatcher::State::Waiting);
    watcher.SetInhibitors(0);
    idle.Pass(kIdle);
    EXPECT_EQ(starter.starts, 2);
}

TEST_F(IdleWatcherTest, HoldsAndFailedStartsAreLookedAtAgainOncePerIdleTimeOrAfterInput) {
    idle.sessionHold = true;  // xdg-screensaver suspend on a plain X desktop: no word when it ends
    idle.Pass(3 * kIdle);
    EXPECT_EQ(starter.starts, 0);
    idle.sessionHold = false;
    starter.works = false;
    idle.Pass(kIdle);
    EXPECT_EQ(starter.starts, 1);
    idle.Pass(kIdle - 1);
    EXPECT_EQ(starter.starts, 1) << "a saver that cannot start is retried in a loop";
    idle.Pass(1);
    EXPECT_EQ(starter.starts, 2);
    starter.works = true;
    idle.Pass(kIdle);
    EXPECT_EQ(starter.starts, 3);
    watcher.SaverFailed();  // started, then ended with a failure at once
    idle.Pass(5 * kIdle);
    EXPECT_EQ(starter.starts, 3) << "a saver that fails at once is restarted without input";
    idle.Input();
    idle.Pass(kIdle);
    EXPECT_EQ(starter.starts, 4);
}

TEST(ParseIdleRequestTest, MinutesWithFractionsWithinASecondAndADay) {
    struct Case {
        std::vector<std::string> args;
        bool idle;
        std::uint64_t ms;  // 0: refused
    };
    const Case cases[] = {
        {{"/s"}, false, 0},
        {{}, false, 0},
        {{"--idle"}, true, 600000},
        {{"--idle", "0.1"}, true, 6000},
        {{"--idle", "2"}, true, 120000},
        {{"--idle", "1440"}, true, 86400000},
        {{"--idle", "0.017"}, true, 1020},
        {{"--idle", "0.01"}, true, 0},
        {{"--idle", "1441"}, true, 0},
        {{"--idle", "-5"}, true, 0},
        {{"--idle", "nan"}, true, 0},
        {{"--idle", "inf"}, true, 0},
        {{"--idle", "1e3"}, true, 0},
        {{"--idle", "5min"}, true, 0},
        {{"--idle", ""}, true, 0},
        {{"--idle", "5", "6"}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.size() > 1 ? c.args[1] : "(none)");
        const auto req = ParseIdleRequest(c.args);
        ASSERT_EQ(req.has_value(), c.idle);
        if (!req) continue;
        EXPECT_EQ(req->idleMs, c.ms);
        EXPECT_EQ(req->refusal.empty(), c.ms != 0);
    }
}

}  // namespace
}  // namespace driftmere
