#include "platform/x11/XcbQueries.h"

#include <cstring>

namespace driftmere {

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_generic_error_t* error = nullptr;
    auto reply = OwnReply(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            &error),
        &error);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The property's bytes when it is 8-bit text of `type`; nullopt when it is missing or not that.
std::optional<std::string> TextProperty(xcb_connection_t* connection, xcb_window_t window,
                                        xcb_atom_t property, xcb_atom_t type,
                                        std::uint32_t maxLongs) {
    if (property == XCB_ATOM_NONE || type == XCB_ATOM_NONE) return std::nullopt;
    xcb_generic_error_t* error = nullptr;
    auto reply =
        OwnReply(xcb_get_property_reply(
                     connection,
                     xcb_get_property(connection, 0, window, property, type, 0, maxLongs), &error),
                 &error);
    if (!reply || reply->type != type || reply->format != 8) return std::nullopt;
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace

std::optional<QSize> XcbWindowSize(xcb_connection_t* connection, xcb_window_t window) {
    if (connection == nullptr || window == XCB_NONE) return std::nullopt;
    const xcb_get_geometry_cookie_t geometryCookie = xcb_get_geometry(connection, window);
    const xcb_get_window_attributes_cookie_t attributesCookie =
        xcb_get_window_attributes(connection, window);
    xcb_generic_error_t* error = nullptr;
    auto geometry = OwnReply(xcb_get_geometry_reply(connection, geometryCookie, &error), &error);
    auto attributes =
        OwnReply(xcb_get_window_attributes_reply(connection, attributesCookie, &error), &error);
    if (!geometry || !attributes) return std::nullopt;
    return QSize(geometry->width, geometry->height);
}

std::optional<QRect> XcbWindowOnScreen(xcb_connection_t* connection, xcb_window_t window) {
    if (connection == nullptr || window == XCB_NONE) return std::nullopt;
    xcb_generic_error_t* error = nullptr;
    auto geometry = OwnReply(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), &error), &error);
    if (!geometry) return std::nullopt;
    auto origin =
        OwnReply(xcb_translate_coordinates_reply(
                     connection,
                     xcb_translate_coordinates(connection, window, geometry->root, 0, 0), &error),
                 &error);
    if (!origin) return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

std::string XcbWindowTitle(xcb_connection_t* connection, xcb_window_t window) {
    std::optional<std::string> title =
        TextProperty(connection, window, Atom(connection, "_NET_WM_NAME"),
                     Atom(connection, "UTF8_STRING"), 1024);
    if (title && !title->empty()) return *title;
    // WM_NAME is read as a C string, up to its first zero byte.
    title = TextProperty(connection, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8192);
    return title ? std::string(title->c_str()) : std::string();
}

void XcbAddEventMask(xcb_connection_t* connection, xcb_window_t window, std::uint32_t events) {
    std::uint32_t mask = events;
    const XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    if (attributes) mask |= attributes->your_event_mask;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}

}  // namespace driftmere
