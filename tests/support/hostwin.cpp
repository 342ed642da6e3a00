// A plain X11 window for the end-to-end tests: a screen-saver host's window, or
// another program's window that opens over the saver. Prints its id in hex once
// mapped, then waits until killed.
// --override-redirect: a window no window manager handles, as notifications and
// menus often are.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    int numbers[4] = {0, 0, 0, 0};
    int count = 0;
    unsigned long colour = 0x808080;
    bool overrideRedirect = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--colour") == 0 && i + 1 < argc) {
            colour = std::strtoul(argv[++i], nullptr, 16) & 0xffffff;
        } else if (std::strcmp(argv[i], "--override-redirect") == 0) {
            overrideRedirect = true;
        } else if (count < 4) {
            numbers[count++] = std::atoi(argv[i]);
        }
    }
    if (count != 2 && count != 4) {
        std::fputs("usage: WIDTH HEIGHT [X Y] [--colour RRGGBB] [--override-redirect]\n", stderr);
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 1;
    const int width = numbers[0], height = numbers[1], x = numbers[2], y = numbers[3];
    XSetWindowAttributes attributes{};
    attributes.background_pixel = colour;
    attributes.override_redirect = overrideRedirect;
    attributes.event_mask = StructureNotifyMask;
    Window w =
        XCreateWindow(d, DefaultRootWindow(d), x, y, width, height, 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
    XStoreName(d, w, "driftmere test host");
    // Asked-for place and size, so that a window manager keeps them.
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = x, hints.y = y, hints.width = width, hints.height = height;
    XSetWMNormalHints(d, w, &hints);
    XMapWindow(d, w);
    XEvent e;
    for (XNextEvent(d, &e); e.type != MapNotify || e.xmap.window != w;) XNextEvent(d, &e);
    std::printf("0x%lx\n", w);
    std::fflush(stdout);
    for (;;) XNextEvent(d, &e);  // until killed, or until the server goes
}
