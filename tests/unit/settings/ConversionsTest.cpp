#include <gtest/gtest.h>

#include "settings/Conversions.h"

namespace driftmere {
namespace {

TEST(Conversions, SixteenBitRoundsHalvesToEvenAndBooleansAreWordsInAnyCaseOrNumbers) {
    const std::pair<const char*, std::optional<std::int16_t>> numbers[] = {
        {"2.5", 2},    {"3.5", 4},       {"-2.5", -2},  {" 11 ", 11}, {"-15", -15},
        {"1e2", 100},  {"32767", 32767}, {"32768", {}}, {"", {}},     {"abc", {}},
        {"12abc", {}}, {".", {}},        {"1e999", {}}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(ToInt16(text), value) << text;
    const std::pair<const char*, std::optional<bool>> flags[] = {
        {"True", true}, {"false", false}, {"TRUE", true}, {"0", false},
        {"7", true},    {"-1", true},     {"yes", {}}};
    for (const auto& [text, value] : flags) EXPECT_EQ(ToBool(text), value) << text;
}

TEST(Conversions, UnreadableValuesTakeTheFirstRunValue) {
    EXPECT_EQ(Int16Or("x", "11"), 11);
    EXPECT_EQ(Int16Or("7", "11"), 7);
    EXPECT_DOUBLE_EQ(NumberOr("", "60"), 60.0);
    EXPECT_TRUE(BoolOr("maybe", "True"));
}

}  // namespace
}  // namespace driftmere
