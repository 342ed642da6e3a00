#include "display/qt/HostWindow.h"

#include <xcb/xcb.h>

#include <QGuiApplication>

#include "platform/x11/XcbQueries.h"

namespace driftmere {

namespace {

xcb_connection_t* Connection() {
    auto* app = qGuiApp;
    if (app == nullptr) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

std::optional<QSize> HostWindow::QuerySize(WId id) {
    return XcbWindowSize(Connection(), static_cast<xcb_window_t>(id));
}

HostWindow::HostWindow(WId id, std::function<void(QSize)> resized, std::function<void()> gone)
    : id_(id), resized_(std::move(resized)), gone_(std::move(gone)) {
    xcb_connection_t* connection = Connection();
    if (connection == nullptr) return;
    const auto window = static_cast<xcb_window_t>(id);
    // Added to ours rather than in its place, in case this process created the host itself.
    XcbAddEventMask(connection, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
}

bool HostWindow::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto window = static_cast<xcb_window_t>(id_);
    switch (event->response_type & ~0x80) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto* configure = static_cast<const xcb_configure_notify_event_t*>(message);
            if (configure->window == window && resized_) {
                resized_(QSize(configure->width, configure->height));
            }
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* destroy = static_cast<const xcb_destroy_notify_event_t*>(message);
            if (destroy->window == window && gone_) gone_();
            break;
        }
        default:
            break;
    }
    // Never swallow anything: Qt may be watching the same window.
    return false;
}

}  // namespace driftmere
