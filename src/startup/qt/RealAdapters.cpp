#include "startup/qt/RealAdapters.h"

#include <QGuiApplication>
#include <cstdlib>

#include "display/MonitorWindows.h"
#include "display/qt/Monitors.h"
#include "music/SilentSound.h"
#include "music/TokenSound.h"
#include "music/fluidsynth/FluidSynthSound.h"
#include "platform/QuotedForMessage.h"
#include "platform/wayland/WaylandIdleSource.h"
#include "platform/x11/PowerInhibit.h"
#include "platform/x11/X11Windows.h"
#include "platform/x11/XServerSaver.h"
#include "platform/x11/XcbQueries.h"
#include "setup/ControlBoxTitle.h"
#include "startup/qt/DesktopInhibit.h"
#include "startup/qt/MusicLock.h"
#include "startup/qt/MutterIdleSource.h"

namespace driftmere {

std::string DisplayProblem() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform && std::string(platform) != "xcb") return {};
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return "no display to show a window on (neither DISPLAY nor WAYLAND_DISPLAY names one)";
    if (!X11DisplayReachable())
        return "cannot open the X display " + QuotedForMessage(display) + " (DISPLAY)";
    return {};
}

// A host's window that holds a whole monitor is a saver's screen; one smaller than its screen is
// a settings program's preview pane, whichever program shows it and however it names the window.
bool CoversAMonitor(WId window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const auto area =
        XcbWindowOnScreen(x11 ? x11->connection() : nullptr, static_cast<xcb_window_t>(window));
    return area && CoversAWholeMonitor({0, area->x(), area->y(), area->width(), area->height()},
                                       CurrentMonitors());
}

std::optional<QSize> ForeignWindowSize(WId window) {
    const auto size = X11WindowSize(static_cast<std::uint64_t>(static_cast<std::uint32_t>(window)));
    if (!size) return std::nullopt;
    return QSize(size->width, size->height);
}

bool ControlBoxOpen() { return X11TopLevelTitled(std::string(kControlBoxTitle)); }

// A host starts one copy per monitor, and a user may start more: of all the copies that may play
// music, only the one holding the user's music lock makes a synthesiser and is heard.
std::unique_ptr<SoundControl> MakeSound(bool music) {
    if (!music) return std::make_unique<SilentSound>();
    return std::make_unique<TokenSound>(std::make_unique<MusicLock>(),
                                        [] { return std::make_unique<FluidSynthSound>(); });
}

void EndServerBlank() { EndXServerSaver(); }

std::shared_ptr<void> KeepScreenOn(void (*warn)(const std::string&)) {
    if (auto desktop = std::make_shared<DesktopInhibit>(); desktop->Active()) return desktop;
    return std::make_shared<PowerInhibit>(warn);
}

std::unique_ptr<SessionIdleSource> OpenSessionIdleSource(QDBusConnection bus,
                                                         std::string& problem) {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    SessionOffers offers;
    offers.waylandSession = set("WAYLAND_DISPLAY");
    offers.xDisplay = set("DISPLAY");
    auto wayland = std::make_unique<wayland::WaylandIdleSource>();
    if (offers.waylandSession) {
        if (!wayland->Connect(problem)) return nullptr;
        offers.extIdleNotify = wayland->protocol() == wayland::IdleProtocol::ExtIdleNotify;
        offers.kdeIdle = wayland->protocol() == wayland::IdleProtocol::KdeIdle;
        if (!offers.extIdleNotify && !offers.kdeIdle)
            offers.mutterIdleMonitor = MutterIdleSource::Offered(bus);
    }
    switch (ChooseIdleSource(offers)) {
        case IdleSourceKind::XServer:
            return X11SessionIdle(problem);
        case IdleSourceKind::ExtIdleNotify:
        case IdleSourceKind::KdeIdle:
            return WaylandSessionIdle(std::move(wayland));
        case IdleSourceKind::MutterIdleMonitor:
            return MutterSessionIdle(bus, problem);
        case IdleSourceKind::None:
            break;
    }
    problem = NoIdleSourceReason(offers);
    return nullptr;
}

std::shared_ptr<void> KeepScreenOnWithoutX(void (*warn)(const std::string&)) {
    auto desktop = std::make_shared<DesktopInhibit>();
    if (!desktop->Active() && warn)
        warn(
            "driftmere: cannot keep the monitor on (no idle inhibitor in the compositor and no "
            "screen-saver service)");
    return desktop;
}

}  // namespace driftmere
