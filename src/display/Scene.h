#pragma once
// The pictures of a scene: their files in the data folder and where each waits at load.
#include <array>
#include <cstdint>
#include <string_view>

#include "settings/Schema.h"

namespace driftmere {

// One backdrop: the setting that chooses it, its picture, the Control Box's small picture of
// it, the caption and the name of the check box that shows the choice.
struct Backdrop {
    const SettingKey* setting;   // "Mountain1": chosen for the rotation
    std::string_view file;       // "mtn01.bmp"
    std::string_view thumbnail;  // "thumb-mtn01.bmp"
    std::string_view caption;    // "Mountain 1"
    std::string_view checkBox;   // "chkBGM1"
};
// Backdrop indexes 1..7 are elements 0..6: the mountains, then the beaches.
inline constexpr std::array<Backdrop, 7> kBackdrops{{
    {&setting::kMountain1, "mtn01.bmp", "thumb-mtn01.bmp", "Mountain 1", "chkBGM1"},
    {&setting::kMountain2, "mtn02.bmp", "thumb-mtn02.bmp", "Mountain 2", "chkBGM2"},
    {&setting::kMountain3, "mtn03.bmp", "thumb-mtn03.bmp", "Mountain 3", "chkBGM3"},
    {&setting::kMountain4, "mtn04.bmp", "thumb-mtn04.bmp", "Mountain 4", "chkBGM4"},
    {&setting::kBeach1, "beach01.bmp", "thumb-beach01.bmp", "Beach 1", "chkBGB1"},
    {&setting::kBeach2, "beach02.bmp", "thumb-beach02.bmp", "Beach 2", "chkBGB2"},
    {&setting::kBeach3, "beach03.bmp", "thumb-beach03.bmp", "Beach 3", "chkBGB3"},
}};

struct BalloonPicture {
    std::string_view file;
    std::int32_t x, y;
};
// Balloons 1..13 are elements 0..12. The picture files are numbered 01 to 07 and 10 to 15, so
// balloons 8 to 13 take the files 10 to 15; the last two, the widest, wait 20 pixels further
// left.
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
