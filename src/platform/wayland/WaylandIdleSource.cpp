#include "platform/wayland/WaylandIdleSource.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/wayland/CompositorConnection.h"
#include "protocols/ext-idle-notify-v1-client.h"
#include "protocols/kde-idle-client.h"

namespace driftmere::wayland {

// The marker's timeout: the user's idle time is known to within this, and a pause in typing
// shorter than it sends nothing at all.
constexpr std::uint64_t kMarkerMs = 1000;
// The protocols take a 32-bit timeout; --idle asks for a day at most.
constexpr std::uint64_t kLongestTimeoutMs = 0xffffffffu;

struct WaylandIdleSource::Watch {
    WaylandIdleSource* owner = nullptr;
    ext_idle_notification_v1* ext = nullptr;
    org_kde_kwin_idle_timeout* kde = nullptr;
    std::uint64_t timeoutMs = 0;
};

namespace {

using Watch = WaylandIdleSource::Watch;

void OnRegistryGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                      std::uint32_t version) {
    static_cast<WaylandIdleSource*>(data)->OnGlobal(registry, name, interface, version);
}
void OnRegistryGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {OnRegistryGlobal, OnRegistryGlobalRemove};

// The same two events from either protocol's notification object.
template <typename Notification>
void WatchIdled(void* data, Notification*) {
    auto* watch = static_cast<Watch*>(data);
    watch->owner->OnIdled(watch);
}
template <typename Notification>
void WatchResumed(void* data, Notification*) {
    auto* watch = static_cast<Watch*>(data);
    watch->owner->OnResumed(watch);
}
const ext_idle_notification_v1_listener kExtListener = {WatchIdled<ext_idle_notification_v1>,
                                                        WatchResumed<ext_idle_notification_v1>};
const org_kde_kwin_idle_timeout_listener kKdeListener = {WatchIdled<org_kde_kwin_idle_timeout>,
                                                         WatchResumed<org_kde_kwin_idle_timeout>};

void OnSyncDone(void* data, wl_callback*, std::uint32_t) {
    static_cast<WaylandIdleSource*>(data)->OnSoon();
}
const wl_callback_listener kSyncListener = {OnSyncDone};

}  // namespace

WaylandIdleSource::WaylandIdleSource() = default;

WaylandIdleSource::~WaylandIdleSource() {
    if (!display_) return;
    DropWatch(idleWatch_);
    DropWatch(marker_);
    if (soon_) wl_callback_destroy(soon_);
    if (extNotifier_) ext_idle_notifier_v1_destroy(extNotifier_);
    if (kdeIdle_) org_kde_kwin_idle_destroy(kdeIdle_);
    if (seat_) wl_seat_destroy(seat_);
    if (registry_) wl_registry_destroy(registry_);
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

bool WaylandIdleSource::Connect(std::string& problem) {
    display_ = ConnectToCompositor(&problem);
    if (!display_) return false;
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    return SetupRoundTrip(display_, "being set up", &problem);
}

void WaylandIdleSource::OnGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                                 std::uint32_t version) {
    // Version 1 of each is all we use; the first seat is the user's.
    if (!seat_ && std::strcmp(interface, wl_seat_interface.name) == 0) {
        seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (!extNotifier_ && std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
        extNotifier_ = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    } else if (!kdeIdle_ && std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
        kdeIdle_ = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    }
    (void)version;
}

IdleProtocol WaylandIdleSource::protocol() const {
    if (!seat_) return IdleProtocol::None;
    if (extNotifier_) return IdleProtocol::ExtIdleNotify;
    if (kdeIdle_) return IdleProtocol::KdeIdle;
    return IdleProtocol::None;
}

void WaylandIdleSource::Start() {
    if (protocol() == IdleProtocol::None || marker_) return;
    marker_ = MakeWatch(kMarkerMs);
    Flush();
}

void WaylandIdleSource::SetCallbacks(std::function<void()> idleReached,
                                     std::function<void()> activity) {
    idleReached_ = std::move(idleReached);
    activity_ = std::move(activity);
}

int WaylandIdleSource::fd() const { return display_ ? wl_display_get_fd(display_) : -1; }

bool WaylandIdleSource::Dispatch() {
    // Called when the connection is readable, so reading does not block.
    if (wl_display_dispatch(display_) < 0) return false;
    return wl_display_flush(display_) >= 0 || errno == EAGAIN;
}

void WaylandIdleSource::Flush() {
    // A full socket (EAGAIN) sends the rest at the next Dispatch; a lost connection shows there.
    if (display_) wl_display_flush(display_);
}

WaylandIdleSource::Watch* WaylandIdleSource::MakeWatch(std::uint64_t timeoutMs) {
    auto* watch = new Watch;
    watch->owner = this;
    watch->timeoutMs = std::clamp<std::uint64_t>(timeoutMs, 1, kLongestTimeoutMs);
    const auto timeout = static_cast<std::uint32_t>(watch->timeoutMs);
    if (extNotifier_) {
        watch->ext = ext_idle_notifier_v1_get_idle_notification(extNotifier_, timeout, seat_);
        ext_idle_notification_v1_add_listener(watch->ext, &kExtListener, watch);
    } else {
        watch->kde = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, timeout);
        org_kde_kwin_idle_timeout_add_listener(watch->kde, &kKdeListener, watch);
    }
    return watch;
}

void WaylandIdleSource::DropWatch(Watch*& watch) {
    if (!watch) return;
    // Events already on their way for it are dropped with the object.
    if (watch->ext) ext_idle_notification_v1_destroy(watch->ext);
    if (watch->kde) org_kde_kwin_idle_timeout_release(watch->kde);
    delete watch;
    watch = nullptr;
}

std::uint64_t WaylandIdleSource::IdleMs() {
    if (!idleSince_) return 0;
    const auto idle = std::chrono::steady_clock::now() - *idleSince_;
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(idle).count());
}

void WaylandIdleSource::WatchIdle(std::uint64_t ms) {
    idleWatchMs_ = ms;
    idleArmed_ = true;
    ArmIdleWatch();
    Flush();
}

void WaylandIdleSource::ArmIdleWatch() {
    DropWatch(idleWatch_);
    if (soon_) {
        wl_callback_destroy(soon_);
        soon_ = nullptr;
    }
    // A watch counts from when it is made, so an idle time already begun shortens it; should
    // the user come back before it fires, it is made again for the whole time (OnResumed).
    const std::uint64_t idle = IdleMs();
    idleWatchShortened_ = idle > 0;
    if (idle >= idleWatchMs_) {
        // Already idle that long: say so from the event loop, as the compositor would.
        soon_ = wl_display_sync(display_);
        wl_callback_add_listener(soon_, &kSyncListener, this);
        return;
    }
    idleWatch_ = MakeWatch(idleWatchMs_ - idle);
}

void WaylandIdleSource::WatchActivity() { activityArmed_ = true; }

void WaylandIdleSource::OnSoon() {
    wl_callback_destroy(soon_);
    soon_ = nullptr;
    if (idleArmed_) FireIdle();
}

void WaylandIdleSource::FireIdle() {
    idleArmed_ = false;
    if (idleReached_) idleReached_();
}

void WaylandIdleSource::OnIdled(Watch* watch) {
    const auto now = std::chrono::steady_clock::now();
    const auto since = now - std::chrono::milliseconds(watch->timeoutMs);
    if (watch == marker_ || !idleSince_) idleSince_ = since;
    if (watch == idleWatch_ && idleArmed_) FireIdle();
}

void WaylandIdleSource::OnResumed(Watch* watch) {
    // The marker sends idle after every second without input, so it sees any input after one.
    if (watch != marker_) return;
    idleSince_.reset();
    if (idleArmed_ && idleWatchShortened_) {
        ArmIdleWatch();
        Flush();
    }
    if (activityArmed_) {
        activityArmed_ = false;
        if (activity_) activity_();
    }
}

void WaylandIdleSource::ResetIdle() {
    if (marker_ && marker_->kde) org_kde_kwin_idle_timeout_simulate_user_activity(marker_->kde);
    // Our own watches start over from here, whether the compositor heard of it or not.
    const bool wasIdle = idleSince_.has_value();
    idleSince_.reset();
    if (marker_) {
        DropWatch(marker_);
        marker_ = MakeWatch(kMarkerMs);
    }
    if (idleArmed_) ArmIdleWatch();
    Flush();
    if (wasIdle && activityArmed_) {
        activityArmed_ = false;
        if (activity_) activity_();
    }
}

bool WaylandIdleSource::HeldOffBySession() { return alsoHeld_ && alsoHeld_(); }

}  // namespace driftmere::wayland
