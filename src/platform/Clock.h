#pragma once
// Time as the saver sees it. The real clock reads the system; tests move a fake one by hand, so
// hours of saver time run in milliseconds.
#include <cstdint>

namespace driftmere {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since some start, as a wrapping unsigned 32-bit count (wraps every 49.7 days).
    // Elapsed time is the unsigned difference of two readings, right across the wrap.
    virtual std::uint32_t TickCount() = 0;
    // Seconds since local midnight, with fractions: 0 <= t < 86400.
    virtual double TimeOfDay() = 0;
};

// Elapsed milliseconds from `earlier` to `now`, right at any uptime and across the wrap.
constexpr std::uint32_t ElapsedMs(std::uint32_t now, std::uint32_t earlier) {
    return now - earlier;
}

}  // namespace driftmere
