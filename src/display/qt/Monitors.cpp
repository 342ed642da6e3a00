#include "display/qt/Monitors.h"

// Xlib's headers define names (None, Bool, Status ...) that clash with Qt's: they come last.
// clang-format off
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>
// clang-format on

namespace driftmere {

namespace {

// Positions and sizes on an X server are 16 bits each, so four of them fit one id exactly.
MonitorArea Monitor(const QRect& r) {
    const auto field = [](int v) { return static_cast<std::uint64_t>(v) & 0xffff; };
    const std::uint64_t id =
        field(r.x()) << 48 | field(r.y()) << 32 | field(r.width()) << 16 | field(r.height());
    return {static_cast<std::uintptr_t>(id), r.x(), r.y(), r.width(), r.height()};
}

std::vector<QRect> XineramaHeads() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (display == nullptr) return {};
    int event = 0, error = 0;
    if (!XineramaQueryExtension(display, &event, &error) || !XineramaIsActive(display)) return {};
    int count = 0;
    XineramaScreenInfo* heads = XineramaQueryScreens(display, &count);
    std::vector<QRect> out;
    for (int i = 0; heads != nullptr && i < count; ++i) {
        out.emplace_back(heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height);
    }
    if (heads != nullptr) XFree(heads);
    return out;
}

}  // namespace

std::vector<MonitorArea> CurrentMonitors() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    bool scaled = false;
    for (QScreen* screen : screens) scaled = scaled || screen->devicePixelRatio() != 1.0;
    std::vector<MonitorArea> monitors;
    if (!scaled && QGuiApplication::platformName() == QLatin1String("xcb")) {
        for (const QRect& head : XineramaHeads()) monitors.push_back(Monitor(head));
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
