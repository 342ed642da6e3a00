#include "display/qt/Monitors.h"

#include <xcb/xinerama.h>

#include <QGuiApplication>

#include "display/qt/XcbQueries.h"

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
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr) return {};
    xcb_generic_error_t* error = nullptr;
    const auto active = OwnReply(
        xcb_xinerama_is_active_reply(connection, xcb_xinerama_is_active(connection), &error),
        &error);
    if (!active || active->state == 0) return {};
    const auto screens = OwnReply(xcb_xinerama_query_screens_reply(
                                      connection, xcb_xinerama_query_screens(connection), &error),
                                  &error);
    if (!screens) return {};
    std::vector<QRect> out;
    const xcb_xinerama_screen_info_t* heads = xcb_xinerama_query_screens_screen_info(screens.get());
    const int count = xcb_xinerama_query_screens_screen_info_length(screens.get());
    for (int i = 0; i < count; ++i) {
        out.emplace_back(heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height);
    }
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
