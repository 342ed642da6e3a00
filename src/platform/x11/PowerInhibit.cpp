#include "platform/x11/PowerInhibit.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace driftmere {

PowerInhibit::PowerInhibit(void (*warn)(const std::string&)) {
    if (Display* d = XOpenDisplay(nullptr)) {
        int event = 0, error = 0;
        if (XScreenSaverQueryExtension(d, &event, &error)) {
            XScreenSaverSuspend(d, True);
            XFlush(d);
            xDisplay_ = d;
        } else {
            XCloseDisplay(d);
        }
    }
    if (xDisplay_ == nullptr && warn)
        warn("driftmere: cannot keep the monitor on (no screen-saver service and no X extension)");
}

PowerInhibit::~PowerInhibit() {
    if (auto* d = static_cast<Display*>(xDisplay_)) {
        XScreenSaverSuspend(d, False);
        XCloseDisplay(d);
    }
}

}  // namespace driftmere
