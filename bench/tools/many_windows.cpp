// Fills the X server with top-level windows, each a frame holding one titled client window as a
// window manager would make them, and keeps them until stdin closes: the crowd a desktop with
// many programs open gives the Control Box lookup. Prints "ready" once the server has them all.
//   bench_many_windows 1000 < /dev/tty
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    if (count < 1 || count > 100000) {
        std::fprintf(stderr, "usage: bench_many_windows COUNT (1 to 100000)\n");
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench_many_windows: cannot open the display\n");
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
    std::printf("ready\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    xcb_disconnect(c);
    return 0;
}
