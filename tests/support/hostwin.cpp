// A plain X11 window that stands in for a screen-saver host's window in end-to-end tests.
// Usage: dm_hostwin WIDTH HEIGHT [X Y]. Prints the window id in hex, then waits until killed.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT [X Y]\n", argv[0]);
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 1;
    int x = argc > 4 ? std::atoi(argv[3]) : 0, y = argc > 4 ? std::atoi(argv[4]) : 0;
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, std::atoi(argv[1]),
                                   std::atoi(argv[2]), 0, 0, 0x808080);
    XStoreName(d, w, "driftmere test host");
    XMapWindow(d, w);
    XSync(d, False);
    std::printf("0x%lx\n", w);
    std::fflush(stdout);
    for (;;) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
        }
        usleep(50000);
    }
}
