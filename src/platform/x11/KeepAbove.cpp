#include "platform/x11/KeepAbove.h"

#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/x11/XcbQueries.h"

namespace driftmere {

namespace {

// Ten restorations within ten seconds, then the other program wins until the burst has aged.
constexpr int kRestoreLimit = 10;
constexpr std::int64_t kRestoreWindowMs = 10000;
// Rounds of reading and restoring per wake-up before the event loop gets its turn back, so that
// a program that restacks without pause cannot hold up the frames or SIGTERM.
constexpr int kRoundsPerWake = 3;

bool Intersects(const xcb_get_geometry_reply_t& a, const xcb_get_geometry_reply_t& b) {
    const int ax1 = a.x + a.width + 2 * a.border_width, ay1 = a.y + a.height + 2 * a.border_width;
    const int bx1 = b.x + b.width + 2 * b.border_width, by1 = b.y + b.height + 2 * b.border_width;
    return a.x < bx1 && b.x < ax1 && a.y < by1 && b.y < ay1;
}

}  // namespace

KeepAbove::KeepAbove() : budget_(kRestoreLimit, kRestoreWindowMs) {
    clock_.start();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    // A connection of our own: its event selections do not disturb Qt's, and Qt never sees the
    // events (and errors about windows that have just gone) that only this watcher asked for.
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_)) {
        Stop();
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                  QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &KeepAbove::ReadEvents);
}

void KeepAbove::SetWindows(const std::vector<WId>& windows) {
    if (!connection_) return;
    if (root_ == XCB_NONE && !windows.empty()) {
        // The root of the screen our windows are on.
        xcb_generic_error_t* error = nullptr;
        auto tree = OwnReply(
            xcb_query_tree_reply(connection_,
                                 xcb_query_tree(connection_, static_cast<xcb_window_t>(windows[0])),
                                 &error),
            &error);
        if (!tree) {
            Stop();
            return;
        }
        root_ = tree->root;
        const std::uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &rootMask);
    }
    const std::uint32_t windowMask = XCB_EVENT_MASK_VISIBILITY_CHANGE |
                                     XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    const std::uint32_t noEvents = XCB_EVENT_MASK_NO_EVENT;
    for (xcb_window_t old : windows_) {
        if (std::find(windows.begin(), windows.end(), WId{old}) == windows.end())
            xcb_change_window_attributes(connection_, old, XCB_CW_EVENT_MASK, &noEvents);
    }
    windows_.clear();
    for (WId id : windows) {
        const auto window = static_cast<xcb_window_t>(id);
        if (window == XCB_NONE || Ours(window)) continue;
        windows_.push_back(window);
        xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &windowMask);
    }
    xcb_flush(connection_);
    // A window may already be mapped under something.
    Restore();
    ReadEvents();
}

KeepAbove::~KeepAbove() { Stop(); }

void KeepAbove::Stop() {
    notifier_.reset();
    if (connection_) xcb_disconnect(connection_);
    connection_ = nullptr;
}

void KeepAbove::ReadEvents() {
    readPending_ = false;
    for (int round = 0; round < kRoundsPerWake; ++round) {
        if (!connection_) return;
        if (!Drain()) return;
        Restore();
    }
    // Events may wait in the connection's queue, where the socket no longer shows them.
    if (connection_ && !readPending_) {
        readPending_ = true;
        QTimer::singleShot(0, this, &KeepAbove::ReadEvents);
    }
}

bool KeepAbove::Drain() {
    bool wake = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        switch (event->response_type & ~0x80) {
            case XCB_MAP_NOTIFY:
            case XCB_CONFIGURE_NOTIFY:
            case XCB_CIRCULATE_NOTIFY:
                // Another window appeared or changed its place in the stack (our own window's
                // notes come too; the check finds nothing over it then).
                wake = true;
                break;
            case XCB_VISIBILITY_NOTIFY: {
                const auto* v = reinterpret_cast<xcb_visibility_notify_event_t*>(event);
                if (Ours(v->window) && v->state != XCB_VISIBILITY_UNOBSCURED) wake = true;
                break;
            }
            case XCB_FOCUS_OUT: {
                // Not the passing changes while another client grabs the keyboard (a window
                // manager's key binding), nor focus moving inside our window. Focus going to
                // another of our windows wakes the watcher too; the check then finds it ours.
                const auto* f = reinterpret_cast<xcb_focus_out_event_t*>(event);
                if (Ours(f->event) &&
                    (f->mode == XCB_NOTIFY_MODE_NORMAL ||
                     f->mode == XCB_NOTIFY_MODE_WHILE_GRABBED) &&
                    f->detail != XCB_NOTIFY_DETAIL_INFERIOR &&
                    f->detail != XCB_NOTIFY_DETAIL_POINTER) {
                    wake = true;
                }
                break;
            }
            case XCB_DESTROY_NOTIFY: {
                const auto* d = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
                std::erase(windows_, d->window);
                break;
            }
            default:
                // Errors about windows that went away between two questions, and the rest.
                break;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(connection_)) {
        Stop();
        return false;
    }
    return wake;
}

void KeepAbove::Restore() {
    if (!connection_ || windows_.empty()) return;
    std::vector<xcb_window_t> shown, topLevels;
    for (xcb_window_t window : windows_) {
        if (!Viewable(window)) continue;
        const xcb_window_t topLevel = TopLevel(window);
        if (topLevel == XCB_NONE) continue;
        shown.push_back(window);
        topLevels.push_back(topLevel);
    }
    std::vector<std::pair<std::size_t, Cover>> covered;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        Cover cover = Covering(topLevels[i], topLevels);
        if (!cover.managed.empty() || !cover.unmanaged.empty())
            covered.emplace_back(i, std::move(cover));
    }
    // Raising every covered window at once is one restoration, as it is with one monitor.
    if (!covered.empty() && budget_.Take(clock_.elapsed())) {
        for (const auto& [i, cover] : covered) {
            const std::uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(connection_, shown[i], XCB_CONFIG_WINDOW_STACK_MODE, &above);
            if (topLevels[i] == shown[i]) continue;
            // Our window sits in a window manager's frame: the raise above reaches the manager
            // as a request, and it orders only the windows it manages. Windows that bypass it
            // are put under the frame directly; they come back into view when the saver ends.
            for (xcb_window_t other : cover.unmanaged) {
                const std::uint32_t below[] = {topLevels[i], XCB_STACK_MODE_BELOW};
                xcb_configure_window(connection_, other,
                                     XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                                     below);
            }
        }
        ++raises_;
    }
    if (!shown.empty() && OtherWindowHasFocus() && budget_.Take(clock_.elapsed())) {
        // The first window shown: the one on the primary monitor while it is there.
        xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, shown.front(),
                            XCB_CURRENT_TIME);
        ++focusTakes_;
    }
    xcb_flush(connection_);
}

bool KeepAbove::Ours(xcb_window_t window) const {
    return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

bool KeepAbove::Viewable(xcb_window_t window) {
    xcb_generic_error_t* error = nullptr;
    auto attributes =
        OwnReply(xcb_get_window_attributes_reply(
                     connection_, xcb_get_window_attributes(connection_, window), &error),
                 &error);
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

// The root's child that holds our window: the window itself, or a window manager's frame.
xcb_window_t KeepAbove::TopLevel(xcb_window_t window) {
    xcb_window_t current = window;
    for (int depth = 0; depth < 8; ++depth) {
        xcb_generic_error_t* error = nullptr;
        auto tree = OwnReply(
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, current), &error),
            &error);
        if (!tree) return XCB_NONE;
        if (tree->parent == root_) return current;
        current = tree->parent;
    }
    return XCB_NONE;
}

// The mapped windows of other programs that show anything and lie over part of ours, split by
// whether a window manager may handle them or they bypass it.
KeepAbove::Cover KeepAbove::Covering(xcb_window_t topLevel,
                                     const std::vector<xcb_window_t>& ownTopLevels) {
    Cover cover;
    xcb_generic_error_t* error = nullptr;
    auto tree = OwnReply(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), &error), &error);
    if (!tree) return cover;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    // Children come bottom to top; only those after ours can cover it.
    int ours = -1;
    for (int i = 0; i < count; ++i) {
        if (children[i] == topLevel) ours = i;
    }
    if (ours < 0 || ours == count - 1) return cover;
    auto own = OwnReply(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, topLevel), &error),
        &error);
    if (!own) return cover;
    // Ask about every window above at once, then read the answers.
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    std::vector<xcb_get_geometry_cookie_t> geometryCookies;
    std::vector<xcb_window_t> others;
    for (int i = ours + 1; i < count; ++i) {
        // Our other windows (on the monitor beside this one, or overlapping it) are no cover.
        if (std::find(ownTopLevels.begin(), ownTopLevels.end(), children[i]) != ownTopLevels.end())
            continue;
        others.push_back(children[i]);
        attributeCookies.push_back(xcb_get_window_attributes(connection_, children[i]));
        geometryCookies.push_back(xcb_get_geometry(connection_, children[i]));
    }
    for (std::size_t i = 0; i < attributeCookies.size(); ++i) {
        auto attributes = OwnReply(
            xcb_get_window_attributes_reply(connection_, attributeCookies[i], &error), &error);
        auto geometry =
            OwnReply(xcb_get_geometry_reply(connection_, geometryCookies[i], &error), &error);
        if (!attributes || !geometry) continue;
        if (attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT || !Intersects(*own, *geometry)) {
            continue;
        }
        const xcb_window_t other = others[i];
        (attributes->override_redirect ? cover.unmanaged : cover.managed).push_back(other);
    }
    return cover;
}

// True when the keyboard focus is on another program's window, or nowhere (keys are then thrown
// away).
// With the focus on the root or following the pointer, keys reach whatever window lies under
// the pointer, which is ours once it is on top.
bool KeepAbove::OtherWindowHasFocus() {
    xcb_generic_error_t* error = nullptr;
    auto focus = OwnReply(
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), &error), &error);
    if (!focus) return false;
    const xcb_window_t f = focus->focus;
    return !Ours(f) && f != root_ && f != XCB_INPUT_FOCUS_POINTER_ROOT;
}

}  // namespace driftmere
