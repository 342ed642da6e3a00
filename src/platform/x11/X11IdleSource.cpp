#include "platform/x11/X11IdleSource.h"

#include <unistd.h>

#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>

// Qt first: Xlib's macros (Bool, Status) break Qt headers that follow them.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/sync.h>
// clang-format on

namespace driftmere {
namespace {

Display* Dpy(void* display) { return static_cast<Display*>(display); }

XSyncValue ToValue(std::uint64_t v) {
    XSyncValue value;
    XSyncIntsToValue(&value, static_cast<unsigned>(v & 0xffffffffu), static_cast<int>(v >> 32));
    return value;
}

std::uint64_t FromValue(const XSyncValue& value) {
    return (static_cast<std::uint64_t>(static_cast<unsigned>(XSyncValueHigh32(value))) << 32) |
           XSyncValueLow32(value);
}

bool HasProperty(Display* dpy, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(dpy, window, property, 0, 16, False, AnyPropertyType,
                                          &type, &format, &count, &after, &data);
    if (data) XFree(data);
    return status == Success && type != None;
}

// A window gone between listing and asking is an error we ignore, not the end of the program.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The X server is gone (the session ended): so is the watcher, at once and with a failure, which
// a service manager may restart; the kernel ends a running saver with it.
int XServerGone(Display*) {
    const char line[] = "driftmere: the X server went away; --idle ends\n";
    [[maybe_unused]] ssize_t n = write(STDERR_FILENO, line, sizeof line - 1);
    _exit(1);
}

}  // namespace

X11IdleSource::X11IdleSource() = default;

X11IdleSource::~X11IdleSource() {
    notifier_.reset();
    if (display_) XCloseDisplay(Dpy(display_));
}

bool X11IdleSource::Open(std::string& problem) {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        problem = "cannot open the X display";
        return false;
    }
    display_ = dpy;
    XSetIOErrorHandler(XServerGone);
    int errorBase = 0, major = 0, minor = 0;
    if (!XSyncQueryExtension(dpy, &syncEventBase_, &errorBase) ||
        !XSyncInitialize(dpy, &major, &minor)) {
        problem = "the X server has no SYNC extension";
        return false;
    }
    int count = 0;
    XSyncSystemCounter* counters = XSyncListSystemCounters(dpy, &count);
    for (int i = 0; i < count; ++i)
        if (counters[i].name && std::strcmp(counters[i].name, "IDLETIME") == 0)
            counter_ = counters[i].counter;
    if (counters) XSyncFreeSystemCounterList(counters);
    if (counter_ == 0) {
        problem = "the X server keeps no IDLETIME counter";
        return false;
    }
    int interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(dpy, &startTimeout_, &interval, &blanking, &exposures);
    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(dpy), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadEvents(); });
    return true;
}

void X11IdleSource::SetCallbacks(std::function<void()> idleReached,
                                 std::function<void()> activity) {
    idleReached_ = std::move(idleReached);
    activity_ = std::move(activity);
}

std::uint64_t X11IdleSource::IdleMs() {
    XSyncValue value;
    if (!XSyncQueryCounter(Dpy(display_), counter_, &value)) return 0;
    return FromValue(value);
}

unsigned long X11IdleSource::SetAlarm(unsigned long alarm, std::uint64_t value, bool rising) {
    XSyncAlarmAttributes attrs{};
    attrs.trigger.counter = counter_;
    attrs.trigger.value_type = XSyncAbsolute;
    attrs.trigger.wait_value = ToValue(value);
    attrs.trigger.test_type = rising ? XSyncPositiveComparison : XSyncNegativeComparison;
    XSyncIntToValue(&attrs.delta, 0);  // fires once, then rests until set again
    attrs.events = True;
    const unsigned long mask = XSyncCACounter | XSyncCAValueType | XSyncCAValue | XSyncCATestType |
                               XSyncCADelta | XSyncCAEvents;
    if (alarm == 0)
        alarm = XSyncCreateAlarm(Dpy(display_), mask, &attrs);
    else
        XSyncChangeAlarm(Dpy(display_), alarm, mask, &attrs);
    XFlush(Dpy(display_));
    return alarm;
}

void X11IdleSource::WatchIdle(std::uint64_t ms) {
    idleWatch_ = ms;
    idleArmed_ = true;
    idleAlarm_ = SetAlarm(idleAlarm_, ms, true);
    // Already idle that long: say so from the event loop, as the alarm would.
    if (IdleMs() >= ms) {
        const std::uint64_t watch = idleWatch_;
        QTimer::singleShot(0, this, [this, watch] {
            if (idleArmed_ && idleWatch_ == watch) FireIdle();
        });
    }
}

void X11IdleSource::WatchActivity() {
    // Below the idle time now means input since.
    activityWatch_ = std::max<std::uint64_t>(IdleMs(), 1);
    activityArmed_ = true;
    activityAlarm_ = SetAlarm(activityAlarm_, activityWatch_, false);
}

void X11IdleSource::FireIdle() {
    idleArmed_ = false;
    if (idleReached_) idleReached_();
}

void X11IdleSource::ReadEvents() {
    Display* dpy = Dpy(display_);
    while (XPending(dpy) > 0) {
        XEvent event;
        XNextEvent(dpy, &event);
        if (event.type != syncEventBase_ + XSyncAlarmNotify) continue;
        const auto& alarm = reinterpret_cast<const XSyncAlarmNotifyEvent&>(event);
        // An event of a watch since replaced says nothing about the current one.
        const std::uint64_t value = FromValue(alarm.alarm_value);
        if (alarm.alarm == idleAlarm_ && idleArmed_ && value == idleWatch_) {
            FireIdle();
        } else if (alarm.alarm == activityAlarm_ && activityArmed_ && value == activityWatch_) {
            activityArmed_ = false;
            if (activity_) activity_();
        }
    }
}

bool X11IdleSource::HeldOffBySession() {
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(Dpy(display_), &timeout, &interval, &blanking, &exposures);
    if (startTimeout_ != 0 && timeout == 0) return true;
    return alsoHeld_ && alsoHeld_();
}

namespace {

std::string SaverHostOn(Display* dpy) {
    // xscreensaver marks its own window, a child of the root, with its version.
    const Atom version = XInternAtom(dpy, "_SCREENSAVER_VERSION", True);
    if (version == None) return {};
    auto* previous = XSetErrorHandler(IgnoreXError);
    std::string host;
    for (int screen = 0; screen < ScreenCount(dpy) && host.empty(); ++screen) {
        const Window root = RootWindow(dpy, screen);
        Window rootBack = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (HasProperty(dpy, root, version)) host = "xscreensaver";
        if (host.empty() && XQueryTree(dpy, root, &rootBack, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count && host.empty(); ++i)
                if (HasProperty(dpy, children[i], version)) host = "xscreensaver";
        }
        if (children) XFree(children);
    }
    XSync(dpy, False);
    XSetErrorHandler(previous);
    return host;
}

}  // namespace

std::string X11IdleSource::SaverHostRunning() { return SaverHostOn(Dpy(display_)); }

std::string SaverHostOnXDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return {};
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return {};
    std::string host = SaverHostOn(dpy);
    XCloseDisplay(dpy);
    return host;
}

void X11IdleSource::ResetIdle() {
    XResetScreenSaver(Dpy(display_));
    XFlush(Dpy(display_));
}

}  // namespace driftmere
