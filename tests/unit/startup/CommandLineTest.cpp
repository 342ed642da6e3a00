#include <gtest/gtest.h>

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
    EXPECT_EQ(Parse({"/P  77 "}).previewParent, 77);
    EXPECT_EQ(PreviewHandle("/p 1234"), 1234);
    EXPECT_EQ(PreviewHandle("/p1234"), 1234);
    EXPECT_EQ(PreviewHandle("/p -5"), -5);
    EXPECT_EQ(PreviewHandle("/p"), std::nullopt);
    // A number too large for 32 bits names no window.
    EXPECT_EQ(PreviewHandle("/p 99999999999"), std::nullopt);
}

TEST(CommandLine, SingleInstanceRuleAppliesToSlashSOnly) {
    EXPECT_TRUE(EndsForSingleInstance("/s", false, true));
    EXPECT_FALSE(EndsForSingleInstance("/s", true, true));    // the Control Box is open
    EXPECT_FALSE(EndsForSingleInstance("/s", false, false));  // alone
    EXPECT_FALSE(EndsForSingleInstance("", false, true));     // no argument never ends here
    EXPECT_FALSE(EndsForSingleInstance("/c", false, true));
    EXPECT_FALSE(EndsForSingleInstance("/p", false, true));
}

TEST(CommandLine, PowerDownSwallowedOnlyWithPwrSave) {
    EXPECT_TRUE(SwallowsPowerDown(1));
    EXPECT_TRUE(SwallowsPowerDown(-1));
    EXPECT_FALSE(SwallowsPowerDown(0));
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
