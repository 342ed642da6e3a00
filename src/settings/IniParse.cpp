#include "settings/IniParse.h"

#include "platform/AsciiText.h"
#include "settings/SettingsStore.h"

namespace driftmere::ini {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A UTF-8 byte-order mark, as some editors put at the start of a file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The first `wanted` in [from, to) that no backslash escapes, or `to`.
std::size_t FindUnescaped(std::string_view text, std::size_t from, std::size_t to, char wanted) {
    for (std::size_t i = from; i < to; ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == wanted) {
            return i;
        }
    }
    return to;
}

std::string_view TrimBlanks(std::string_view s) { return TrimmedOf(s, " \t"); }

// Where a section's new key goes, and whether the section exists at all.
struct Placement {
    bool sectionFound = false;
    std::size_t insertAt = 0;
};

}  // namespace

bool Scanner::Next(Line& line) {
    if (pos_ >= text_.size()) return false;
    line = Line{};
    line.begin = pos_;
    std::size_t newline = text_.find('\n', pos_);
    line.end = newline == std::string_view::npos ? text_.size() : newline;
    line.next = newline == std::string_view::npos ? text_.size() : newline + 1;
    if (line.end > line.begin && text_[line.end - 1] == '\r') --line.end;
    pos_ = line.next;

    std::size_t i = line.begin;
    // A byte-order mark is kept as it is but is no part of the first line's content.
    if (i == 0 && text_.substr(0, line.end).starts_with(kByteOrderMark)) i = kByteOrderMark.size();
    while (i < line.end && IsBlank(text_[i])) ++i;
    if (i == line.end || text_[i] == ';' || text_[i] == '#') return true;
    if (text_[i] == '[') {
        std::size_t close = FindUnescaped(text_, i + 1, line.end, ']');
        if (close == line.end) return true;  // no closing bracket: not a header
        line.kind = LineKind::kSection;
        line.name = text_.substr(i + 1, close - i - 1);
        return true;
    }
    std::size_t eq = FindUnescaped(text_, i, line.end, '=');
    if (eq == line.end) return true;  // no '=': not a key line
    line.kind = LineKind::kKey;
    line.name = text_.substr(i, eq - i);
    line.valueBegin = eq + 1;
    while (line.valueBegin < line.end && IsBlank(text_[line.valueBegin])) ++line.valueBegin;
    return true;
}

std::string Encode(std::string_view text, Role role) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        const bool atEdge = i == 0 || i + 1 == text.size();
        switch (c) {
            case '\\':
                out += "\\\\";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            case '\0':
                out += "\\0";
                continue;
            default:
                break;
        }
        if (byte < 0x20 || byte == 0x7f) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
            continue;
        }
        // Blanks at either end would be trimmed away when read; inside they are plain.
        bool escape = c == ' ' && atEdge;
        if (role == Role::kKey) {
            escape = escape || c == '=' || (i == 0 && (c == '[' || c == ';' || c == '#'));
        } else if (role == Role::kSection) {
            escape = escape || c == ']';
        }
        if (escape) out += '\\';
        out += c;
    }
    return out;
}

std::string Decode(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    std::size_t keep = 0;  // length up to the last byte that is not a trailing blank
    bool started = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (IsBlank(c)) {
            if (started) out += c;
            continue;
        }
        started = true;
        if (c == '\\' && i + 1 < raw.size()) {
            char e = raw[++i];
            switch (e) {
                case 'n':
                    c = '\n';
                    break;
                case 'r':
                    c = '\r';
                    break;
                case 't':
                    c = '\t';
                    break;
                case '0':
                    c = '\0';
                    break;
                case 'x':
                    if (i + 2 < raw.size() && HexDigit(raw[i + 1]) >= 0 &&
                        HexDigit(raw[i + 2]) >= 0) {
                        c = static_cast<char>(HexDigit(raw[i + 1]) * 16 + HexDigit(raw[i + 2]));
                        i += 2;
                    } else {
                        c = 'x';
                    }
                    break;
                default:
                    c = e;
                    break;
            }
        }
        out += c;
        keep = out.size();
    }
    out.resize(keep);
    return out;
}

bool NameMatches(std::string_view raw, std::string_view wanted) {
    if (raw.find('\\') == std::string_view::npos) return SameName(TrimBlanks(raw), wanted);
    return SameName(Decode(raw), wanted);
}

std::vector<Entry> Parse(std::string_view text) {
    std::vector<Entry> entries;
    std::string section;
    Scanner scanner(text);
    Line line;
    while (scanner.Next(line)) {
        if (line.kind == LineKind::kSection) {
            section = Decode(line.name);
        } else if (line.kind == LineKind::kKey) {
            entries.push_back({section, Decode(line.name), Decode(scanner.Value(line))});
        }
    }
    return entries;
}

std::optional<std::string> Lookup(std::string_view text, std::string_view section,
                                  std::string_view key) {
    // Lines before the first header belong to the unnamed section.
    bool inSection = section.empty();
    Scanner scanner(text);
    Line line;
    while (scanner.Next(line)) {
        if (line.kind == LineKind::kSection) {
            inSection = NameMatches(line.name, section);
        } else if (line.kind == LineKind::kKey && inSection && NameMatches(line.name, key)) {
            return Decode(scanner.Value(line));
        }
    }
    return std::nullopt;
}

std::string WithValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
    const std::string encoded = Encode(value, Role::kValue);
    Placement place;
    place.sectionFound = section.empty();
    // The unnamed section's first key goes after a byte-order mark, which stays first.
    if (text.starts_with(kByteOrderMark)) place.insertAt = kByteOrderMark.size();
    bool inSection = section.empty();
    bool inFirstSection = inSection;

    Scanner scanner(text);
    Line line;
    while (scanner.Next(line)) {
        if (line.kind == LineKind::kSection) {
            inFirstSection = false;
            inSection = NameMatches(line.name, section);
            if (inSection && !place.sectionFound) {
                place.sectionFound = true;
                inFirstSection = true;
                place.insertAt = line.next;
            }
        } else if (line.kind == LineKind::kKey && inSection) {
            if (NameMatches(line.name, key)) {
                std::string out;
                out.reserve(text.size() + encoded.size());
                out.append(text.substr(0, line.valueBegin));
                out.append(encoded);
                out.append(text.substr(line.end));
                return out;
            }
            if (inFirstSection) place.insertAt = line.next;
        }
    }

    std::string newLine = Encode(key, Role::kKey);
    newLine += '=';
    newLine += encoded;
    newLine += '\n';
    std::string out;
    if (place.sectionFound) {
        out.reserve(text.size() + newLine.size() + 1);
        out.append(text.substr(0, place.insertAt));
        const bool afterMark =
            place.insertAt == kByteOrderMark.size() && text.starts_with(kByteOrderMark);
        if (place.insertAt > 0 && text[place.insertAt - 1] != '\n' && !afterMark) out += '\n';
        out.append(newLine);
        out.append(text.substr(place.insertAt));
        return out;
    }
    out.reserve(text.size() + section.size() + newLine.size() + 5);
    out.append(text);
    if (!out.empty() && out != kByteOrderMark) {
        if (out.back() != '\n') out += '\n';
        out += '\n';  // a blank line between sections keeps the file readable
    }
    out += '[';
    out += Encode(section, Role::kSection);
    out += "]\n";
    out += newLine;
    return out;
}

}  // namespace driftmere::ini
