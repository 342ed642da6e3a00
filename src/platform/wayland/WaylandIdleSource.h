#pragma once
// The user's idle time from a Wayland compositor's idle protocol: ext_idle_notify_v1 where the
// compositor offers it, else org_kde_kwin_idle. Both only say "no input for this long" and then
// "input again", for a timeout fixed when the watch is made, and both count what the compositor
// counts: an application's idle inhibitor (a video player) holds them off.
//
// So the source keeps two watches on its own small connection: a short one that marks when the
// user's idle time began (and sees the next input), and the one the watcher asked for. Nothing is
// polled; the compositor sends an event when either fires. No toolkit: the owner watches fd() and
// calls Dispatch() when it is readable.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/IdleSource.h"

struct wl_callback;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;

namespace driftmere::wayland {

// The idle protocols a compositor may offer, best first.
enum class IdleProtocol { None, ExtIdleNotify, KdeIdle };

class WaylandIdleSource : public IdleSource {
  public:
    WaylandIdleSource();
    ~WaylandIdleSource() override;
    WaylandIdleSource(const WaylandIdleSource&) = delete;
    WaylandIdleSource& operator=(const WaylandIdleSource&) = delete;

    // Connects to the compositor WAYLAND_DISPLAY names and learns what it offers; false with
    // `problem` set when it cannot be reached.
    bool Connect(std::string& problem);
    // The protocol used (after Connect): None when the compositor offers neither or no seat.
    IdleProtocol protocol() const;
    // Begins marking the user's idle time; only with a protocol.
    void Start();

    // Called from Dispatch when a watch fires.
    void SetCallbacks(std::function<void()> idleReached, std::function<void()> activity);
    // The connection's file descriptor, to watch for reading.
    int fd() const;
    // Reads and handles what the compositor sent; false once the connection is gone.
    bool Dispatch();

    std::uint64_t IdleMs() override;
    void WatchIdle(std::uint64_t ms) override;
    void WatchActivity() override;
    bool HeldOffBySession() override;

    // A hold that HeldOffBySession reports (the desktop's inhibitors, say); the protocols
    // already honour the compositor's own inhibitors.
    void AlsoHeldOffBy(std::function<bool()> held) { alsoHeld_ = std::move(held); }
    // Input as far as the watcher is concerned (a D-Bus SimulateUserActivity); passed on to
    // the compositor where the protocol has a way to.
    void ResetIdle();

    // What the event handlers call.
    struct Watch;
    void OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                  std::uint32_t version);
    void OnIdled(Watch* watch);
    void OnResumed(Watch* watch);
    void OnSoon();

  private:
    using Instant = std::chrono::steady_clock::time_point;

    Watch* MakeWatch(std::uint64_t timeoutMs);
    void DropWatch(Watch*& watch);
    void ArmIdleWatch();
    void FireIdle();
    void Flush();

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    ext_idle_notifier_v1* extNotifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    Watch* marker_ = nullptr;      // the short watch: when idle time began, and the next input
    Watch* idleWatch_ = nullptr;   // the watcher's
    wl_callback* soon_ = nullptr;  // "already idle that long": answered from the event loop
    std::optional<Instant> idleSince_;
    std::uint64_t idleWatchMs_ = 0;
    bool idleArmed_ = false;
    bool idleWatchShortened_ = false;  // made for the rest of an idle time already begun
    bool activityArmed_ = false;
    std::function<void()> idleReached_;
    std::function<void()> activity_;
    std::function<bool()> alsoHeld_;
};

}  // namespace driftmere::wayland
