#include "flight/Fleet.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <stdexcept>

namespace driftmere {
namespace {

// Where each balloon's flight ends, and the number its relaunch delay is drawn with. Balloon 1
// has a wider right margin and a higher top and bottom; balloon 2 finishes as soon as it sinks
// below the screen; the others may sink 200 pixels out of sight first. Balloons 2 and 12 share
// a seed.
struct FinishRule {
    std::int16_t right;   // finish when PosX is above this
    std::int16_t top;     // finish when PosY is below this
    std::int16_t bottom;  // finish when PosY is above this
    std::int16_t seed;
};
// clang-format off
constexpr std::array<FinishRule, kBalloonCount> kFinishRules = {{
    {840, -200, 640, 17}, {800, -250, 600, 15}, {800, -250, 800, 19}, {800, -250, 800, 9},
    {800, -250, 800, 22}, {800, -250, 800, 13}, {800, -250, 800, 25}, {800, -250, 800, 24},
    {800, -250, 800, 18}, {800, -250, 800, 11}, {800, -250, 800, 23}, {800, -250, 800, 15},
    {800, -250, 800, 20},
}};
// clang-format on

// The launch table: the second at which each of balloons 2..13 first flies. Balloon 2's entry
// never finds it waiting, since its relaunch counter lets it go at second 5.
struct LaunchEntry {
    std::int32_t second;
    int balloon;
};
// clang-format off
constexpr std::array<LaunchEntry, 12> kLaunchTable = {{
    {7, 2}, {14, 3}, {20, 4}, {32, 5}, {41, 6}, {52, 7},
    {60, 8}, {70, 9}, {85, 10}, {96, 11}, {105, 12}, {112, 13},
}};
// clang-format on
constexpr std::int32_t kLastLaunchSecond = 112;
// The table is only consulted this early in a session.
constexpr std::int32_t kLaunchTableWindow = 315;

// The pacing band of a setting: four strength bands and calm. A value between or beyond the
// bands (3.5, 16) has none.
std::optional<std::int16_t> DividerFor(double value) {
    if (value >= 12 && value <= 15) return 0;
    if (value >= 8 && value <= 11) return 1;
    if (value >= 4 && value <= 7) return 2;
    if (value >= 1 && value <= 3) return 3;
    if (value == 0) return 15;
    return std::nullopt;
}

// Drafts pulling down take the band of their strength.
std::optional<std::int16_t> DraftDividerFor(double value) {
    if (value >= 0) return DividerFor(value);
    return DividerFor(-value);
}

// A read-back position in 16 bits. The finish rule keeps a balloon within a few hundred pixels
// of the screen; should the display ever report more, the value is held at the edge of the range
// rather than wrapped, so a balloon far off to the right still counts as past its limit.
std::int16_t Narrow(std::int32_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

void CheckBalloon(int balloon) {
    if (balloon < 1 || balloon > kBalloonCount) throw std::out_of_range("balloon number");
}

}  // namespace

Fleet::Fleet(DisplayControl& display, Clock& clock, Random& random)
    : display_(display), clock_(clock), random_(random) {}

void Fleet::SetStartingState() {
    for (int k = 2; k <= kBalloonCount; ++k) Balloon(k).Flying = false;
    // Balloon 2's counter starts at 45 against a delay of 50, so it takes off five seconds in.
    Balloon(2).RelaunchCount = 45;
    Balloon(2).RelaunchDelay = 50;
    Balloon(1).Flying = true;
}

void Fleet::SetWind(double windSpeed, double drafts) {
    drafts_ = drafts;
    if (auto d = DividerFor(windSpeed)) windDivider_.fill(*d);
    if (auto d = DraftDividerFor(drafts_)) draftDivider_.fill(*d);

    if (drafts_ == 0) {
        draftStep_ = 0;
    } else if (drafts_ < 0) {
        draftStep_ = -1;
    } else {
        draftStep_ = 1;
    }
}

void Fleet::SetSurface(int balloon, SurfaceId surface) { Balloon(balloon).Surface = surface; }

BalloonRecord& Fleet::Balloon(int balloon) {
    CheckBalloon(balloon);
    return balloons_[balloon - 1];
}

const BalloonRecord& Fleet::Balloon(int balloon) const {
    CheckBalloon(balloon);
    return balloons_[balloon - 1];
}

void Fleet::FrameStep() {
    for (int k = 1; k <= kBalloonCount; ++k) {
        if (Balloon(k).Flying) BalloonStep(k);
    }
}

void Fleet::BalloonStep(int balloon) {
    BalloonRecord& b = Balloon(balloon);
    const std::size_t i = static_cast<std::size_t>(balloon - 1);

    // Drawn where the previous move left it; this frame's move shows in the next frame.
    display_.DrawSurface(b.Surface);

    // The interval runs from the tick read after the last move, so time spent inside a move is
    // not counted. The unsigned difference is right across the 32-bit wrap.
    const std::uint32_t now = clock_.TickCount();
    if (!hasMoved_[i] || ElapsedMs(now, lastMoveTick_[i]) >= kMoveIntervalMs) {
        MoveBalloon(balloon);
        lastMoveTick_[i] = clock_.TickCount();
        hasMoved_[i] = true;
    }

    b.PosY = Narrow(display_.GetSurfaceY(b.Surface));
    b.PosX = Narrow(display_.GetSurfaceX(b.Surface));

    // Each test uses the positions just read; a balloon past two limits finishes twice, and the
    // second start point and delay are the ones that stand.
    const std::int16_t x = b.PosX;
    const std::int16_t y = b.PosY;
    const FinishRule& rule = kFinishRules[i];
    if (x > rule.right) Finish(balloon);
    if (y < rule.top) Finish(balloon);
    if (y > rule.bottom) Finish(balloon);
}

void Fleet::MoveBalloon(int balloon) {
    BalloonRecord& b = Balloon(balloon);
    const std::int16_t wind = WindDivider(balloon);
    const std::int16_t draft = DraftDivider(balloon);

    // With a divider d each counter runs 0..d and the pixel step falls on every (d + 1)-th call.
    if (b.WindPhase >= wind) display_.MoveSurfaceX(b.Surface, 1);
    ++b.WindPhase;
    if (b.WindPhase > wind) b.WindPhase = 0;

    // Calm air still makes the call, with a step of 0.
    if (b.DraftPhase >= draft) display_.MoveSurfaceY(b.Surface, draftStep_);
    ++b.DraftPhase;
    if (b.DraftPhase > draft) b.DraftPhase = 0;
}

void Fleet::Finish(int balloon) {
    BalloonRecord& b = Balloon(balloon);
    // The order decides which values of the one generator the start point and the delay get.
    if (balloon == 1) {
        Ground(b);
        DrawDelay(b, balloon);
        PickALocal(b.Surface);
    } else {
        PickALocal(b.Surface);
        Ground(b);
        DrawDelay(b, balloon);
    }
}

void Fleet::Ground(BalloonRecord& record) {
    record.Flying = false;
    record.RelaunchCount = 0;
}

void Fleet::DrawDelay(BalloonRecord& record, int balloon) {
    random_.Reseed(kFinishRules[balloon - 1].seed);
    // 30 to 55 whole seconds.
    record.RelaunchDelay = static_cast<std::int16_t>(WholeChoice(random_.Next(), 26, 30));
}

void Fleet::PickALocal(SurfaceId surface) {
    // For whole numbers exactly one branch runs; a fraction between -1 and 0 takes both, and
    // the second placement stands.
    if (drafts_ > -1) {
        random_.Reseed(129);
        lowStartChoice_ = static_cast<std::int16_t>(WholeChoice(random_.Next(), 8, 1));
        const StartPoint& p = kLowStartPoints[lowStartChoice_ - 1];
        display_.SetSurfaceX(surface, p.x);
        display_.SetSurfaceY(surface, p.y);
    }
    if (drafts_ < 0) {
        highStartChoice_ = static_cast<std::int16_t>(WholeChoice(random_.Next(), 8, 1));
        const StartPoint& p = kHighStartPoints[highStartChoice_ - 1];
        display_.SetSurfaceX(surface, p.x);
        display_.SetSurfaceY(surface, p.y);
    }
}

void Fleet::LaunchTick() {
    ++launchSeconds_;
    if (launchSeconds_ > kLaunchSecondsWrap) launchSeconds_ = 0;

    // Once the last balloon has gone the table is closed for good, so the same seconds reached
    // again after the wrap release nothing.
    if (!launchDone_ && launchSeconds_ < kLaunchTableWindow) {
        for (const LaunchEntry& e : kLaunchTable) {
            if (launchSeconds_ == e.second) {
                Balloon(e.balloon).Flying = true;
                if (e.second == kLastLaunchSecond) launchDone_ = true;
            }
        }
    }

    // Counted for every balloon, flying or waiting. Balloons 1 and 2 go when the count reaches
    // the delay or passes it; the others only when it equals the delay, which is why their delay
    // of 0 before the first finish never releases them (the counts compared run from 1 to 201).
    for (int k = 1; k <= kBalloonCount; ++k) {
        BalloonRecord& b = Balloon(k);
        ++b.RelaunchCount;
        const bool due =
            k <= 2 ? b.RelaunchCount >= b.RelaunchDelay : b.RelaunchCount == b.RelaunchDelay;
        if (due) b.Flying = true;
        if (b.RelaunchCount > kRelaunchCountWrap) b.RelaunchCount = 0;
    }
}

void Fleet::ResetLaunchSeconds() { launchSeconds_ = 0; }

}  // namespace driftmere
