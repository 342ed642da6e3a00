// Adds or removes a RandR monitor, for the end-to-end tests: plugging a monitor in or out while a
// program runs. --own-output takes the server's first output for this monitor, so the monitor
// that output had on its own (the whole screen) gives way to it.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const bool add = argc >= 7 && std::strcmp(argv[1], "add") == 0;
    if (!add && !(argc == 3 && std::strcmp(argv[1], "del") == 0)) {
        std::fprintf(stderr, "usage: %s add NAME W H X Y [--own-output] [--primary] | del NAME\n",
                     argv[0]);
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 1;
    const Window root = DefaultRootWindow(d);
    const Atom name = XInternAtom(d, argv[2], False);
    if (!add) {
        XRRDeleteMonitor(d, root, name);
    } else {
        XRRMonitorInfo* m = XRRAllocateMonitor(d, 1);
        m->name = name;
        m->width = std::atoi(argv[3]), m->height = std::atoi(argv[4]);
        m->x = std::atoi(argv[5]), m->y = std::atoi(argv[6]);
        m->mwidth = m->width / 4, m->mheight = m->height / 4, m->noutput = 0;
        for (int i = 7; i < argc; ++i) {
            if (std::strcmp(argv[i], "--primary") == 0) m->primary = True;
            if (std::strcmp(argv[i], "--own-output") == 0) {
                XRRScreenResources* resources = XRRGetScreenResources(d, root);
                if (resources && resources->noutput > 0) {
                    m->outputs[0] = resources->outputs[0];
                    m->noutput = 1;
                }
            }
        }
        XRRSetMonitor(d, root, m);
    }
    XSync(d, False);
    XCloseDisplay(d);
    return 0;
}
