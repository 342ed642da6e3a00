#include <gtest/gtest.h>

#include "settings/Conversions.h"

namespace driftmere {
namespace {

TEST(Conversions, SixteenBitRoundsHalvesToEven) {
    EXPECT_EQ(ToInt16("2.5"), 2);
    EXPECT_EQ(ToInt16("3.5"), 4);
    EXPECT_EQ(ToInt16("-2.5"), -2);
    EXPECT_EQ(ToInt16(" 11 "), 11);
    EXPECT_EQ(ToInt16("-15"), -15);
    EXPECT_EQ(ToInt16("1e2"), 100);
    EXPECT_EQ(ToInt16("32767"), 32767);
    EXPECT_EQ(ToInt16("32768"), std::nullopt);
    EXPECT_EQ(ToInt16(""), std::nullopt);
    EXPECT_EQ(ToInt16("abc"), std::nullopt);
    EXPECT_EQ(ToInt16("12abc"), std::nullopt);
    EXPECT_EQ(ToInt16("."), std::nullopt);
    EXPECT_EQ(ToInt16("1e999"), std::nullopt);
}

TEST(Conversions, BooleanAcceptsWordsInAnyCaseAndNumbers) {
    EXPECT_EQ(ToBool("True"), true);
    EXPECT_EQ(ToBool("false"), false);
    EXPECT_EQ(ToBool("TRUE"), true);
    EXPECT_EQ(ToBool("0"), false);
    EXPECT_EQ(ToBool("7"), true);
    EXPECT_EQ(ToBool("-1"), true);
    EXPECT_EQ(ToBool("yes"), std::nullopt);
}

TEST(Conversions, UnreadableValuesTakeTheFirstRunValue) {
    EXPECT_EQ(Int16Or("x", "11"), 11);
    EXPECT_EQ(Int16Or("7", "11"), 7);
    EXPECT_DOUBLE_EQ(NumberOr("", "60"), 60.0);
    EXPECT_TRUE(BoolOr("maybe", "True"));
}

}  // namespace
}  // namespace driftmere
