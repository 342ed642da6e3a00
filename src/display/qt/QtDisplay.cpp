#include "display/qt/QtDisplay.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <iostream>

#include "display/MonitorWindows.h"
#include "display/qt/Density.h"
#include "display/qt/HostWindow.h"
#include "display/qt/KeyCodes.h"
#include "display/qt/Monitors.h"
#include "display/qt/Presentation.h"
#include "platform/x11/KeepAbove.h"
#include "platform/x11/Visibility.h"

namespace driftmere {

QtDisplay::QtDisplay(Options options)
    : options_(options), sharedFrames_(SharedFrames::UsableConnection()) {
    if (sharedFrames_.enabled())
        SetFrameMemory([this](QSize size) { return sharedFrames_.Frame(size); });
    connect(&frameTimer_, &FramePacer::frame, this, &QtDisplay::Tick);
}

QtDisplay::~QtDisplay() {
    frameTimer_.Stop();
    visibility_.reset();
    keepAbove_.reset();
    windows_.clear();
    hostWatch_.reset();
    host_.reset();
}

void QtDisplay::SetEventSink(DisplayEvents* sink) {
    sink_ = sink;
    if (sink_ != nullptr) RequestFrameWithin(0);
}

QWindow* QtDisplay::window() { return windows_.empty() ? nullptr : windows_.front().get(); }

void QtDisplay::SetPointerHidden(bool hidden) {
    pointerHidden_ = hidden;
    for (const auto& window : windows_) {
        if (hidden) {
            window->setCursor(Qt::BlankCursor);
        } else {
            window->unsetCursor();
        }
    }
}

std::unique_ptr<DisplayWindow> QtDisplay::NewWindow() {
    DisplayWindow::Listener& listener = *this;
    auto window = std::make_unique<DisplayWindow>(FirstCompositor().frame(), listener,
                                                  options_.hostWindow == 0, &sharedFrames_);
    // A new size or screen may want another density: composed anew on the next frame, now.
    auto redraw = [this] { RequestFrameWithin(0); };
    connect(window.get(), &QWindow::widthChanged, this, redraw);
    connect(window.get(), &QWindow::heightChanged, this, redraw);
    connect(window.get(), &QWindow::screenChanged, this, redraw);
    window->setTitle(QStringLiteral("Driftmere"));
    if (pointerHidden_) window->setCursor(Qt::BlankCursor);
    return window;
}

bool QtDisplay::OpenDisplay(int width, int height) {
    if (open_) return true;
    if (!UseScene(width, height)) return false;

    const bool embedded = options_.hostWindow != 0;
    QSize hostSize;
    if (embedded) {
        const auto size = HostWindow::QuerySize(options_.hostWindow);
        if (!size) {
            std::cerr << "driftmere: window " << options_.hostWindow
                      << " cannot be drawn in (not a window, or not on X11)\n";
            return false;
        }
        hostSize = *size;
    } else if (QGuiApplication::primaryScreen() == nullptr) {
        return false;
    }

    visibility_ = std::make_unique<Visibility>([this] { RequestFrameWithin(0); });
    if (embedded) {
        auto window = NewWindow();
        host_.reset(QWindow::fromWinId(options_.hostWindow));
        hostWatch_ = std::make_unique<HostWindow>(
            options_.hostWindow, [this](QSize size) { FollowHost(size); }, [this] { HostGone(); });
        QCoreApplication::instance()->installNativeEventFilter(hostWatch_.get());
        window->setParent(host_.get());
        window->setGeometry(HostedWindowRect(hostSize));
        window->show();
        visibility_->Watch(static_cast<xcb_window_t>(window->winId()));
        windows_.push_back(std::move(window));
    } else {
        keepAbove_ = std::make_unique<KeepAbove>();
        FollowScreens();
        if (windows_.empty()) {
            keepAbove_.reset();
            return false;
        }
        auto* app = qGuiApp;
        for (QScreen* screen : QGuiApplication::screens()) WatchScreen(screen);
        connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
            WatchScreen(screen);
            FollowScreens();
        });
        // By the time this is told the monitor is out of the list; its window must go now,
        // before Qt moves it over the primary monitor's.
        connect(app, &QGuiApplication::screenRemoved, this, &QtDisplay::FollowScreens);
        connect(app, &QGuiApplication::primaryScreenChanged, this, &QtDisplay::FollowScreens);
    }
    ApplyDensity();
    ForEach([](Compositor& c) { c.Invalidate(); });
    StartFpsMeter();
    open_ = true;
    RequestFrameWithin(0);
    return true;
}

void QtDisplay::WatchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &QtDisplay::FollowScreens);
    // The X server's root window grew or shrank: Xinerama heads may have changed with it.
    connect(screen, &QScreen::virtualGeometryChanged, this, &QtDisplay::FollowScreens);
}

// One window per monitor that needs one (MonitorWindows.h, Monitors.h). Windows that stay are moved
// to their monitor's current rectangle; windows that lose their monitor close only after the others
// are in place, and the first window takes the keyboard focus if a closing one had it.
void QtDisplay::FollowScreens() {
    if (options_.hostWindow != 0) return;
    const std::vector<MonitorArea> monitors = CurrentMonitors();
    std::vector<std::uintptr_t> windowMonitors;
    for (const auto& window : windows_) windowMonitors.push_back(window->monitor());
    const auto plan = PlanWindows(windowMonitors, monitors);
    if (!plan) return;

    std::vector<std::unique_ptr<DisplayWindow>> placed;
    for (const WindowPlan::Place& place : plan->places) {
        const MonitorArea& monitor = monitors[place.monitor];
        const QRect area(monitor.x, monitor.y, monitor.width, monitor.height);
        std::unique_ptr<DisplayWindow> window =
            place.window ? std::move(windows_[*place.window]) : NewWindow();
        const bool moves = window->monitor() != monitor.id || window->monitorArea() != area;
        window->SetMonitor(monitor.id, area);
        if (window->isVisible() && !moves) {
            placed.push_back(std::move(window));
            continue;
        }
        // A window manager keeps a full-screen window where it is: leave that state to move.
        if (window->isVisible()) window->showNormal();
        QScreen* screen = ScreenFor(area);
        window->setScreen(screen);
        window->setFlag(Qt::FramelessWindowHint, true);
        // Without a window manager Qt would make the full-screen window 0 x 0.
        window->setGeometry(area);
        // The window maps or moves under the pointer without the pointer moving.
        window->SetPointerStart(QCursor::pos(screen));
        window->showFullScreen();
        if (visibility_) visibility_->Watch(static_cast<xcb_window_t>(window->winId()));
        placed.push_back(std::move(window));
    }
    // What is left in windows_ is the windows that close (and the moved-from empty places).
    std::swap(windows_, placed);
    bool focusCloses = false;
    for (std::size_t i : plan->close) {
        focusCloses = focusCloses || placed[i]->isActive();
    }
    if (keepAbove_) {
        std::vector<WId> ids;
        for (const auto& window : windows_) ids.push_back(window->winId());
        keepAbove_->SetWindows(ids);
    }
    if (focusCloses) windows_.front()->requestActivate();
    placed.clear();
}

void QtDisplay::Tick() {
    // A frame handler that opens a dialog runs a nested event loop; the timer must not start a
    // second frame inside the first.
    if (sink_ == nullptr || !open_ || inFrame_) return;
    // Nobody would see it: no frame, and none set, until a window is shown again.
    if (!Seen()) return;
    ApplyDensity();
    inFrame_ = true;
    sink_->RenderFrame();
    inFrame_ = false;
    ScheduleNextFrame();
}

void QtDisplay::ScheduleNextFrame() {
    if (sink_ == nullptr || !open_) return;
    frameTimer_.WakeWhenDue(sink_->NextFrameDue());
}

bool QtDisplay::Seen() const {
    if (visibility_ && visibility_->MonitorsOff()) return false;
    for (const auto& window : windows_) {
        const bool covered =
            visibility_ && visibility_->Covered(static_cast<xcb_window_t>(window->winId()));
        if (window->isVisible() && !covered) return true;
    }
    return false;
}

void QtDisplay::RequestFrameWithin(int ms) {
    if (!open_ || !Seen()) return;
    frameTimer_.WakeWithin(ms);
}

// One frame per distinct size the windows want, each window showing the one of its own size.
// Checked before every frame, so a window that is resized, moves to a screen of another density or
// comes with a new monitor is drawn anew at the density that now fits, on the next frame.
void QtDisplay::ApplyDensity() {
    std::vector<QSize> wanted;
    for (const auto& window : windows_) wanted.push_back(window->WantedFrameSize(scene()));
    KeepCompositorsFor(wanted);
    for (const auto& window : windows_) window->SetFrame(ForWindow(*window).frame());
}

const Compositor& QtDisplay::ForWindow(const DisplayWindow& window) const {
    const auto k = IndexForSize(window.WantedFrameSize(scene()));
    return k ? *compositors()[*k] : FirstCompositor();
}

void QtDisplay::Flip() {
    if (options_.showFps) DrawFpsLine();
    // The server may still be reading the last frame's parts from the memory drawn into now.
    sharedFrames_.WaitUntilRead();
    const std::vector<QRegion> damage = ComposeEach();
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        const QImage* frame = &windows_[i]->frame();
        for (std::size_t k = 0; k < compositors().size(); ++k) {
            if (&compositors()[k]->frame() != frame) continue;
            if (i == 0) lastDamage_ = damage[k];
            if (!damage[k].isEmpty()) windows_[i]->ShowChanged(damage[k]);
        }
    }
    if (windows_.empty()) lastDamage_ = damage.front();
    sharedFrames_.Flush();
}

// Bounded on every resize as when the window opened: a host that grows huge must not take all
// memory with it.
void QtDisplay::FollowHost(QSize size) {
    const QRect place = HostedWindowRect(size);
    for (const auto& window : windows_) {
        if (place != window->geometry()) window->setGeometry(place);
    }
}

void QtDisplay::HostGone() {
    frameTimer_.Stop();
    open_ = false;
    // Told later, from the event loop: the host code may well delete this display in its slot,
    // and the watcher calling us is part of it.
    QMetaObject::invokeMethod(this, &QtDisplay::hostWindowGone, Qt::QueuedConnection);
}

void QtDisplay::WindowKey(int qtKey) {
    if (sink_) sink_->KeyDown(KeyCodeFor(qtKey));
}

void QtDisplay::WindowClick() {
    if (sink_) sink_->MouseClick();
}

void QtDisplay::WindowExposed() { RequestFrameWithin(0); }

void QtDisplay::WindowPointerMoved() {
    if (sink_) sink_->MouseMove();
}

}  // namespace driftmere
