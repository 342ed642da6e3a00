#pragma once
// When the next frame has something new to draw. Between the one-second timers (the clock's new
// second, the backdrop's change, a launch), which ask for a frame themselves, only the flying
// balloons change the picture, and each of them only when its 20 ms have passed since its last
// move. So the display wakes for the earliest of those moves and for nothing else.
//
// Balloons that move in the same frame stay together: their next moves are due at the same tick,
// and one wake serves them all. A move's tick is read just after it, so a frame that runs across a
// millisecond boundary can leave one balloon a tick behind the others; the wake then waits for the
// latest of the moves due within kGatherMs of the earliest, and the group moves together again
// (each still at least 20 ms after its last move). A balloon just launched, whose gate is open
// from its first frame, moves with the next frame that comes, and so joins the others.
#include <cstdint>
#include <optional>
#include <span>

namespace driftmere {

inline constexpr std::uint32_t kGatherMs = 2;

// The tick (of the clock the balloons' moves are timed by) of the next frame a balloon needs,
// given `now` and the last-move ticks of the balloons that are flying. Empty when none is
// flying; `now` when one is due already, or when none has moved within two intervals (the first
// balloon just launched, or frames held up).
std::optional<std::uint32_t> NextMoveDue(std::uint32_t now,
                                         std::span<const std::uint32_t> flyingLastMoves);

}  // namespace driftmere
