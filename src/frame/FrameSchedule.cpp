#include "frame/FrameSchedule.h"

#include <algorithm>

#include "flight/Fleet.h"
#include "platform/Clock.h"

namespace driftmere {

std::optional<std::uint32_t> NextMoveDue(std::uint32_t now,
                                         std::span<const std::uint32_t> flyingLastMoves) {
    if (flyingLastMoves.empty()) return std::nullopt;
    // Milliseconds from now until each balloon's move is due. A balloon that has waited two
    // intervals or more (just launched, or relaunched after its pause) can move on any frame:
    // the others' next frame serves it.
    auto dueIn = [now](std::uint32_t last) -> std::optional<std::uint32_t> {
        const std::uint32_t waited = ElapsedMs(now, last);
        if (waited >= 2 * kMoveIntervalMs) return std::nullopt;
        return kMoveIntervalMs - std::min(waited, kMoveIntervalMs);
    };
    std::optional<std::uint32_t> earliest;
    for (std::uint32_t last : flyingLastMoves) {
        if (const auto due = dueIn(last)) earliest = std::min(earliest.value_or(*due), *due);
    }
    if (!earliest) return now;
    std::uint32_t wake = *earliest;
    for (std::uint32_t last : flyingLastMoves) {
        const auto due = dueIn(last);
        if (due && *due <= *earliest + kGatherMs) wake = std::max(wake, *due);
    }
    return now + wake;
}

}  // namespace driftmere
