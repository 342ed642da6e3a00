#include <gtest/gtest.h>

#include <clocale>

#include "settings/Conversions.h"

namespace driftmere {
namespace {

// Under any locale: Qt sets the C library's from the user's at start, and a German one reads
// "10.6" as 10 with a decimal comma.
TEST(Conversions, SixteenBitRoundsHalvesToEvenAndBooleansAreWordsInAnyCaseOrNumbers) {
    const std::pair<const char*, std::optional<std::int16_t>> numbers[] = {
        {"2.5", 2},    {"3.5", 4},   {"-2.5", -2},     {" 11 ", 11},  {"-15", -15}, {"10.6", 11},
        {"+0.7", 1},   {"1e2", 100}, {"32767", 32767}, {"32768", {}}, {"", {}},     {"abc", {}},
        {"12abc", {}}, {".", {}},    {"1e999", {}},    {"1e-999", 0}, {"10,6", {}}};
    const std::pair<const char*, std::optional<bool>> flags[] = {
        {"True", true}, {"false", false}, {"TRUE", true}, {"0", false},
        {"7", true},    {"-1", true},     {"0.0", false}, {"yes", {}}};
    for (const char* locale : {"C", "de_DE.UTF-8", "tr_TR.UTF-8"}) {
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale << ": install locales-all";
        for (const auto& [text, value] : numbers) EXPECT_EQ(ToInt16(text), value) << text;
        for (const auto& [text, value] : flags) EXPECT_EQ(ToBool(text), value) << text;
        EXPECT_EQ(ParseNumber("0.7"), 0.7) << locale;
    }
    std::setlocale(LC_ALL, "C");
}

TEST(Conversions, UnreadableValuesTakeTheFirstRunValue) {
    EXPECT_EQ(Int16Or("x", "11"), 11);
    EXPECT_EQ(Int16Or("7", "11"), 7);
    EXPECT_DOUBLE_EQ(NumberOr("", "60"), 60.0);
    EXPECT_TRUE(BoolOr("maybe", "True"));
}

}  // namespace
}  // namespace driftmere
