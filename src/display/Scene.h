#pragma once
// The pictures of a scene: their files in the data folder and where each waits at load.
#include <array>
#include <cstdint>
#include <string_view>

namespace driftmere {

struct BackdropPicture {
    std::string_view settingKey;  // "Mountain1"
    std::string_view file;        // "mtn01.bmp"
};
// Backdrop indexes 1..7 are elements 0..6.
inline constexpr std::array<BackdropPicture, 7> kBackdrops{{
    {"Mountain1", "mtn01.bmp"},
    {"Mountain2", "mtn02.bmp"},
    {"Mountain3", "mtn03.bmp"},
    {"Mountain4", "mtn04.bmp"},
    {"Beach1", "beach01.bmp"},
    {"Beach2", "beach02.bmp"},
    {"Beach3", "beach03.bmp"},
}};

struct BalloonPicture {
    std::string_view file;
    std::int32_t x, y;
};
// Balloons 1..13 are elements 0..12. Pictures 08 and 09 were never part of the set, so balloons
// 8 to 13 take the files numbered 10 to 15; the last two, the widest, wait 20 pixels further left.
inline constexpr std::array<BalloonPicture, 13> kBalloons{{
    {"balloon01.bmp", -120, 590},
    {"balloon02.bmp", -120, 300},
    {"balloon03.bmp", -120, 400},
    {"balloon04.bmp", -120, 500},
    {"balloon05.bmp", -120, 100},
    {"balloon06.bmp", -120, 375},
    {"balloon07.bmp", -120, 170},
    {"balloon10.bmp", -120, 430},
    {"balloon11.bmp", -120, 520},
    {"balloon12.bmp", -120, 150},
    {"balloon13.bmp", -120, 355},
    {"balloon14.bmp", -140, 75},
    {"balloon15.bmp", -140, 425},
}};

inline constexpr std::string_view kDisplayErrorText =
    "This program requires that you use a monitor that is capable of displaying 64K colors.";
inline constexpr std::string_view kDisplayErrorTitle = "Error opening Direct Draw!";

}  // namespace driftmere
