#include <gtest/gtest.h>

#include "startup/CommandLine.h"

namespace driftmere {
namespace {

TEST(CommandLine, ArgumentsChooseTheMode) {
    const struct {
        std::vector<std::string> args;
        StartMode mode;
        std::string modeText;
        std::int32_t previewParent;
    } cases[] = {
        {{"/s"}, StartMode::Saver, "/s", 0},
        {{"  /S  "}, StartMode::Saver, "/s", 0},
        {{"/save"}, StartMode::Saver, "/s", 0},
        {{"/S", "extra"}, StartMode::Saver, "/s", 0},
        {{}, StartMode::Saver, "", 0},
        {{"  "}, StartMode::Saver, "", 0},
        {{"/c:1234"}, StartMode::Configure, "/c", 0},
        {{"/a"}, StartMode::Password, "/a", 0},
        {{"/x"}, StartMode::None, "/x", 0},
        {{"s"}, StartMode::None, "s", 0},
        {{"/p", "1234"}, StartMode::Preview, "/p", 1234},
        {{"/p"}, StartMode::Preview, "/p", 0},
        {{"/P  77 "}, StartMode::Preview, "/p", 77},
    };
    for (const auto& c : cases) {
        const StartRequest r = ParseStart(c.args, nullptr);
        EXPECT_EQ(r.mode, c.mode) << r.commandLine;
        EXPECT_EQ(r.modeText, c.modeText) << r.commandLine;
        EXPECT_EQ(r.previewParent, c.previewParent) << r.commandLine;
        EXPECT_FALSE(r.hosted);
    }
    // The preview host is the longest numeric tail; one too large for 32 bits names no window.
    EXPECT_EQ(PreviewHandle("/p1234"), 1234);
    EXPECT_EQ(PreviewHandle("/p -5"), -5);
    EXPECT_EQ(PreviewHandle("/p"), std::nullopt);
    EXPECT_EQ(PreviewHandle("/p 99999999999"), std::nullopt);
}

TEST(CommandLine, SingleInstanceRuleAppliesToSlashSWithTheControlBoxClosedOnly) {
    EXPECT_TRUE(EndsForSingleInstance("/s", false, true));
    EXPECT_FALSE(EndsForSingleInstance("/s", true, true));    // the Control Box is open
    EXPECT_FALSE(EndsForSingleInstance("/s", false, false));  // alone
    EXPECT_FALSE(EndsForSingleInstance("", false, true));
    EXPECT_FALSE(EndsForSingleInstance("/c", false, true));
    EXPECT_TRUE(SwallowsPowerDown(-1));
    EXPECT_FALSE(SwallowsPowerDown(0));
}

TEST(CommandLine, ScreenSaverHostOptions) {
    const struct {
        std::vector<std::string> args;
        const char* env;
        bool hosted, music, fps;
        std::uint64_t window;
    } cases[] = {
        {{"--root", "--window-id", "0x1c00007"}, "0x2a", true, false, false, 0x1c00007},
        {{"-root"}, "0x2a", true, true, false, 0x2a},
        {{"-root"}, "42", true, true, false, 42},
        {{"-root"}, nullptr, true, true, false, 0},  // the whole screen
        {{"/s", "-fps"}, nullptr, false, true, true, 0},
    };
    for (const auto& c : cases) {
        const StartRequest r = ParseStart(c.args, c.env);
        EXPECT_EQ(r.mode, StartMode::Saver) << c.args[0];
        EXPECT_EQ(r.hosted, c.hosted) << c.args[0];
        EXPECT_EQ(r.music, c.music) << c.args[0];
        EXPECT_EQ(r.showFps, c.fps) << c.args[0];
        EXPECT_EQ(r.hostWindow, c.window) << c.args[0];
    }
    EXPECT_EQ(ParseWindowId("0xZZ"), std::nullopt);
}

}  // namespace
}  // namespace driftmere
