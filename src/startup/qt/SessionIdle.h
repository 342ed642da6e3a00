#pragma once
// The idle sources `driftmere --idle` can use, behind one face: the idle time itself (IdleSource)
// and what the watcher's shell needs beside it.
#include <QDBusConnection>
#include <functional>
#include <memory>
#include <string>

#include "platform/IdleSource.h"
#include "startup/IdleSourceChoice.h"

namespace driftmere {

class SessionIdleSource : public IdleSource {
  public:
    virtual IdleSourceKind kind() const = 0;
    // From the event loop: a watch fired, or the session's server went away (`gone`, with a
    // few words saying which), after which nothing more comes.
    virtual void SetCallbacks(std::function<void()> idleReached, std::function<void()> activity,
                              std::function<void(const std::string&)> gone) = 0;
    // The screen-saver host that already runs here, in a few words (empty: none).
    virtual std::string SaverHostRunning() = 0;
    // A further hold that HeldOffBySession reports: the desktop's inhibitors, say.
    virtual void AlsoHeldOffBy(std::function<bool()> held) = 0;
    // Input as far as the idle time is concerned (a D-Bus SimulateUserActivity).
    virtual void ResetIdle() = 0;
};

namespace wayland {
class WaylandIdleSource;
}

// The adapters; each takes a source that is open already.
std::unique_ptr<SessionIdleSource> X11SessionIdle(std::string& problem);
std::unique_ptr<SessionIdleSource> WaylandSessionIdle(
    std::unique_ptr<wayland::WaylandIdleSource> source);
std::unique_ptr<SessionIdleSource> MutterSessionIdle(QDBusConnection bus, std::string& problem);

}  // namespace driftmere
