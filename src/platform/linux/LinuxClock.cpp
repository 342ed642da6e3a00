#include "platform/linux/LinuxClock.h"

#include <ctime>

namespace driftmere {

std::uint32_t LinuxClock::TickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
              static_cast<std::uint64_t>(ts.tv_nsec / 1'000'000);
    return static_cast<std::uint32_t>(ms);
}

double LinuxClock::TimeOfDay() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    localtime_r(&ts.tv_sec, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + ts.tv_nsec / 1e9;
}

}  // namespace driftmere
