#pragma once
// Whether anyone can see the saver's windows, on X11: the X server says when a window is wholly
// covered by others (a visibility event; with a compositing manager every window counts as
// uncovered, and nothing is saved), and whether the monitors are switched off (DPMS, asked
// once a second, since that state sends no event). Elsewhere every window counts as seen.
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QTimer>
#include <functional>
#include <unordered_set>

namespace driftmere {

class Visibility : public QAbstractNativeEventFilter {
  public:
    // `shown` is called from the event dispatch when a window is no longer wholly covered, or
    // the monitors come on again.
    explicit Visibility(std::function<void()> shown);
    ~Visibility() override;

    // Starts hearing whether `window` (ours) is covered. Without X11 this does nothing.
    void Watch(xcb_window_t window);
    bool Covered(xcb_window_t window) const { return covered_.count(window) != 0; }
    bool MonitorsOff() const { return monitorsOff_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void CheckMonitors();

    std::function<void()> shown_;
    std::unordered_set<xcb_window_t> covered_;
    bool monitorsOff_ = false;
    QTimer monitorCheck_;
};

}  // namespace driftmere
