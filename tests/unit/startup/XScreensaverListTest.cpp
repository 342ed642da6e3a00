#include <gtest/gtest.h>

#include "startup/XScreensaverList.h"

namespace driftmere {
namespace {

// The shape of the system's app-defaults file: comments, other resources, disabled and GL
// entries, the last entry without a backslash after it.
constexpr std::string_view kAppDefaults =
    "! XScreenSaver defaults\n"
    "*timeout:\t\t0:10:00\n"
    "*programs:\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "-\t\t\t\tnoseguy --root\t\t\t\t    \\n\\\n"
    "\t\t\t\tqix --root\t\t\t\t    \\n\n"
    "\n"
    "*hacks.qix.name:\tQix\n";

constexpr std::string_view kOurs = "\t\t\t\t\"Driftmere\"  driftmere --root\t\t\t\t    \\n\n";

// The system's list as the user's file holds it: the lines of the resource, its name alone
// changed, and `end` after the last entry ("\n" for the list's end, "\\\n" when one follows).
std::string SystemList(std::string_view end) {
    return "programs:\t\t\t\t\t\t\t      \\\n"
           "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
           "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
           "-\t\t\t\tnoseguy --root\t\t\t\t    \\n\\\n"
           "\t\t\t\tqix --root\t\t\t\t    \\n" +
           std::string(end);
}
const std::string kWithOurs = SystemList("\\\n") + std::string(kOurs);

TEST(XScreensaverList, AMissingFileGetsTheSystemsWholeListWithDriftmereLast) {
    const auto system = ProgramsFromDefaults(kAppDefaults);
    EXPECT_EQ(system, SystemList("\n"));
    const ListResult created = WithDriftmere("", system);
    EXPECT_EQ(created.outcome, ListOutcome::Changed);
    EXPECT_EQ(created.text, kWithOurs);

    // No system list to start from: nothing is written rather than a list of Driftmere alone,
    // which would hide every stock mode.
    EXPECT_EQ(WithDriftmere("", std::nullopt).outcome, ListOutcome::NeedsDefaults);
    EXPECT_EQ(ProgramsFromDefaults("*timeout: 0:10:00\n"), std::nullopt);
}

TEST(XScreensaverList, AHandEditedFileKeepsEveryOtherLine) {
    const std::string head = "# XScreenSaver Preferences File\nmode:\t\tone\nselected:\t1\n";
    const std::string tail = "\n! my own note\npointerHysteresis: 10\n";
    const std::string list = "programs:  \\\n  maze -root \\n\\\n  \"Qix\" qix -root \\n\n";
    const ListResult added = WithDriftmere(head + list + tail, std::nullopt);
    ASSERT_EQ(added.outcome, ListOutcome::Changed);
    EXPECT_EQ(added.text, head + "programs:  \\\n  maze -root \\n\\\n  \"Qix\" qix -root \\n\\\n" +
                              std::string(kOurs) + tail);
    // Never twice.
    EXPECT_EQ(WithDriftmere(added.text, std::nullopt).outcome, ListOutcome::AlreadyThere);

    // Other settings but no list: the system's list is added after them.
    const ListResult noList =
        WithDriftmere(head + "lock: False", ProgramsFromDefaults(kAppDefaults));
    EXPECT_EQ(noList.text, head + "lock: False\n\n" + kWithOurs);

    // Lists written by hand: on the setting's own line, without a last "\n", without a line end
    // at the end of the file (an empty one just below).
    const struct {
        std::string_view file, expected;
    } lists[] = {
        {"programs: qix -root\n", "programs: qix -root \\n\\\n"},
        {"programs: qix -root \\n", "programs: qix -root \\n\\\n"},
    };
    for (const auto& c : lists) {
        const std::string text = WithDriftmere(c.file, std::nullopt).text;
        EXPECT_EQ(text.substr(0, c.expected.size()), c.expected) << c.file;
        EXPECT_NE(text.find(kOurs.substr(0, kOurs.size() - 1)), std::string::npos) << c.file;
        EXPECT_EQ(WithDriftmere(text, std::nullopt).outcome, ListOutcome::AlreadyThere) << c.file;
    }
    // xscreensaver-settings ends its list with an empty line: ours goes in before it.
    EXPECT_EQ(WithDriftmere("programs: \\\n maze -root \\n\\\n\nlock: False\n", std::nullopt).text,
              "programs: \\\n maze -root \\n\\\n" +
                  std::string(kOurs).insert(kOurs.size() - 1, "\\") + "\nlock: False\n");
    EXPECT_EQ(WithDriftmere("programs:\nlock: False\n", std::nullopt).text,
              "programs:\\\n" + std::string(kOurs) + "lock: False\n");
    EXPECT_EQ(WithDriftmere("programs: qix -root \\n", std::nullopt).text.back(), 'n');
}

TEST(XScreensaverList, AnyEntryThatRunsDriftmereCountsAsListed) {
    const struct {
        std::string_view entry;
        bool ours;
    } entries[] = {
        {"\"Driftmere\"  driftmere --root", true}, {"- \"Driftmere\" driftmere --root", true},
        {"GL: /usr/bin/driftmere -root", true},    {"-  default-n:  driftmere", true},
        {"driftmere-other --root", false},         {"\"driftmere\" qix --root", false},
        {"\"Driftmere driftmere --root", false},   {"maze --root", false},
    };
    for (const auto& e : entries) EXPECT_EQ(EntryRunsDriftmere(e.entry), e.ours) << e.entry;

    const std::string disabled = "programs: \\\n  -  driftmere -root \\n\\\n  qix -root \\n\n";
    EXPECT_EQ(WithDriftmere(disabled, std::nullopt).outcome, ListOutcome::AlreadyThere);
    // A system list that already has it: the user's file is left alone.
    EXPECT_EQ(WithDriftmere("", kWithOurs).outcome, ListOutcome::AlreadyThere);
}

TEST(XScreensaverList, RemovingTakesOutEveryDriftmereEntryAndMovesTheSelection) {
    // Added and taken out again: the file as it was, to the byte.
    const struct {
        std::string_view file;
    } files[] = {{"mode: one\n"},
                 {"programs: \\\n  maze -root \\n\\\n  qix -root \\n\n\nlock: True\n"},
                 {"programs: \\\n maze -root \\n\\\n\nlock: True\n"},
                 {"lock: True\nprograms: maze -root \\n\\\n  qix -root \\n"}};
    for (const auto& f : files) {
        const std::string added = WithDriftmere(f.file, ProgramsFromDefaults(kAppDefaults)).text;
        const ListResult removed = WithoutDriftmere(added);
        EXPECT_EQ(removed.outcome, ListOutcome::Changed);
        const std::string expected = f.file.find("programs") == std::string::npos
                                         ? std::string(f.file) + "\n" + SystemList("\n")
                                         : std::string(f.file);
        EXPECT_EQ(removed.text, expected) << f.file;
        EXPECT_EQ(WithoutDriftmere(removed.text).outcome, ListOutcome::NotThere);
    }
    EXPECT_EQ(WithoutDriftmere("mode: one\n").outcome, ListOutcome::NotThere);

    // selected counts the entries: the ones after a removed entry move up, Driftmere's own
    // becomes none.
    const std::string list =
        "programs: a \\n\\\n \"Driftmere\" driftmere -root \\n\\\n b \\n\\\n - driftmere\\n c\n";
    const struct {
        std::string_view selected, now;
    } moves[] = {{"0", "0"}, {"1", "-1"}, {"2", "1"}, {"4", "2"}, {"-1", "-1"}, {"x", "x"}};
    for (const auto& m : moves) {
        const std::string text =
            "selected:\t" + std::string(m.selected) + "\n" + list + "lock: True\n";
        EXPECT_EQ(WithoutDriftmere(text).text, "selected:\t" + std::string(m.now) +
                                                   "\nprograms:\t\t\t\t\t\t\t\t      \\\n"
                                                   "\t\t\t\ta\t\t\t\t    \\n\\\n"
                                                   "\t\t\t\tb\t\t\t\t    \\n\\\n"
                                                   "\t\t\t\tc\t\t\t\t    \\n\n"
                                                   "lock: True\n")
            << m.selected;
    }
    // A list of Driftmere alone (added by hand) goes as a whole: an earlier list in the file,
    // which then counts again, loses its entry too; with none, the system's list applies again.
    EXPECT_EQ(WithoutDriftmere("programs: a \\n driftmere\nprograms: driftmere\n").text,
              "programs:\t\t\t\t\t\t\t\t      \\\n\t\t\t\ta\t\t\t\t    \\n\n");
    EXPECT_EQ(WithoutDriftmere("lock: True\nprograms: driftmere -root \\n\nmode: one\n").text,
              "lock: True\nmode: one\n");
}

TEST(XScreensaverList, TheOptionsStandAlone) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(ListEditFromArgs({"--add-to-xscreensaver"})->edit, ListEdit::Add);
    EXPECT_EQ(ListEditFromArgs({"-remove-from-xscreensaver"})->edit, ListEdit::Remove);
    EXPECT_TRUE(ListEditFromArgs({"--add-to-xscreensaver"})->refusal.empty());
    for (const Args& args :
         {Args{"--add-to-xscreensaver", "/s"}, Args{"--root", "--remove-from-xscreensaver"},
          Args{"--add-to-xscreensaver", "--add-to-xscreensaver"}})
        EXPECT_FALSE(ListEditFromArgs(args)->refusal.empty()) << args[0];
    for (const Args& args : {Args{}, Args{"/s"}, Args{"add-to-xscreensaver"}, Args{"--root"}})
        EXPECT_EQ(ListEditFromArgs(args), std::nullopt);
}

}  // namespace
}  // namespace driftmere
