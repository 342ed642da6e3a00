#include "settings/Conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/AsciiText.h"
#include "settings/SettingsStore.h"

namespace driftmere {
namespace {

std::string_view Trim(std::string_view s) { return TrimmedOf(s, " \t\r\n"); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
    std::string_view s = Trim(text);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    // from_chars reads the decimal point as '.' whatever the locale (the C library's strtod
    // takes the user's: "10.6" would read as 10 under a German one). It takes no '+'.
    if (s.front() == '+') s.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too small to hold is as good as zero; too large is no number this system can use.
        const bool tiny =
            s.find_first_of("eE") != std::string_view::npos && s[s.find_first_of("eE") + 1] == '-';
        return tiny ? std::optional<double>(0.0) : std::nullopt;
    }
    if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

std::optional<std::int16_t> ToInt16(std::string_view text) {
    auto n = ParseNumber(text);
    if (!n) return std::nullopt;
    double r = RoundHalfEven(*n);
    if (r < std::numeric_limits<std::int16_t>::min() ||
        r > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> ToInt32(std::string_view text) {
    auto n = ParseNumber(text);
    if (!n) return std::nullopt;
    double r = RoundHalfEven(*n);
    if (r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<bool> ToBool(std::string_view text) {
    std::string_view s = Trim(text);
    if (SameName(s, "True")) return true;
    if (SameName(s, "False")) return false;
    auto n = ParseNumber(s);
    if (!n) return std::nullopt;
    return *n != 0.0;
}

double NumberOr(std::string_view text, std::string_view firstRun) {
    if (auto n = ParseNumber(text)) return *n;
    return ParseNumber(firstRun).value_or(0.0);
}

std::int16_t Int16Or(std::string_view text, std::string_view firstRun) {
    if (auto n = ToInt16(text)) return *n;
    return ToInt16(firstRun).value_or(0);
}

std::int32_t Int32Or(std::string_view text, std::string_view firstRun) {
    if (auto n = ToInt32(text)) return *n;
    return ToInt32(firstRun).value_or(0);
}

bool BoolOr(std::string_view text, std::string_view firstRun) {
    if (auto b = ToBool(text)) return *b;
    return ToBool(firstRun).value_or(false);
}

}  // namespace driftmere
