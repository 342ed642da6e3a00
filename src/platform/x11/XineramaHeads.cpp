#include "platform/x11/XineramaHeads.h"

#include <xcb/xinerama.h>

#include "platform/x11/XcbQueries.h"

namespace driftmere {

std::vector<QRect> XineramaHeads(xcb_connection_t* connection) {
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

}  // namespace driftmere
