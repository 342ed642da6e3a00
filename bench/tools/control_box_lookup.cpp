// Times the Control Box lookup on a crowded desktop: fills the X server named by $DISPLAY with
// top-level windows, each a frame holding one titled client window as a window manager makes
// them, then looks for the Control Box's title five times and prints each time and the median.
//   xvfb-run -a build/bench/bench_control_box_lookup 1000
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/x11/X11Windows.h"
#include "setup/ControlBoxTitle.h"

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    if (count < 1 || count > 100000) {
        std::fprintf(stderr, "usage: bench_control_box_lookup WINDOWS (1 to 100000)\n");
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench_control_box_lookup: cannot open the display\n");
        return 1;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
    const xcb_screen_t* screen = it.data;
    for (long i = 0; i < count; ++i) {
        const xcb_window_t frame = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, frame, screen->root, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const xcb_window_t client = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, client, frame, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const std::string title = "Window " + std::to_string(i);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, client, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(title.size()), title.data());
    }
    // A reply means the server has handled every request before it.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const bool found = driftmere::X11TopLevelTitled(std::string(driftmere::kControlBoxTitle));
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
        std::printf("%ld windows: %s in %.1f ms\n", count, found ? "found" : "none", took.count());
    }
    std::sort(times.begin(), times.end());
    std::printf("median %.1f ms\n", times[times.size() / 2]);
    xcb_disconnect(c);
    return 0;
}
