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
             {{"--root", "--window-id"}, nullptr},
             {{"/p", "-1"}, nullptr}, {{"/p", "99999999999999999999"}, nullptr},
             {{"/p", "536870912"}, nullptr}, {{"/p", "1e999"}, nullptr}}) {
        // clang-format on
        const StartRequest r = ParseStart(args, env);
        EXPECT_FALSE(r.refusal.empty()) << args.back() << " env " << (env ? env : "");
        EXPECT_EQ(r.mode, StartMode::None) << args.back();
        EXPECT_EQ(r.refusal.find('\x1b'), std::string::npos) << r.refusal;
    }
    EXPECT_LT(ParseStart({"/p", std::string(131000, '9')}, nullptr).refusal.size(), 100u);
    EXPECT_EQ(ParseStart({"--window-id", "0x1fffffff"}, nullptr).hostWindow, 0x1fffffffu);
    EXPECT_EQ(ParseStart({"--window-id", "536870911"}, nullptr).hostWindow, 536870911u);
    EXPECT_EQ(ParseStart({"/p", "536870911"}, nullptr).previewParent, 536870911);
    // The variable is not looked at when an id is given.
    EXPECT_TRUE(ParseStart({"--root", "--window-id", "0x2a"}, "garbage").refusal.empty());
}

// Only /s ends for another copy, and not while the Control Box is open.
TEST(CommandLine, SingleInstanceRuleAppliesToSlashSOnly) {
    // clang-format off
    for (auto [mode, boxOpen, another, ends] : {std::tuple{"/s", false, true, true},
             {"/s", true, true, false}, {"/s", false, false, false}, {"", false, true, false},
             {"/c", false, true, false}, {"/p", false, true, false}})
        // clang-format on
        EXPECT_EQ(EndsForSingleInstance(mode, boxOpen, another), ends)
            << mode << boxOpen << another;
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
