#pragma once
// The X11 side of showing the saver inside another program's window (a preview pane, a screen
// saver daemon's window): the host's size, and news of its resizing and destruction.
//
// Qt cannot tell the size of a window it did not create (a foreign window reads 0 x 0), so the
// X server is asked directly, and the host's structure events are selected on our connection so
// that a resize or the host's end reaches us.
#include <QAbstractNativeEventFilter>
#include <QSize>
#include <QWindow>
#include <functional>
#include <optional>

namespace driftmere {

class HostWindow : public QAbstractNativeEventFilter {
  public:
    // Nullopt when the application is not on X11 or `id` is not a window.
    static std::optional<QSize> QuerySize(WId id);

    // Starts watching `id`. The callbacks run from inside the event dispatch.
    HostWindow(WId id, std::function<void(QSize)> resized, std::function<void()> gone);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    WId id_;
    std::function<void(QSize)> resized_;
    std::function<void()> gone_;
};

}  // namespace driftmere
