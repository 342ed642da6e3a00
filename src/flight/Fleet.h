#pragma once
// The thirteen balloons: their records, the wind, the start points, the balloon step of each
// frame and the one-second launch schedule.
//
// CONTRACT used by the saver session (src/startup/Form1) -- keep these signatures.
#include <array>
#include <cstdint>
#include <string_view>

#include "display/TegoDDrw.h"
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

class Fleet {
public:
    Fleet(TegoDDrw& display, Clock& clock, Random& random);

    // The session's starting state: balloon 1 flying, balloon 2 due five seconds in
    // (RelaunchCount 45, RelaunchDelay 50), every other balloon waiting.
    void SetStartingState();
    // Turns the two settings (as stored text) into the move pacing; also keeps the drafts
    // value for the start points.
    void GetWind(std::string_view windSpeed, std::string_view drafts);
    // Scene loading gives each balloon (1..13) its surface.
    void SetSurface(int balloon, SurfaceId surface);
    // One frame's balloon step for every flying balloon, in the order 1..13: draw, move when
    // 20 ms have passed since its last move, read back, finish when past its limits.
    void FrameStep();
    // One Timer1 tick after the backdrop step: LaunchSeconds, launch table, relaunch counters.
    void LaunchTick();
    // LaunchSeconds = 0 (the load does this just before the scene is loaded).
    void ResetLaunchSeconds();

    BalloonRecord& Balloon(int balloon);  // 1..13
    const BalloonRecord& Balloon(int balloon) const;
    // (The implementation may add more accessors for tests.)
};

}  // namespace driftmere
