#include <gtest/gtest.h>

#include <functional>

#include "settings/Conversions.h"
#include "startup/CommandLine.h"

namespace driftmere {
namespace {

TEST(CommandLine, ArgumentsChooseTheMode) {
    const struct {
        std::vector<std::string> args;
        StartMode mode;
        std::string modeText;
        std::int32_t previewParent;
    } cases[] = {// clang-format off
        {{"/s"}, StartMode::Saver, "/s", 0}, {{"  /S  "}, StartMode::Saver, "/s", 0},
        {{"/S", "extra"}, StartMode::Saver, "/s", 0}, {{}, StartMode::Saver, "", 0},
        {{"/c:1234"}, StartMode::Configure, "/c", 0}, {{"/a"}, StartMode::Password, "/a", 0},
        {{"/x"}, StartMode::None, "/x", 0}, {{"s"}, StartMode::None, "s", 0},
        {{"/p", "1234"}, StartMode::Preview, "/p", 1234},
        {{"/P  77 "}, StartMode::Preview, "/p", 77}};
    // clang-format on
    for (const auto& c : cases) {
        const StartRequest r = ParseStart(c.args, nullptr);
        EXPECT_EQ(std::tuple(r.mode, r.modeText, r.previewParent, r.hosted),
                  std::tuple(c.mode, c.modeText, c.previewParent, false))
            << r.commandLine;
    }
    // The preview host is the longest numeric tail; one too large for 32 bits names no window.
    EXPECT_EQ(PreviewHandle("/p1234"), 1234);
    EXPECT_EQ(PreviewHandle("/p -5"), -5);
    EXPECT_EQ(PreviewHandle("/p"), std::nullopt);
    EXPECT_EQ(PreviewHandle("/p 99999999999"), std::nullopt);
}

// The one-pass tail equals the longest tail that parses, for all texts of up to 5 key characters.
TEST(CommandLine, NumericTailIsTheLongestTailThatReadsAsANumber) {
    auto byEveryTail = [](std::string_view text) -> std::string_view {
        for (std::size_t n = text.size(); n >= 1; --n)
            if (ParseNumber(text.substr(text.size() - n))) return text.substr(text.size() - n);
        return {};
    };
    const std::string alphabet = "1.eE+- x";
    int compared = 0;
    std::function<void(const std::string&)> everyText = [&](const std::string& text) {
        ASSERT_EQ(NumericTail(text), byEveryTail(text)) << '"' << text << '"';
        ++compared;
        if (text.size() < 5)
            for (char c : alphabet) everyText(text + c);
    };
    everyText("");
    EXPECT_EQ(compared, 37449);  // 1 + 8 + ... + 8^5
    EXPECT_EQ(NumericTail("/p 1.5e+3"), " 1.5e+3");
    EXPECT_EQ(NumericTail(std::string(131000, '9')).size(), 131000u);
}

// Garbage and ids wider than X's 29 bits are refused, not read as 0 (the whole screen) or cut down.
TEST(CommandLine, WindowIdsNoXWindowCanHaveAreRefused) {
    // clang-format off
    for (const auto& [args, env] : std::vector<std::pair<std::vector<std::string>, const char*>>{
             {{"--window-id", "0x100200003"}, nullptr}, {{"--window-id", "0"}, nullptr},
             {{"--window-id", "99999999999999999999"}, nullptr}, {{"--root"}, "0x100200003"},
             {{"--window-id", "0x20000000"}, nullptr}, {{"-root"}, "garbage\x1b[2J"},
             {{"--root", "--window-id"}, nullptr}, {{"/p", "abc"}, nullptr},
             {{"/p", "12abc"}, nullptr}, {{"/p\x1b[2J"}, nullptr}}) {
        // clang-format on
        const StartRequest r = ParseStart(args, env);
        EXPECT_FALSE(r.refusal.empty()) << args.back() << " env " << (env ? env : "");
        EXPECT_EQ(r.mode, StartMode::None) << args.back();
        EXPECT_EQ(r.refusal.find('\x1b'), std::string::npos) << r.refusal;
    }
    // A number that no window can have is no window, like one that has gone: the preview ends
    // quietly instead of being refused.
    for (const char* number : {"0", "-1", "99999999999999999999", "536870912", "1e999"}) {
        const StartRequest r = ParseStart({"/p", number}, nullptr);
        EXPECT_EQ(std::tuple(r.mode, r.previewParent, r.refusal),
                  std::tuple(StartMode::Preview, 0, std::string()))
            << number;
    }
    EXPECT_LT(ParseStart({"/p", std::string(131000, 'x')}, nullptr).refusal.size(), 100u);
    EXPECT_EQ(ParseStart({"--window-id", "0x1fffffff"}, nullptr).hostWindow, 0x1fffffffu);
    EXPECT_EQ(ParseStart({"--window-id", "536870911"}, nullptr).hostWindow, 536870911u);
    EXPECT_EQ(ParseStart({"/p", "536870911"}, nullptr).previewParent, 536870911);
    // The variable is not looked at when an id is given.
    EXPECT_TRUE(ParseStart({"--root", "--window-id", "0x2a"}, "garbage").refusal.empty());
}

// Only /s ends for another saver, and not while the Control Box is open; the windows' titles are
// read only when the answer decides.
TEST(CommandLine, SingleInstanceRuleAppliesToSlashSOnly) {
    // clang-format off
    for (auto [mode, boxOpen, another, ends, asked] : {std::tuple{"/s", false, true, true, true},
             {"/s", true, true, false, true}, {"/s", false, false, false, false},
             {"/s", true, false, false, false}, {"", false, true, false, false},
             {"/c", false, true, false, false}, {"/p", false, true, false, false}}) {
        // clang-format on
        int lookups = 0;
        const bool open = boxOpen;
        EXPECT_EQ(EndsForSingleInstance(mode, another,
                                        [&] {
                                            ++lookups;
                                            return open;
                                        }),
                  ends)
            << mode << boxOpen << another;
        EXPECT_EQ(lookups, asked ? 1 : 0) << mode << boxOpen << another;
    }
}

// What a later /s gives way to: savers only, never a preview or the Control Box.
TEST(CommandLine, OnlySaversCountAsRunning) {
    const struct {
        std::vector<std::string> args;
        const char* env;
        bool coversAMonitor, counts;
    } cases[] = {{{"/s"}, nullptr, false, true},
                 {{}, nullptr, false, true},
                 {{"--root"}, nullptr, false, true},  // the whole screen
                 {{"--root"}, "0x2a", true, true},
                 {{"--root"}, "0x2a", false, false},  // a preview pane that sets the variable
                 {{"--root", "--window-id", "0x2a"}, nullptr, false, false},
                 {{"--window-id", "0x2a"}, nullptr, true, true},
                 {{"/p", "1234"}, nullptr, true, false},
                 {{"/c"}, nullptr, false, false},
                 {{"/a"}, nullptr, false, false},
                 {{"--help"}, nullptr, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(CountsAsRunningSaver(ParseStart(c.args, c.env), c.coversAMonitor), c.counts)
            << (c.args.empty() ? "" : c.args[0]) << ' ' << c.coversAMonitor;
    }
}

// --help and -h win over everything else on the line; the text names every option there is,
// and fits a terminal of 80 columns.
TEST(CommandLine, HelpAndVersion) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"-help"}, {"/s", "--help"}, {"--root", "-h"}})
        EXPECT_EQ(ParseStart(args, nullptr).mode, StartMode::Help) << args.back();
    EXPECT_EQ(ParseStart({"--version"}, nullptr).mode, StartMode::Version);
    const std::string help = HelpText();
    for (const char* option :
         {"/s", "/c", "/p WINDOW", "/a", "--root", "--window-id", "--fps", "--add-to-xscreensaver",
          "--remove-from-xscreensaver", "--help", "-h", "--version", "settings.ini", "N next song"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    std::size_t lineStart = 0;
    for (std::size_t end; (end = help.find('\n', lineStart)) != std::string::npos;
         lineStart = end + 1)
        EXPECT_LE(end - lineStart, 80u) << help.substr(lineStart, end - lineStart);
    EXPECT_EQ(VersionText().rfind("Driftmere ", 0), 0u);
}

// Names from outside are shown whole where they are printable in any language, with every byte
// a terminal could act on as '?'.
TEST(CommandLine, QuotedNamesCarryNoTerminalControls) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/m\xc3\xbcller/.config", "\"/home/m\xc3\xbcller/.config\""},
        {"a\x1b[2Jb\x07\x7f", "\"a?[2Jb??\""},
        {"csi \xc2\x9b"
         "31m",
         "\"csi ??31m\""},  // U+009B, the one-character CSI
        {"raw \x9b"
         "31m",
         "\"raw ?31m\""},
        {"overlong \xc0\xaf", "\"overlong ??\""},
        {"cut \xe2\x82", "\"cut ??\""},
        {"line\nbreak", "\"line?break\""}};
    for (const auto& [raw, shown] : cases) EXPECT_EQ(QuotedPath(raw), shown) << shown;
    // Cut at a character, never inside one.
    EXPECT_EQ(QuotedForMessage("\xc3\xbc\xc3\xbc\xc3\xbc", 2), "\"\xc3\xbc\xc3\xbc...\"");
    EXPECT_EQ(QuotedForMessage(std::string(41, 'x')).size(), 40u + 5u);
}

TEST(CommandLine, ScreenSaverHostOptions) {
    const struct {
        std::vector<std::string> args;
        const char* env;
        bool hosted, music, fps;
        std::uint64_t window;
    } cases[] = {{{"--root", "--window-id", "0x1c00007"}, "0x2a", true, true, false, 0x1c00007},
                 {{"-root"}, "0x2a", true, true, false, 0x2a},
                 {{"-root"}, "42", true, true, false, 42},
                 {{"-root"}, nullptr, true, true, false, 0},  // the whole screen
                 {{"/s", "-fps"}, nullptr, false, true, true, 0}};
    for (const auto& c : cases) {
        const StartRequest r = ParseStart(c.args, c.env);
        EXPECT_EQ(std::tuple(r.mode, r.hosted, r.music, r.showFps, r.hostWindow),
                  std::tuple(StartMode::Saver, c.hosted, c.music, c.fps, c.window))
            << c.args[0];
    }
    EXPECT_EQ(ParseWindowId("0xZZ"), std::nullopt);
}

}  // namespace
}  // namespace driftmere
