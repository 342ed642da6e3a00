#pragma once
// When the music stops: the choices the Control Box offers for "SoundOff", and the limit in
// seconds each one sets in the saver.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace driftmere {

struct StopChoice {
    std::string_view text;                // as listed and stored: "Never", "1", ... "480"
    std::optional<std::int16_t> seconds;  // none for "Never"
};
// clang-format off
inline constexpr std::array<StopChoice, 20> kStopChoices{{
    {"Never", std::nullopt},
    {"1", 60},      {"2", 120},     {"3", 180},     {"4", 240},     {"5", 300},
    {"10", 600},    {"15", 900},    {"20", 1200},   {"30", 1800},   {"45", 2700},
    {"60", 3600},   {"90", 5400},   {"120", 7200},  {"180", 10800}, {"240", 14400},
    {"300", 18000}, {"360", 21600}, {"420", 25200}, {"480", 28800},
}};
// clang-format on

// The limit a stored "SoundOff" text sets. Text that is no number at all ("Never", "ten", a
// hand-edited slip) never stops the music, as every unreadable setting takes its first-run
// value. A number means minutes and keeps its meaning even when it is no choice of the list:
// "2.0" is the 2-minute choice, and a number the list does not offer ("7") has a limit of 0,
// which stops the music at the first tick.
std::optional<std::int16_t> StopLimitSeconds(std::string_view soundOff);

}  // namespace driftmere
