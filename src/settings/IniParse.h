#pragma once
// The settings file's text format, as pure functions over bytes: no files, no allocation beyond
// the results, no exceptions other than running out of memory. Any byte string is accepted;
// lines that do not read as a section header or a key line are kept as they are and ignored.
//
// Format:
//   [Section]
//   Key=value
//   ; or # at the start of a line: a comment
// Names are compared without regard to ASCII case. Blanks around names and values are not part
// of them. A backslash escapes what the plain form cannot hold: \\ \n \r \t \0, \xHH for other
// control bytes, "\ " for a space at either end, \= in a key, \] in a section name, and a key
// starting with \[ \; or \#. Any other escaped character stands for itself. Bytes from 0x80 up
// are kept as they are, so UTF-8 text stays readable and invalid UTF-8 still round-trips. A UTF-8
// byte-order mark at the start is kept and read past.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace driftmere::ini {

enum class LineKind : std::uint8_t { kOther, kSection, kKey };

// One line of a text, as offsets into it. `name` views the section name or key still escaped
// (blanks around it may still be there; Decode drops them).
struct Line {
    LineKind kind = LineKind::kOther;
    std::size_t begin = 0;       // the line's first byte
    std::size_t end = 0;         // just past its content, before "\n" or "\r\n"
    std::size_t next = 0;        // the next line's first byte
    std::size_t valueBegin = 0;  // key lines: the value's first byte, after '=' and blanks
    std::string_view name;
};

// Walks a text line by line in one pass; the work per line is linear in its length.
class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}
    // Fills `line` with the next line; false after the last one.
    bool Next(Line& line);
    std::string_view Value(const Line& line) const {
        return text_.substr(line.valueBegin, line.end - line.valueBegin);
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// What a piece of text is written as: each role has its own characters to escape.
enum class Role : std::uint8_t { kSection, kKey, kValue };

// The escaped form of a name or value, plain when nothing needs escaping ("11" stays "11").
std::string Encode(std::string_view text, Role role);

// The text an escaped form stands for; unescaped blanks at either end are dropped.
std::string Decode(std::string_view raw);

// True when an escaped name from the file names `wanted` (ASCII case ignored).
bool NameMatches(std::string_view raw, std::string_view wanted);

struct Entry {
    std::string section;
    std::string key;
    std::string value;
};

// Every key line, decoded, in file order. Keys before the first header have section "".
std::vector<Entry> Parse(std::string_view text);

// The value of the first line for `key` in any section named `section`, or nullopt.
std::optional<std::string> Lookup(std::string_view text, std::string_view section,
                                  std::string_view key);

// The text with `key` in `section` set to `value`; every other byte is kept. The line that
// Lookup would find gets the new value and keeps its own spelling and spacing. Otherwise a new
// line, spelled as `key` here, goes after the last key of the first section of that name, or a
// new section spelled as `section` goes at the end.
std::string WithValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);

}  // namespace driftmere::ini
