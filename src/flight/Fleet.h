#pragma once
// The thirteen balloons: their records, the wind, the start points, the balloon step of each
// frame and the one-second launch schedule.
#include <array>
#include <cstdint>

#include "display/DisplayControl.h"
#include "flight/Random.h"
#include "platform/Clock.h"

namespace driftmere {

inline constexpr int kBalloonCount = 13;

struct BalloonRecord {
    std::int16_t RelaunchDelay = 0;
    std::int16_t WindPhase = 0;
    std::int16_t DraftPhase = 0;
    SurfaceId Surface = 0;
    std::int16_t PosX = 0;
    std::int16_t PosY = 0;
    bool Flying = false;
    std::int16_t RelaunchCount = 0;
};

// A start point off the screen's edge: the top-left corner of the balloon's picture.
struct StartPoint {
    std::int16_t x;
    std::int16_t y;
};

// Where PickALocal may put a balloon, by choice 1..8 (index 0..7). With rising or calm air it
// waits below the bottom edge or left of the screen; with sinking air above the top or left.
// clang-format off
inline constexpr std::array<StartPoint, 8> kLowStartPoints = {{
    {300, 605}, {220, 605}, {130, 605}, {50, 605},       // below the bottom edge
    {-150, 500}, {-150, 380}, {-150, 275}, {-150, 150},  // left of the screen
}};
inline constexpr std::array<StartPoint, 8> kHighStartPoints = {{
    {350, -170}, {250, -170}, {150, -170}, {50, -170},   // above the top edge
    {-160, 50}, {-160, 150}, {-160, 300}, {-160, 450},   // left of the screen
}};
// clang-format on

// A balloon moves when at least this many milliseconds have passed since its last move.
inline constexpr std::uint32_t kMoveIntervalMs = 20;
// LaunchSeconds goes back to 0 when it passes this.
inline constexpr std::int32_t kLaunchSecondsWrap = 2'100'000'000;
// RelaunchCount goes back to 0 when it passes this.
inline constexpr std::int16_t kRelaunchCountWrap = 200;

class Fleet {
  public:
    Fleet(DisplayControl& display, Clock& clock, Random& random);

    // The session's starting state: balloon 1 flying, balloon 2 due five seconds in
    // (RelaunchCount 45, RelaunchDelay 50), every other balloon waiting.
    void SetStartingState();
    // Turns the wind speed and drafts settings into the move pacing; also keeps the drafts
    // value for the start points.
    void SetWind(double windSpeed, double drafts);
    // Scene loading gives each balloon (1..13) its surface.
    void SetSurface(int balloon, SurfaceId surface);
    // One frame's balloon step for every flying balloon, in the order 1..13: draw, move when
    // 20 ms have passed since its last move, read back, finish when past its limits.
    void FrameStep();
    // One BackdropAndLaunchTick tick after the backdrop step: LaunchSeconds, launch table, relaunch
    // counters.
    void LaunchTick();
    // LaunchSeconds = 0 (the load does this just before the scene is loaded).
    void ResetLaunchSeconds();

    BalloonRecord& Balloon(int balloon);  // 1..13
    const BalloonRecord& Balloon(int balloon) const;

    // The move step of one balloon (1..13): at most one pixel right and one pixel up or down,
    // paced by counting calls against the balloon's dividers.
    void MoveBalloon(int balloon);
    // Puts the balloon whose surface this is at a random start point beyond an edge.
    void PickALocal(SurfaceId surface);

    // Read-outs of the session state.
    std::int16_t WindDivider(int balloon) const { return windDivider_.at(balloon - 1); }
    std::int16_t DraftDivider(int balloon) const { return draftDivider_.at(balloon - 1); }
    std::int16_t DraftStep() const { return draftStep_; }
    double Drafts() const { return drafts_; }
    std::int16_t LowStartChoice() const { return lowStartChoice_; }
    std::int16_t HighStartChoice() const { return highStartChoice_; }
    std::int32_t LaunchSeconds() const { return launchSeconds_; }
    bool LaunchDone() const { return launchDone_; }
    std::uint32_t LastMoveTick(int balloon) const { return lastMoveTick_.at(balloon - 1); }
    // Lets a test reach the wrap of LaunchSeconds without ticking for 66 years.
    void SetLaunchSeconds(std::int32_t seconds) { launchSeconds_ = seconds; }

  private:
    void BalloonStep(int balloon);
    void Finish(int balloon);
    void Ground(BalloonRecord& record);
    void DrawDelay(BalloonRecord& record, int balloon);

    DisplayControl& display_;
    Clock& clock_;
    Random& random_;

    std::array<BalloonRecord, kBalloonCount> balloons_{};
    // The tick read right after each balloon's last move. A balloon that has never moved has no
    // such tick: its first frame in the air moves it whatever the clock reads.
    std::array<std::uint32_t, kBalloonCount> lastMoveTick_{};
    std::array<bool, kBalloonCount> hasMoved_{};

    std::array<std::int16_t, kBalloonCount> windDivider_{};
    std::array<std::int16_t, kBalloonCount> draftDivider_{};
    std::int16_t draftStep_ = 0;
    double drafts_ = 0.0;

    std::int16_t lowStartChoice_ = 0;
    std::int16_t highStartChoice_ = 0;

    std::int32_t launchSeconds_ = 0;
    bool launchDone_ = false;
};

}  // namespace driftmere
