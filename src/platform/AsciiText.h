#pragma once
// Case and blanks in text whose meaningful characters are ASCII (settings names, arguments, the
// lines of a configuration file). Only A-Z change case: a byte of a UTF-8 letter never does, and
// the user's locale plays no part (under a Turkish locale a locale-aware lower 'I' is not 'i').
#include <string>
#include <string_view>

namespace driftmere {

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

inline std::string AsciiLowered(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// `text` without the characters of `blanks` at either end.
constexpr std::string_view TrimmedOf(std::string_view text, std::string_view blanks) {
    const std::size_t begin = text.find_first_not_of(blanks);
    if (begin == std::string_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(blanks) - begin + 1);
}

}  // namespace driftmere
