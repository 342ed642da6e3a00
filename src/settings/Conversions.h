#pragma once
// How stored text becomes numbers and flags.
#include <cstdint>
#include <optional>
#include <string_view>

namespace driftmere {

// Ordinary number syntax with blanks around it allowed: an optional sign, digits with an
// optional decimal point, an optional exponent ("12", " -7 ", "2.5", "1e3"). nullopt otherwise,
// and for values that are not finite.
std::optional<double> ParseNumber(std::string_view text);

// Rounds to a whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);

// The 16-bit conversion: the number rounded half to even; nullopt when the text is not a
// number or the result does not fit 16 bits.
std::optional<std::int16_t> ToInt16(std::string_view text);

// The 32-bit conversion, likewise.
std::optional<std::int32_t> ToInt32(std::string_view text);

// "True"/"False" in any case, or a number (nonzero is true).
std::optional<bool> ToBool(std::string_view text);

// A stored value that does not convert is taken as its key's first-run value, so a
// hand-damaged file still gives a working saver. These apply that rule.
double NumberOr(std::string_view text, std::string_view firstRun);
std::int16_t Int16Or(std::string_view text, std::string_view firstRun);
std::int32_t Int32Or(std::string_view text, std::string_view firstRun);
bool BoolOr(std::string_view text, std::string_view firstRun);

}  // namespace driftmere
