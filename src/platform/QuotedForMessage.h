#pragma once
// Names from outside (an argument, an environment variable, a path built from one) as a message
// on stderr may show them: in double quotes, cut short, and with nothing a terminal would act
// on. Every byte that is not part of a printable character -- the C0 controls, DEL, the C1
// controls (which some terminals take for the start of an escape sequence) and bytes that are
// not UTF-8 -- shows as '?'; letters of any language stay as they are.
//
// Header-only, so that every part of the program that prints a name uses this one rule.
#include <cstddef>
#include <string>
#include <string_view>

namespace driftmere {

// An argument is shown to this many characters; a path (a folder from the environment and the
// file in it) whole, up to the longest path Linux accepts.
inline constexpr std::size_t kQuotedArgumentLength = 40;
inline constexpr std::size_t kQuotedPathLength = 4096;

namespace quoting {

// The length of the printable UTF-8 character at the start of `text`, or 0 when the first byte
// does not begin one.
inline std::size_t PrintableCharacterLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead >= 0x20 && lead < 0x7f) return 1;
    std::size_t length;
    char32_t code;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        code = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        code = lead & 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3f);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xd800 && code <= 0xdfff;
    const bool c1Control = code < 0xa0;
    if (overlong || surrogate || c1Control || code > 0x10ffff) return 0;
    return length;
}

}  // namespace quoting

inline std::string QuotedForMessage(std::string_view text,
                                    std::size_t longest = kQuotedArgumentLength) {
    std::string out = "\"";
    std::size_t shown = 0;
    std::size_t i = 0;
    for (; i < text.size() && shown < longest; ++shown) {
        const std::size_t n = quoting::PrintableCharacterLength(text.substr(i));
        if (n == 0) {
            out += '?';
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    out += i < text.size() ? "...\"" : "\"";
    return out;
}

// A path as a message shows it.
inline std::string QuotedPath(std::string_view path) {
    return QuotedForMessage(path, kQuotedPathLength);
}

}  // namespace driftmere
