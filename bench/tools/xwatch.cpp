// Starts a program and times, from the X server's side, how long it takes to show something:
//
//   bench_xwatch first-frame TIMEOUT_MS -- PROGRAM ARGS...
//       until any of nine points spread over the middle of the screen is no longer black (run the
//       X server with a black root window, Xvfb -br, and the saver with its backdrops on);
//   bench_xwatch window TITLE TIMEOUT_MS -- PROGRAM ARGS...
//       until a top-level window with exactly this title is mapped, and then until its pixels on
//       screen are no longer all one colour (painted).
//
// Prints "pid=N" as soon as the program runs, then "first_frame_ms=X" or "map_ms=X" and
// "painted_ms=Y" ("NA" on timeout), measured from just before the program was started, and a
// last line "done". The program is left running: the caller ends it by its pid, and the watcher
// stays until then to collect it, so no dead child is left to a parent that never would.
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Steady = std::chrono::steady_clock;

double MsSince(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

pid_t Launch(char** argv) {
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) {
        std::perror("bench_xwatch: cannot start the program");
        std::exit(2);
    }
    std::printf("pid=%d\n", static_cast<int>(pid));
    std::fflush(stdout);
    return pid;
}

bool Exited(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

// The 32-bit pixel values of one rectangle of the root window (what is on screen), or nothing
// when the request failed.
std::optional<std::vector<std::uint32_t>> Grab(xcb_connection_t* c, xcb_window_t root, int x, int y,
                                               int w, int h) {
    auto cookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(x),
                                static_cast<int16_t>(y), static_cast<uint16_t>(w),
                                static_cast<uint16_t>(h), ~0u);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(c, cookie, nullptr);
    if (!reply) return std::nullopt;
    const int bytes = xcb_get_image_data_length(reply);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bytes) / 4);
    std::memcpy(pixels.data(), xcb_get_image_data(reply), pixels.size() * 4);
    std::free(reply);
    for (auto& p : pixels) p &= 0xffffff;
    return pixels;
}

int FirstFrame(xcb_connection_t* c, xcb_screen_t* screen, int timeoutMs, char** argv) {
    const int w = screen->width_in_pixels, h = screen->height_in_pixels;
    const auto start = Steady::now();
    const pid_t pid = Launch(argv);
    while (MsSince(start) < timeoutMs) {
        // Nine single pixels in the middle third of the screen, sent together and then read.
        std::vector<xcb_get_image_cookie_t> cookies;
        for (int i = 1; i <= 3; ++i)
            for (int j = 1; j <= 3; ++j)
                cookies.push_back(xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root,
                                                static_cast<int16_t>(w * (2 + i) / 8),
                                                static_cast<int16_t>(h * (2 + j) / 8), 1, 1, ~0u));
        bool lit = false;
        for (auto cookie : cookies) {
            xcb_get_image_reply_t* reply = xcb_get_image_reply(c, cookie, nullptr);
            if (!reply) continue;
            std::uint32_t px = 0;
            std::memcpy(&px, xcb_get_image_data(reply), 4);
            lit |= (px & 0xffffff) != 0;
            std::free(reply);
        }
        if (lit) {
            std::printf("first_frame_ms=%.1f\n", MsSince(start));
            return 0;
        }
        if (Exited(pid)) break;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::printf("first_frame_ms=NA\n");
    return 1;
}

std::string WindowTitle(xcb_connection_t* c, xcb_window_t window) {
    // The UTF-8 title first, the old one when there is none.
    auto netName = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 12, "_NET_WM_NAME"), nullptr);
    std::string title;
    for (xcb_atom_t property : {netName ? netName->atom : 0u, xcb_atom_t{XCB_ATOM_WM_NAME}}) {
        if (property == 0 || !title.empty()) continue;
        auto reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr);
        if (reply) {
            title.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
            std::free(reply);
        }
    }
    std::free(netName);
    return title;
}

int Window(xcb_connection_t* c, xcb_screen_t* screen, const std::string& title, int timeoutMs,
           char** argv) {
    // Without a window manager a top-level window is a child of the root: its mapping shows up
    // as a MapNotify on the root once we listen for changes of the root's children.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    const auto start = Steady::now();
    const pid_t pid = Launch(argv);
    xcb_window_t found = 0;
    while (!found && MsSince(start) < timeoutMs) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (!event) {
            if (Exited(pid)) break;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (WindowTitle(c, map->window) == title) found = map->window;
        }
        std::free(event);
    }
    if (!found) {
        std::printf("map_ms=NA\npainted_ms=NA\n");
        return 1;
    }
    std::printf("map_ms=%.1f\n", MsSince(start));
    std::fflush(stdout);
    while (MsSince(start) < timeoutMs) {
        auto geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, found), nullptr);
        auto where = xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, found, screen->root, 0, 0), nullptr);
        if (geometry && where) {
            // The part of the window that is on screen, read from the root so that a window
            // reaching past the screen's edge is no error.
            const int x0 = std::max<int>(where->dst_x, 0), y0 = std::max<int>(where->dst_y, 0);
            const int x1 = std::min<int>(where->dst_x + geometry->width, screen->width_in_pixels);
            const int y1 = std::min<int>(where->dst_y + geometry->height, screen->height_in_pixels);
            if (x1 > x0 && y1 > y0) {
                if (auto pixels = Grab(c, screen->root, x0, y0, x1 - x0, y1 - y0)) {
                    bool uniform = true;
                    for (std::uint32_t p : *pixels) uniform &= p == pixels->front();
                    if (!uniform) {
                        std::printf("painted_ms=%.1f\n", MsSince(start));
                        std::free(geometry);
                        std::free(where);
                        return 0;
                    }
                }
            }
        }
        std::free(geometry);
        std::free(where);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::printf("painted_ms=NA\n");
    return 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: bench_xwatch first-frame TIMEOUT_MS -- PROGRAM ARGS...\n"
                 "       bench_xwatch window TITLE TIMEOUT_MS -- PROGRAM ARGS...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    int dash = 0;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            dash = i;
            break;
        }
    }
    if (dash == 0 || dash + 1 >= argc) return Usage();
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench_xwatch: cannot reach the X server\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    int status = 0;
    if (mode == "first-frame" && dash == 3) {
        status = FirstFrame(c, screen, std::atoi(argv[2]), argv + dash + 1);
    } else if (mode == "window" && dash == 4) {
        status = Window(c, screen, argv[2], std::atoi(argv[3]), argv + dash + 1);
    } else {
        return Usage();
    }
    xcb_disconnect(c);
    std::printf("done\n");
    std::fflush(stdout);
    while (waitpid(-1, nullptr, 0) > 0) {
    }
    return status;
}
