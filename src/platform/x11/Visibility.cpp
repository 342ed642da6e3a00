#include "platform/x11/Visibility.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdint>

#include "platform/x11/XcbQueries.h"

// Xlib's macros (Status, None, Bool ...) clash with Qt's names: included after every Qt header.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace driftmere {

namespace {

QNativeInterface::QX11Application* X11() {
    auto* app = qGuiApp;
    return app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

}  // namespace

Visibility::Visibility(std::function<void()> shown) : shown_(std::move(shown)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    auto* x11 = X11();
    int event = 0, error = 0;
    if (x11 == nullptr || x11->display() == nullptr ||
        !DPMSQueryExtension(x11->display(), &event, &error) || !DPMSCapable(x11->display())) {
        return;
    }
    monitorCheck_.setInterval(1000);
    monitorCheck_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&monitorCheck_, &QTimer::timeout, [this] { CheckMonitors(); });
    monitorCheck_.start();
}

Visibility::~Visibility() {
    if (auto* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

void Visibility::Watch(xcb_window_t window) {
    auto* x11 = X11();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr) return;
    XcbAddEventMask(connection, window, XCB_EVENT_MASK_VISIBILITY_CHANGE);
}

bool Visibility::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_VISIBILITY_NOTIFY) return false;
    const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (visibility->state == XCB_VISIBILITY_FULLY_OBSCURED) {
        covered_.insert(visibility->window);
    } else if (covered_.erase(visibility->window) != 0 && shown_) {
        shown_();
    }
    return false;  // Qt may want it too
}

void Visibility::CheckMonitors() {
    auto* x11 = X11();
    if (x11 == nullptr || x11->display() == nullptr) return;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(x11->display(), &level, &enabled)) return;
    const bool off = enabled && level != DPMSModeOn;
    const bool cameOn = monitorsOff_ && !off;
    monitorsOff_ = off;
    if (cameOn && shown_) shown_();
}

}  // namespace driftmere
