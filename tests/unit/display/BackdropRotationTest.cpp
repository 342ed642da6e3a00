#include <gtest/gtest.h>

#include "display/BackdropRotation.h"

namespace driftmere {
namespace {

BackdropRotation Rotation(std::initializer_list<int> chosenIndexes, double scrollSec) {
    std::array<bool, 8> chosen{};
    for (int i : chosenIndexes) chosen[i] = true;
    BackdropRotation r;
    for (int i = 1; i <= 7; ++i) r.SetSurface(i, 100 + i);
    r.SetScrollSeconds(scrollSec);
    r.ChooseBackdrops(chosen);
    return r;
}

TEST(BackdropRotation, AllChosenChangeEverySixtyTicksAndWrap) {
    BackdropRotation r = Rotation({1, 2, 3, 4, 5, 6, 7}, 60);
    std::vector<SurfaceId> shown;
    for (int tick = 1; tick <= 7 * 60; ++tick) {
        if (tick % 60 == 1) shown.push_back(r.CurrentBackdrop());
        r.AdvanceBackdrop();
        if (tick == 59) EXPECT_EQ(r.CurrentBackdrop(), 101);
    }
    EXPECT_EQ(shown, (std::vector<SurfaceId>{101, 102, 103, 104, 105, 106, 107}));
    EXPECT_EQ(r.CurrentBackdrop(), 101);  // after Beach 3 comes Mountain 1 again
}

TEST(BackdropRotation, UnchosenBackdropsAreSkippedByTheFrame) {
    BackdropRotation r = Rotation({2, 5}, 3);
    EXPECT_EQ(r.CurrentBackdrop(), 102);
    for (int i = 0; i < 3; ++i) r.AdvanceBackdrop();
    EXPECT_EQ(r.Index(), 3);  // the tick moves by exactly one
    EXPECT_EQ(r.CurrentBackdrop(), 105);
    for (int i = 0; i < 3; ++i) r.AdvanceBackdrop();
    EXPECT_EQ(r.Index(), 6);
    EXPECT_EQ(r.CurrentBackdrop(), 102);  // past 7 and 1 to Mountain 2
}

TEST(BackdropRotation, OneOrNoneChosenNeverChanges) {
    BackdropRotation one = Rotation({4}, 1);
    for (int i = 0; i < 100; ++i) one.AdvanceBackdrop();
    EXPECT_EQ(one.CurrentBackdrop(), 104);
    EXPECT_EQ(one.Seconds(), 100);

    BackdropRotation none = Rotation({}, 1);
    for (int i = 0; i < 100; ++i) none.AdvanceBackdrop();
    EXPECT_EQ(none.CurrentBackdrop(), 101);  // index 0 draws Mountain 1
    EXPECT_EQ(none.Index(), 0);
}

TEST(BackdropRotation, IntervalTheCounterNeverMeetsWrapsTheCounter) {
    for (double never : {0.0, -5.0, 2.5}) {
        BackdropRotation r = Rotation({1, 2}, never);
        for (int i = 0; i < 28'800'001; ++i) r.AdvanceBackdrop();
        EXPECT_EQ(r.Seconds(), 0) << never;
        EXPECT_EQ(r.CurrentBackdrop(), 101);
    }
}

}  // namespace
}  // namespace driftmere
