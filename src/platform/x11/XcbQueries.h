#pragma once
// Questions to the X server about windows, asked through xcb. Every error these questions can
// meet only means that a window went away between two of them, so they answer "no such window"
// instead of reporting it.
#include <xcb/xcb.h>

#include <QRect>
#include <QSize>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace driftmere {

struct FreeXcbReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeXcbReply>;

// Takes an xcb reply and drops the error that came with it, if any. The error is read through
// its address, once the reply call has filled it in.
template <typename T>
XcbReply<T> OwnReply(T* reply, xcb_generic_error_t** error) {
    std::free(*error);
    *error = nullptr;
    return XcbReply<T>(reply);
}

// The window's size, or nullopt when `window` names no window (a pixmap id has a size too, but
// no window attributes).
std::optional<QSize> XcbWindowSize(xcb_connection_t* connection, xcb_window_t window);

// Where the window lies on its screen, in the root window's pixels; nullopt when `window` names
// no window.
std::optional<QRect> XcbWindowOnScreen(xcb_connection_t* connection, xcb_window_t window);

// The window's title: _NET_WM_NAME in UTF-8 when it has one, else WM_NAME; empty when neither.
std::string XcbWindowTitle(xcb_connection_t* connection, xcb_window_t window);

// Asks for `events` on the window as well as what this client asks for already: each client has
// its own event mask on a window, and Qt's own requests on it must stay.
void XcbAddEventMask(xcb_connection_t* connection, xcb_window_t window, std::uint32_t events);

}  // namespace driftmere
