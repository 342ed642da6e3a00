#include "platform/linux/X11Windows.h"

#include <xcb/xcb.h>

#include "display/qt/XcbQueries.h"

namespace driftmere {
namespace {

// One short-lived connection per question, so that nothing asked here mixes with the display's
// own connection.
class XConnection {
  public:
    XConnection() : connection_(xcb_connect(nullptr, &screen_)) {}
    ~XConnection() { xcb_disconnect(connection_); }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;
    // Null when the server named by $DISPLAY could not be reached.
    xcb_connection_t* get() const {
        return xcb_connection_has_error(connection_) ? nullptr : connection_;
    }

    // The root window of the screen $DISPLAY names.
    xcb_window_t Root() const {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screen_ && it.rem > 0; ++i) xcb_screen_next(&it);
        return it.rem > 0 ? it.data->root : XCB_NONE;
    }

  private:
    int screen_ = 0;
    xcb_connection_t* connection_;
};

bool SearchTitled(xcb_connection_t* connection, xcb_window_t window, const std::string& title,
                  int depth) {
    xcb_generic_error_t* error = nullptr;
    auto tree = OwnReply(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), &error), &error);
    if (!tree) return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < count; ++i) {
        if (XcbWindowTitle(connection, children[i]) == title) return true;
        // A window manager puts each top-level window inside a frame of its own.
        if (depth > 0 && SearchTitled(connection, children[i], title, depth - 1)) return true;
    }
    return false;
}

}  // namespace

bool X11DisplayReachable() {
    XConnection x;
    return x.get() != nullptr;
}

bool X11TopLevelTitled(const std::string& title) {
    XConnection x;
    if (!x.get()) return false;
    const xcb_window_t root = x.Root();
    if (root == XCB_NONE) return false;
    return SearchTitled(x.get(), root, title, 1);
}

std::optional<WindowSize> X11WindowSize(std::uint64_t window) {
    if (window == 0) return std::nullopt;
    XConnection x;
    const auto size = XcbWindowSize(x.get(), static_cast<xcb_window_t>(window));
    if (!size) return std::nullopt;
    return WindowSize{size->width(), size->height()};
}

}  // namespace driftmere
