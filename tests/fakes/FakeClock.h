#pragma once
#include <cstdint>

#include "platform/Clock.h"

namespace driftmere::testing {

// A clock moved by hand. Every TickCount() reading can optionally advance the tick by
// `tickPerRead`, which models time spent between two readings.
class FakeClock : public Clock {
  public:
    std::uint32_t tick = 0;
    double timeOfDay = 0.0;
    std::uint32_t tickPerRead = 0;

    std::uint32_t TickCount() override {
        std::uint32_t t = tick;
        tick += tickPerRead;
        return t;
    }
    double TimeOfDay() override { return timeOfDay; }
    void Advance(std::uint32_t ms) {
        tick += ms;
        timeOfDay += ms / 1000.0;
        while (timeOfDay >= 86400.0) timeOfDay -= 86400.0;
    }
};

}  // namespace driftmere::testing
