#include "platform/linux/X11Windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace driftmere {
namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// One short-lived connection per question; errors about vanished windows are ignored while it
// is open.
class XConnection {
  public:
    XConnection() : display_(XOpenDisplay(nullptr)) {
        if (display_) previous_ = XSetErrorHandler(IgnoreXError);
    }
    ~XConnection() {
        if (!display_) return;
        XSync(display_, False);
        XSetErrorHandler(previous_);
        XCloseDisplay(display_);
    }
    Display* get() const { return display_; }

  private:
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

std::string WindowTitle(Display* d, Window w) {
    Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        if (!title.empty()) return title;
    }
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

bool SearchTitled(Display* d, Window w, const std::string& title, int depth) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return false;
    std::unique_ptr<Window, int (*)(void*)> owned(children, XFree);
    for (unsigned int i = 0; i < n; ++i) {
        if (WindowTitle(d, children[i]) == title) return true;
        // A window manager puts each top-level window inside a frame of its own.
        if (depth > 0 && SearchTitled(d, children[i], title, depth - 1)) return true;
    }
    return false;
}

}  // namespace

bool X11DisplayReachable() {
    XConnection x;
    return x.get() != nullptr;
}

bool X11TopLevelTitled(const std::string& title) {
    XConnection x;
    if (!x.get()) return false;
    return SearchTitled(x.get(), DefaultRootWindow(x.get()), title, 1);
}

std::optional<WindowSize> X11WindowSize(std::uint64_t window) {
    if (window == 0) return std::nullopt;
    XConnection x;
    if (!x.get()) return std::nullopt;
    XWindowAttributes attrs{};
    if (!XGetWindowAttributes(x.get(), static_cast<Window>(window), &attrs)) return std::nullopt;
    return WindowSize{attrs.width, attrs.height};
}

}  // namespace driftmere
