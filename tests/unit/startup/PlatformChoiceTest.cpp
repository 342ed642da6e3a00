#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "startup/PlatformChoice.h"

namespace driftmere {
namespace {

TEST(PlatformChoice, SessionVariablesChooseWhereWindowsGo) {
    constexpr auto X = Platform::X11, W = Platform::Wayland, N = Platform::None;
    const struct {
        const char* chosen;
        bool waylandReachable;
        const char* display;
        bool qtOfItsOwn, drawsIntoXWindow;
        Platform platform;
        const char* problemHas;  // "" when there is no problem
    } cases[] = {
        // clang-format off
        {"", true, ":0", false, false, W, ""},  // GNOME and KDE set both
        {"", false, ":0", false, false, X, ""},  // a dead compositor leaves X11 as it was
        {"x11", true, ":0", false, false, X, ""},
        {"wayland", true, "", false, false, W, ""},
        {"", false, "", true, false, X, ""},  // QT_QPA_PLATFORM=offscreen needs no display
        {"", true, ":0", false, true, X, ""},  // a preview in a host's X window
        {"", true, "", false, true, N, "another program's X11 window"},
        {"wayland", true, ":0", false, true, N, "DRIFTMERE_PLATFORM is wayland"},
        {"wayland", false, ":0", false, false, N, "\"wayland-1\" names no compositor"},
        {"x11", true, "", false, false, N, "DISPLAY is not set"},
        {"", false, "", false, false, N, "DISPLAY is not set, and WAYLAND_DISPLAY \"wayland-1\""},
        {"X11", true, ":0", false, false, N, "DRIFTMERE_PLATFORM is \"X11\""},
        {"bogus\x1b[2J", true, ":0", false, false, N, "\"bogus?[2J\"; it may be x11 or wayland"}};
    // clang-format on
    for (const auto& c : cases) {
        const PlatformChoice r = ChoosePlatform({.chosen = c.chosen,
                                                 .waylandDisplay = "wayland-1",
                                                 .waylandReachable = c.waylandReachable,
                                                 .display = c.display,
                                                 .qtPlatformOfItsOwn = c.qtOfItsOwn,
                                                 .drawsIntoXWindow = c.drawsIntoXWindow});
        EXPECT_EQ(r.platform, c.platform) << c.chosen << ' ' << c.display;
        EXPECT_NE(r.problem.find(c.problemHas), std::string::npos) << r.problem;
        EXPECT_EQ(r.problem.empty(), !*c.problemHas) << r.problem;
        EXPECT_EQ(r.badSetting, r.problem.find("it may be") != std::string::npos);
    }
}

// Only a socket that a program listens on is a compositor; the probe never waits for one.
TEST(PlatformChoice, OnlyAListeningSocketIsAReachableCompositor) {
    char dir[] = "/tmp/dm-platform.XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string d = dir;
    auto bound = [&](const std::string& name, bool listening) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        (d + '/' + name).copy(a.sun_path, sizeof a.sun_path - 1);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        if (listening) listen(fd, 0);  // a queue of one: the probe must not block when it fills
        return fd;
    };
    const int live = bound("wayland-0", true);
    close(bound("wayland-stale", false));
    std::ofstream(d + "/wayland-file") << "x";
    const struct {
        std::string name;
        const char* runtimeDir;
        bool reachable;
    } cases[] = {{"wayland-0", dir, true},           {d + "/wayland-0", nullptr, true},
                 {"wayland-0", "relative", false},   {"wayland-0", nullptr, false},
                 {"wayland-stale", dir, false},      {"wayland-file", dir, false},
                 {"wayland-none", dir, false},       {"", dir, false},
                 {std::string(200, 'w'), dir, false}};
    for (int round = 0; round < 3; ++round)  // later rounds meet a full queue
        for (const auto& c : cases)
            EXPECT_EQ(WaylandSocketReachable(c.name.c_str(), c.runtimeDir), c.reachable)
                << c.name.substr(0, 40) << " in " << (c.runtimeDir ? c.runtimeDir : "(unset)");
    close(live);
    EXPECT_FALSE(WaylandSocketReachable("wayland-0", dir));  // its compositor has gone
    std::system(("rm -rf " + d).c_str());
}

}  // namespace
}  // namespace driftmere
