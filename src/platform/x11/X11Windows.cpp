#include "platform/x11/X11Windows.h"

#include <xcb/xcb.h>

#include <utility>
#include <vector>

#include "platform/x11/XcbQueries.h"

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

xcb_atom_t InternAtom(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie) {
    xcb_generic_error_t* error = nullptr;
    auto reply = OwnReply(xcb_intern_atom_reply(connection, cookie, &error), &error);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The property's bytes when it is 8-bit text of `type`; nullopt when it is missing or not that.
std::optional<std::string> TextReply(xcb_connection_t* connection, xcb_get_property_cookie_t cookie,
                                     xcb_atom_t type) {
    xcb_generic_error_t* error = nullptr;
    auto reply = OwnReply(xcb_get_property_reply(connection, cookie, &error), &error);
    // A missing atom (no client has ever used the name) makes the request fail: no title.
    if (!reply || type == XCB_ATOM_NONE || reply->type != type || reply->format != 8)
        return std::nullopt;
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

// Asks for the titles of many windows at once: every request goes out before the first reply
// is read, so a thousand windows cost one round trip, not a thousand.
class TitleBatch {
  public:
    TitleBatch(xcb_connection_t* connection, xcb_atom_t netWmName, xcb_atom_t utf8)
        : connection_(connection), netWmName_(netWmName), utf8_(utf8) {}

    void Ask(xcb_window_t window) {
        // _NET_WM_NAME in UTF-8 when the window has one, else WM_NAME (as a C string).
        asked_.push_back(
            {xcb_get_property(connection_, 0, window, netWmName_, utf8_, 0, 1024),
             xcb_get_property(connection_, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 8192)});
    }

    // Reads every reply (each must be read, or xcb keeps it); true when a title matched.
    bool AnyTitled(const std::string& title) {
        bool found = false;
        for (const auto& [net, plain] : asked_) {
            std::optional<std::string> name = TextReply(connection_, net, utf8_);
            std::optional<std::string> old = TextReply(connection_, plain, XCB_ATOM_STRING);
            if (!name || name->empty()) name = old ? std::string(old->c_str()) : std::string();
            found = found || *name == title;
        }
        asked_.clear();
        return found;
    }

  private:
    xcb_connection_t* connection_;
    xcb_atom_t netWmName_, utf8_;
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> asked_;
};

}  // namespace

bool X11DisplayReachable() {
    XConnection x;
    return x.get() != nullptr;
}

bool X11TopLevelTitled(const std::string& title) {
    XConnection x;
    xcb_connection_t* c = x.get();
    if (!c) return false;
    const xcb_window_t root = x.Root();
    if (root == XCB_NONE) return false;
    const auto netWmNameCookie = xcb_intern_atom(c, 1, 12, "_NET_WM_NAME");
    const auto utf8Cookie = xcb_intern_atom(c, 1, 11, "UTF8_STRING");
    const auto rootTree = xcb_query_tree(c, root);
    TitleBatch titles(c, InternAtom(c, netWmNameCookie), InternAtom(c, utf8Cookie));
    xcb_generic_error_t* error = nullptr;
    auto tree = OwnReply(xcb_query_tree_reply(c, rootTree, &error), &error);
    if (!tree) return false;
    // The top-level windows' titles and, in the same batch, their children: a window manager
    // puts each top-level window inside a frame of its own.
    const xcb_window_t* topLevel = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_query_tree_cookie_t> frames;
    frames.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        titles.Ask(topLevel[i]);
        frames.push_back(xcb_query_tree(c, topLevel[i]));
    }
    bool found = titles.AnyTitled(title);
    for (const auto cookie : frames) {
        auto inFrame = OwnReply(xcb_query_tree_reply(c, cookie, &error), &error);
        if (!inFrame || found) continue;
        const xcb_window_t* children = xcb_query_tree_children(inFrame.get());
        const int n = xcb_query_tree_children_length(inFrame.get());
        for (int i = 0; i < n; ++i) titles.Ask(children[i]);
    }
    return titles.AnyTitled(title) || found;
}

std::optional<WindowSize> X11WindowSize(std::uint64_t window) {
    if (window == 0) return std::nullopt;
    XConnection x;
    const auto size = XcbWindowSize(x.get(), static_cast<xcb_window_t>(window));
    if (!size) return std::nullopt;
    return WindowSize{size->width(), size->height()};
}

}  // namespace driftmere
