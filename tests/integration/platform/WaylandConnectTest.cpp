#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/wayland/WaylandClient.h"

namespace driftmere::wayland {
namespace {

struct NoEvents final : ClientEvents {
    int raised = 0;
    void SurfaceReady(OutputId, int, int, int) override { ++raised; }
    void SurfaceGone(OutputId) override { ++raised; }
    void FrameWanted(OutputId) override { ++raised; }
    void KeyDown(std::int16_t) override { ++raised; }
    void Click() override { ++raised; }
    void PointerMoved() override { ++raised; }
    void Disconnected(const std::string&) override { ++raised; }
};

int ListeningSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(fd, 4), 0);
    return fd;
}

// Whatever WAYLAND_DISPLAY names, Connect ends with a client or with one line saying why, and
// raises nothing: no compositor named, nothing there, not a socket, a peer that hangs up at
// once, one that takes the connection and never answers; and an inherited WAYLAND_SOCKET that is
// some other file is neither used nor closed.
TEST(WaylandConnect, RefusesEveryPlaceWithoutACompositorInOneLine) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + '/';
    std::ofstream(root + "plain") << "not a socket";
    const int silent = ListeningSocket(root + "silent");
    const int hangsUp = ListeningSocket(root + "hangs-up");
    std::thread closer([&] { ::close(::accept(hangsUp, nullptr, nullptr)); });

    struct Case {
        const char* display;  // null: unset
        const char* saying;
        bool inheritsFile;  // WAYLAND_SOCKET names an open regular file
    };
    const Case cases[] = {
        {nullptr, "WAYLAND_DISPLAY is not set", false},
        {"", "WAYLAND_DISPLAY is not set", false},
        {"missing", "no Wayland compositor at", false},
        {"plain", "no Wayland compositor at", false},
        {"hangs-up", "broke the connection", false},
        {"silent", "did not answer", false},
        {"missing", "no Wayland compositor at", true},
    };
    const char* saved = std::getenv("WAYLAND_DISPLAY");
    const std::string previous = saved != nullptr ? saved : "";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.display != nullptr ? c.display : "(unset)");
        if (c.display == nullptr) {
            ::unsetenv("WAYLAND_DISPLAY");
        } else {
            const std::string path = *c.display != '\0' ? root + c.display : "";
            ::setenv("WAYLAND_DISPLAY", path.c_str(), 1);
        }
        const int file = ::open((root + "plain").c_str(), O_RDONLY | O_CLOEXEC);
        if (c.inheritsFile) ::setenv("WAYLAND_SOCKET", std::to_string(file).c_str(), 1);
        NoEvents events;
        std::string problem;
        EXPECT_EQ(WaylandClient::Connect(events, &problem), nullptr);
        EXPECT_NE(problem.find(c.saying), std::string::npos) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos);
        EXPECT_EQ(events.raised, 0);
        EXPECT_EQ(::close(file), 0) << "the inherited file was closed";
        ::unsetenv("WAYLAND_SOCKET");
    }
    if (saved != nullptr) ::setenv("WAYLAND_DISPLAY", previous.c_str(), 1);
    closer.join();
    ::close(silent);
    ::close(hangsUp);
}

}  // namespace
}  // namespace driftmere::wayland
