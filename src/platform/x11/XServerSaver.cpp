#include "platform/x11/XServerSaver.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace driftmere {

void EndXServerSaver() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return;
    int eventBase = 0, errorBase = 0;
    if (XScreenSaverQueryExtension(dpy, &eventBase, &errorBase)) {
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (info && XScreenSaverQueryInfo(dpy, DefaultRootWindow(dpy), info) &&
            info->state == ScreenSaverOn)
            XForceScreenSaver(dpy, ScreenSaverReset);
        if (info) XFree(info);
    }
    XCloseDisplay(dpy);  // sends what is queued
}

}  // namespace driftmere
