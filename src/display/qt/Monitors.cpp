#include "display/qt/Monitors.h"

#include <QGuiApplication>

#include "platform/x11/XineramaHeads.h"

namespace driftmere {

namespace {

// Positions and sizes on an X server are 16 bits each, so four of them fit one id exactly.
MonitorArea Monitor(const QRect& r) {
    const auto field = [](int v) { return static_cast<std::uint64_t>(v) & 0xffff; };
    const std::uint64_t id =
        field(r.x()) << 48 | field(r.y()) << 32 | field(r.width()) << 16 | field(r.height());
    return {static_cast<std::uintptr_t>(id), r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

std::vector<MonitorArea> CurrentMonitors() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    bool scaled = false;
    for (QScreen* screen : screens) scaled = scaled || screen->devicePixelRatio() != 1.0;
    std::vector<MonitorArea> monitors;
    if (!scaled && QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        for (const QRect& head : XineramaHeads(x11 ? x11->connection() : nullptr))
            monitors.push_back(Monitor(head));
    }
    if (!monitors.empty()) return monitors;
    for (QScreen* screen : screens) monitors.push_back(Monitor(screen->geometry()));
    return monitors;
}

QScreen* ScreenFor(const QRect& area) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(area.center())) return screen;
    }
    return QGuiApplication::primaryScreen();
}

}  // namespace driftmere
