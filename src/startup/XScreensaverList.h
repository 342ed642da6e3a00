#pragma once
// Driftmere's entry in xscreensaver's list of display modes, the `programs:` setting of the
// user's ~/.xscreensaver. The file is X resource text: a setting is "name: value", a line that
// ends in a backslash goes on on the next line, and the programs value holds one entry per
// "\n" (written as a backslash and an n). An entry is [-] [visual:] ["Label"] command, a
// leading dash meaning "listed but not picked at random".
//
// xscreensaver takes a programs list in the user's file instead of the system's, so a file
// that has none gets the system's whole list (its app-defaults file, `*programs:`) with
// Driftmere added at its end, and every stock mode stays listed. Everything outside the
// programs setting is kept byte for byte. Pure text in, text out; the file itself is read and
// replaced by the Linux side.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace driftmere {

// The entry added: the label xscreensaver shows, and the program found on its PATH.
inline constexpr std::string_view kXScreensaverEntry = "\"Driftmere\"  driftmere --root";

enum class ListEdit { Add, Remove };

// The two command-line options that edit the list: "--add-to-xscreensaver" and
// "--remove-from-xscreensaver" (one dash or two, as every xscreensaver option). Nullopt when
// the arguments name neither; `refusal` is set when one is named among other arguments.
struct ListEditRequest {
    ListEdit edit = ListEdit::Add;
    std::string refusal;
};
std::optional<ListEditRequest> ListEditFromArgs(const std::vector<std::string>& args);

// The system's list from the text of xscreensaver's app-defaults file, as the lines of a
// user file's setting: "programs:" and every continuation line after it as the system writes
// them, each line ending in '\n'. Nullopt when the text has no programs resource.
std::optional<std::string> ProgramsFromDefaults(std::string_view appDefaults);

enum class ListOutcome {
    Changed,        // `text` is the new file
    AlreadyThere,   // Add: some entry already runs driftmere (enabled or not); nothing to do
    NotThere,       // Remove: no entry runs driftmere; nothing to do
    NeedsDefaults,  // Add: the file has no programs list and no system list was given
};

struct ListResult {
    ListOutcome outcome = ListOutcome::NotThere;
    std::string text;
};

// `userFile` is the file's text (empty for a missing file); `systemPrograms` is what
// ProgramsFromDefaults gave, or nullopt when the system's list could not be read.
ListResult WithDriftmere(std::string_view userFile,
                         const std::optional<std::string>& systemPrograms);

// Every entry that runs driftmere taken out. The rest of the list is written again in
// xscreensaver's own layout, one entry a line; `selected:` (the mode chosen by its place in
// the list) is moved with the entries after a removed one, and set to -1 (none) when it was
// Driftmere itself.
ListResult WithoutDriftmere(std::string_view userFile);

// True when the entry's command runs a program named driftmere (any folder).
bool EntryRunsDriftmere(std::string_view entry);

}  // namespace driftmere
