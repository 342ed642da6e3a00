#pragma once
#include "platform/Clock.h"

namespace driftmere {

// The system's monotonic clock in milliseconds, wrapping at 32 bits, and the local time of day.
class LinuxClock : public Clock {
  public:
    std::uint32_t TickCount() override;
    double TimeOfDay() override;
};

}  // namespace driftmere
