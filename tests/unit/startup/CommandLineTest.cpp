#include <gtest/gtest.h>

#include "settings/Conversions.h"
#include "startup/CommandLine.h"

namespace driftmere {
namespace {

StartRequest Parse(std::vector<std::string> args, const char* env = nullptr) {
    return ParseStart(args, env);
}

TEST(CommandLine, SaverModeFromAnyArgumentStartingWithSlashS) {
    for (auto args : std::vector<std::vector<std::string>>{
             {"/s"}, {"/S"}, {"  /s  "}, {"/save"}, {}, {"  "}, {"/S", "extra"}}) {
        StartRequest r = Parse(args);
        EXPECT_EQ(r.mode, StartMode::Saver) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(r.hosted);
    }
    EXPECT_EQ(Parse({"/save"}).modeText, "/s");
    EXPECT_EQ(Parse({}).modeText, "");
}

TEST(CommandLine, OtherModesAndUnknownArguments) {
    EXPECT_EQ(Parse({"/c"}).mode, StartMode::Configure);
    EXPECT_EQ(Parse({"/c:1234"}).mode, StartMode::Configure);
    EXPECT_EQ(Parse({"/C"}).mode, StartMode::Configure);
    EXPECT_EQ(Parse({"/a"}).mode, StartMode::Password);
    EXPECT_EQ(Parse({"/x"}).mode, StartMode::None);
    EXPECT_EQ(Parse({"s"}).mode, StartMode::None);
    EXPECT_EQ(Parse({"/"}).mode, StartMode::None);
}

TEST(CommandLine, PreviewHostIsTheLongestNumericTail) {
    StartRequest r = Parse({"/p", "1234"});
    EXPECT_EQ(r.mode, StartMode::Preview);
    EXPECT_EQ(r.previewParent, 1234);
    EXPECT_EQ(Parse({"/p"}).previewParent, 0);
    EXPECT_TRUE(Parse({"/p"}).refusal.empty());
    EXPECT_EQ(Parse({"/P  77 "}).previewParent, 77);
    EXPECT_EQ(Parse({"/p:1234"}).previewParent, 1234);
    EXPECT_EQ(PreviewHandle("/p 1234"), 1234);
    EXPECT_EQ(PreviewHandle("/p1234"), 1234);
    EXPECT_EQ(PreviewHandle("/p -5"), -5);
    EXPECT_EQ(PreviewHandle("/p"), std::nullopt);
    // A number too large for 32 bits names no window.
    EXPECT_EQ(PreviewHandle("/p 99999999999"), std::nullopt);
}

// The tail is found in one pass; it must be exactly the tail the plain rule finds by trying
// every tail from the longest down. Every text of up to five characters from the characters
// that matter is compared (none of them long enough to overflow a double).
TEST(CommandLine, NumericTailIsTheLongestTailThatReadsAsANumber) {
    auto byEveryTail = [](std::string_view text) -> std::string_view {
        for (std::size_t n = text.size(); n >= 1; --n)
            if (ParseNumber(text.substr(text.size() - n))) return text.substr(text.size() - n);
        return {};
    };
    const std::string alphabet = "1.eE+- x";
    int compared = 0;
    for (std::size_t length = 0; length <= 5; ++length) {
        std::vector<std::size_t> digit(length, 0);
        for (;;) {
            std::string text;
            for (std::size_t d : digit) text += alphabet[d];
            ASSERT_EQ(NumericTail(text), byEveryTail(text)) << '"' << text << '"';
            ++compared;
            std::size_t k = 0;
            while (k < length && ++digit[k] == alphabet.size()) digit[k++] = 0;
            if (k == length) break;
        }
    }
    EXPECT_GT(compared, 30000);
    EXPECT_EQ(NumericTail("/p 1.5e+3"), " 1.5e+3");
    EXPECT_EQ(NumericTail(std::string(131000, '9')).size(), 131000u);
}

// Garbage and ids wider than X's 29 bits are refused, wherever they come from, instead of
// becoming 0 (the whole screen) or being cut down to some other program's window.
TEST(CommandLine, WindowIdsNoXWindowCanHaveAreRefused) {
    struct Case {
        std::vector<std::string> args;
        const char* env;
    };
    for (const Case& c : std::vector<Case>{
             {{"--window-id", "0x100200003"}, nullptr},
             {{"--window-id", "0x"}, nullptr},
             {{"--window-id", "-1"}, nullptr},
             {{"--window-id", "99999999999999999999"}, nullptr},
             {{"--window-id", "0"}, nullptr},
             {{"--window-id", "0x20000000"}, nullptr},
             {{"--root", "--window-id"}, nullptr},
             {{"--root"}, "0x"},
             {{"--root"}, "0x100200003"},
             {{"-root"}, "garbage\x1b[2J"},
             {{"/p", "0x"}, nullptr},
             {{"/p", "-1"}, nullptr},
             {{"/p", "99999999999999999999"}, nullptr},
             {{"/p", "536870912"}, nullptr},
             {{"/p", "0"}, nullptr},
             {{"/p", "1e999"}, nullptr},
         }) {
        StartRequest r = Parse(c.args, c.env);
        std::string shown = c.args.back() + (c.env ? std::string(" env ") + c.env : "");
        EXPECT_FALSE(r.refusal.empty()) << shown;
        EXPECT_EQ(r.mode, StartMode::None) << shown;
        EXPECT_EQ(r.refusal.find('\x1b'), std::string::npos) << r.refusal;
    }
    EXPECT_LT(Parse({"/p", std::string(131000, '9')}).refusal.size(), 100u);

    EXPECT_EQ(Parse({"--window-id", "0x1fffffff"}).hostWindow, 0x1fffffffu);
    EXPECT_EQ(Parse({"--window-id", "536870911"}).hostWindow, 536870911u);
    EXPECT_EQ(Parse({"/p", "536870911"}).previewParent, 536870911);
    // The variable is not looked at when an id is given.
    EXPECT_TRUE(Parse({"--root", "--window-id", "0x2a"}, "garbage").refusal.empty());
}

TEST(CommandLine, SingleInstanceRuleAppliesToSlashSOnly) {
    EXPECT_TRUE(EndsForSingleInstance("/s", false, true));
    EXPECT_FALSE(EndsForSingleInstance("/s", true, true));    // the Control Box is open
    EXPECT_FALSE(EndsForSingleInstance("/s", false, false));  // alone
    EXPECT_FALSE(EndsForSingleInstance("", false, true));     // no argument never ends here
    EXPECT_FALSE(EndsForSingleInstance("/c", false, true));
    EXPECT_FALSE(EndsForSingleInstance("/p", false, true));
}

TEST(CommandLine, ScreenSaverHostOptions) {
    StartRequest pane = Parse({"--root", "--window-id", "0x1c00007"}, "0x2a");
    EXPECT_TRUE(pane.hosted);
    EXPECT_EQ(pane.mode, StartMode::Saver);
    EXPECT_EQ(pane.hostWindow, 0x1c00007u);  // the window id wins over the variable
    EXPECT_FALSE(pane.music);

    StartRequest root = Parse({"-root"}, "0x2a");
    EXPECT_TRUE(root.hosted);
    EXPECT_EQ(root.hostWindow, 0x2au);
    EXPECT_TRUE(root.music);

    StartRequest rootDecimal = Parse({"-root"}, "42");
    EXPECT_EQ(rootDecimal.hostWindow, 42u);

    StartRequest wholeScreen = Parse({"-root"});
    EXPECT_TRUE(wholeScreen.hosted);
    EXPECT_EQ(wholeScreen.hostWindow, 0u);

    StartRequest fps = Parse({"/s", "-fps"});
    EXPECT_FALSE(fps.hosted);
    EXPECT_EQ(fps.mode, StartMode::Saver);
    EXPECT_TRUE(fps.showFps);

    EXPECT_EQ(ParseWindowId("0xZZ"), std::nullopt);
    EXPECT_EQ(ParseWindowId("123"), 123u);
}

}  // namespace
}  // namespace driftmere
