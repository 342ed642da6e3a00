#include "platform/wayland/WaylandClient.h"

#include <sys/stat.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/wayland/CompositorConnection.h"
#include "platform/wayland/OutputSurface.h"
#include "platform/wayland/SeatInput.h"
#include "protocols/idle-inhibit-unstable-v1-client.h"
#include "protocols/wlr-layer-shell-unstable-v1-client.h"
#include "protocols/xdg-shell-client.h"

namespace driftmere::wayland {
namespace {

class Connection;

struct Output {
    Connection* connection = nullptr;
    OutputId name = 0;
    wl_output* output = nullptr;
    std::uint32_t version = 0;
    // What the compositor has said since its last done, and what applies.
    int pendingScale = 1;
    int pendingWidth = 0;
    int pendingHeight = 0;
    int scale = 1;
    int modeWidth = 0;
    int modeHeight = 0;
    bool described = false;
    bool removed = false;
    // The compositor closed its surface: it gets no other while the output stays.
    bool closed = false;
    std::unique_ptr<OutputSurface> surface;
    // SurfaceReady was raised, so SurfaceGone is owed.
    bool announced = false;
};

class Connection final : public WaylandClient {
  public:
    Connection(ClientEvents& events, wl_display* display) : events_(events), display_(display) {}
    ~Connection() override;

    bool Start(std::string* problem);
    // Waits until the compositor has handled every request sent so far, dispatching what it
    // sends meanwhile, for at most `timeoutMs`.

    int fd() const override { return disconnected_ ? -1 : wl_display_get_fd(display_); }
    void Dispatch() override;
    void Flush() override;
    void Present(OutputId output, const FramePixels& frame,
                 const std::vector<PixelRect>& changed) override;
    std::optional<FrameTarget> BeginFrame(OutputId output, const FramePixels& shown,
                                          const std::vector<PixelRect>& changed) override;
    void PresentBegun(OutputId output, const std::vector<PixelRect>& changed) override;
    bool FramePending(OutputId output) const override;
    bool SetIdleInhibited(bool inhibited) override;
    bool AboveEverything() const override { return globals_.layerShell != nullptr; }

    void OutputDescribed(Output& output);

  private:
    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void GlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
    void AddOutput(std::uint32_t name, std::uint32_t version);
    void Cover(Output& output);
    void DropGone();
    Output* Find(OutputId name) const;
    // The surface of a live output, or null.
    OutputSurface* SurfaceOf(OutputId name) const;
    void Broken();

    ClientEvents& events_;
    wl_display* display_;
    wl_registry* registry_ = nullptr;
    SurfaceGlobals globals_;
    std::unique_ptr<SeatInput> seat_;
    std::vector<std::unique_ptr<Output>> outputs_;
    // Surfaces are made once Connect has seen every global, and raise events only from the
    // first Dispatch on, when the owner holds the client.
    bool covering_ = false;
    bool inhibited_ = false;
    bool disconnected_ = false;
};

const wl_output_listener kOutputListener = {
    .geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                   std::int32_t, const char*, const char*, std::int32_t) {},
    .mode =
        [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
           std::int32_t) {
            if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
            auto* output = static_cast<Output*>(data);
            output->pendingWidth = std::clamp(width, 0, kMaxBufferSide);
            output->pendingHeight = std::clamp(height, 0, kMaxBufferSide);
        },
    .done =
        [](void* data, wl_output*) {
            auto* output = static_cast<Output*>(data);
            output->connection->OutputDescribed(*output);
        },
    .scale =
        [](void* data, wl_output*, std::int32_t factor) {
            static_cast<Output*>(data)->pendingScale = std::clamp(factor, 1, kMaxScale);
        },
    .name = nullptr,  // version 4: not bound
    .description = nullptr,
};

void Connection::Global(void* data, wl_registry* registry, std::uint32_t name,
                        const char* interface, std::uint32_t version) {
    auto* self = static_cast<Connection*>(data);
    auto bind = [&](const wl_interface* kind, std::uint32_t highest) {
        return wl_registry_bind(registry, name, kind, std::min(version, highest));
    };
    SurfaceGlobals& g = self->globals_;
    const std::string_view what = interface;
    if (what == wl_compositor_interface.name && g.compositor == nullptr) {
        // 3 for the buffer scale, 4 for damage in buffer pixels.
        g.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
        g.compositorVersion = std::min<std::uint32_t>(version, 4);
    } else if (what == wl_shm_interface.name && g.shm == nullptr) {
        g.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (what == zwlr_layer_shell_v1_interface.name && g.layerShell == nullptr) {
        g.layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 4));
    } else if (what == xdg_wm_base_interface.name && g.wmBase == nullptr) {
        static const xdg_wm_base_listener listener = {
            .ping = [](void*, xdg_wm_base* base, std::uint32_t serial) {
                xdg_wm_base_pong(base, serial);
            }};
        g.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 2));
        xdg_wm_base_add_listener(g.wmBase, &listener, nullptr);
    } else if (what == zwp_idle_inhibit_manager_v1_interface.name &&
               g.idleInhibitManager == nullptr) {
        g.idleInhibitManager = static_cast<zwp_idle_inhibit_manager_v1*>(
            bind(&zwp_idle_inhibit_manager_v1_interface, 1));
    } else if (what == wl_seat_interface.name && self->seat_ == nullptr) {
        // The first seat only: one keyboard and one pointer are enough to end the saver.
        self->seat_ = std::make_unique<SeatInput>(
            static_cast<wl_seat*>(bind(&wl_seat_interface, 5)), name, self->events_);
    } else if (what == wl_output_interface.name) {
        self->AddOutput(name, version);
    }
}

void Connection::GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<Connection*>(data);
    // Dropped after the dispatch, outside any of its handlers.
    if (Output* output = self->Find(name)) output->removed = true;
    if (self->seat_ != nullptr && self->seat_->name() == name) self->seat_.reset();
}

void Connection::AddOutput(std::uint32_t name, std::uint32_t version) {
    auto output = std::make_unique<Output>();
    output->connection = this;
    output->name = name;
    // 2 for the scale and the done event, 3 for release.
    output->version = std::min<std::uint32_t>(version, 3);
    output->output = static_cast<wl_output*>(
        wl_registry_bind(registry_, name, &wl_output_interface, output->version));
    wl_output_add_listener(output->output, &kOutputListener, output.get());
    outputs_.push_back(std::move(output));
    // Version 1 sends no done: what it says comes with the bind.
    if (version < 2) OutputDescribed(*outputs_.back());
}

void Connection::OutputDescribed(Output& output) {
    output.scale = output.pendingScale;
    output.modeWidth = output.pendingWidth;
    output.modeHeight = output.pendingHeight;
    output.described = true;
    if (output.surface != nullptr) {
        output.surface->OutputChanged(output.scale, output.modeWidth, output.modeHeight);
    } else if (covering_ && !output.removed && !output.closed) {
        Cover(output);
    }
}

void Connection::Cover(Output& output) {
    Output* target = &output;
    SurfaceCallbacks callbacks;
    callbacks.ready = [this, target](int width, int height, int scale) {
        target->announced = true;
        events_.SurfaceReady(target->name, width, height, scale);
    };
    callbacks.frameWanted = [this, target] { events_.FrameWanted(target->name); };
    // Dropped after the dispatch, like a removed output.
    callbacks.closed = [] {};
    callbacks.problem = [this](const std::string& why) {
        if (!disconnected_) {
            disconnected_ = true;
            events_.Disconnected(why);
        }
    };
    output.surface =
        std::make_unique<OutputSurface>(globals_, output.output, output.scale, output.modeWidth,
                                        output.modeHeight, std::move(callbacks));
    output.surface->SetIdleInhibited(inhibited_);
}

void Connection::DropGone() {
    for (auto it = outputs_.begin(); it != outputs_.end();) {
        Output& output = **it;
        const bool closed = output.surface != nullptr && output.surface->closed();
        if (!output.removed && !closed) {
            ++it;
            continue;
        }
        output.surface.reset();
        if (output.announced) {
            output.announced = false;
            events_.SurfaceGone(output.name);
        }
        if (!output.removed) {
            // A closed surface on an output that stays: the output is kept without one.
            output.closed = true;
            ++it;
            continue;
        }
        if (output.version >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
            wl_output_release(output.output);
        } else {
            wl_output_destroy(output.output);
        }
        it = outputs_.erase(it);
    }
}

Output* Connection::Find(OutputId name) const {
    for (const auto& output : outputs_) {
        if (output->name == name) return output.get();
    }
    return nullptr;
}

bool Connection::Start(std::string* problem) {
    static const wl_registry_listener listener = {
        .global = &Connection::Global,
        .global_remove = &Connection::GlobalRemove,
    };
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &listener, this);
    // The first round trip lists the globals; the second brings what the bound outputs and the
    // seat say about themselves.
    for (int round = 0; round < 2; ++round) {
        if (!SetupRoundTrip(display_, "being set up", problem)) return false;
    }
    if (globals_.compositor == nullptr || globals_.shm == nullptr) {
        *problem = "the Wayland compositor offers no surfaces in shared memory";
        return false;
    }
    if (globals_.layerShell == nullptr && globals_.wmBase == nullptr) {
        *problem = "the Wayland compositor offers neither a layer shell nor xdg toplevels";
        return false;
    }
    DropGone();
    covering_ = true;
    for (auto& output : outputs_) {
        if (output->described && output->surface == nullptr) Cover(*output);
    }
    wl_display_flush(display_);
    return true;
}

Connection::~Connection() {
    outputs_.clear();  // surfaces first, then the outputs they were on
    seat_.reset();
    if (globals_.idleInhibitManager != nullptr) {
        zwp_idle_inhibit_manager_v1_destroy(globals_.idleInhibitManager);
    }
    if (globals_.layerShell != nullptr) {
        if (zwlr_layer_shell_v1_get_version(globals_.layerShell) >=
            ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
            zwlr_layer_shell_v1_destroy(globals_.layerShell);
        } else {
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(globals_.layerShell));
        }
    }
    if (globals_.wmBase != nullptr) xdg_wm_base_destroy(globals_.wmBase);
    if (globals_.shm != nullptr) wl_shm_destroy(globals_.shm);
    if (globals_.compositor != nullptr) wl_compositor_destroy(globals_.compositor);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    if (!disconnected_) wl_display_flush(display_);
    wl_display_disconnect(display_);
}

void Connection::Broken() {
    if (disconnected_) return;
    disconnected_ = true;
    const int error = wl_display_get_error(display_);
    std::string why;
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
        why = "the Wayland compositor ended the connection over protocol error " +
              std::to_string(code) + " on " + (interface != nullptr ? interface->name : "?") + "@" +
              std::to_string(id);
    } else if (error == EPIPE || error == ECONNRESET || error == 0) {
        why = "the Wayland compositor closed the connection";
    } else {
        why =
            std::string("the connection to the Wayland compositor failed: ") + std::strerror(error);
    }
    events_.Disconnected(why);
}

void Connection::Dispatch() {
    if (disconnected_) return;
    // Read only what is there: the owner calls this when the descriptor is readable, or with
    // each frame whatever came. libwayland reads without waiting (an empty socket reads as
    // nothing), so no poll is needed first; a hang-up reads as an error, once.
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) return Broken();
    }
    if (wl_display_read_events(display_) < 0) return Broken();
    if (wl_display_dispatch_pending(display_) < 0) return Broken();
    DropGone();
    for (auto& output : outputs_) {
        if (output->surface != nullptr) output->surface->Settle();
    }
    Flush();
}

void Connection::Flush() {
    if (disconnected_) return;
    // A full socket (EAGAIN) keeps the rest queued for the next flush.
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) Broken();
}

OutputSurface* Connection::SurfaceOf(OutputId name) const {
    if (disconnected_) return nullptr;
    Output* output = Find(name);
    if (output == nullptr || output->removed) return nullptr;
    return output->surface.get();
}

void Connection::Present(OutputId name, const FramePixels& frame,
                         const std::vector<PixelRect>& changed) {
    if (OutputSurface* surface = SurfaceOf(name)) surface->Present(frame, changed);
}

std::optional<FrameTarget> Connection::BeginFrame(OutputId name, const FramePixels& shown,
                                                  const std::vector<PixelRect>& changed) {
    OutputSurface* surface = SurfaceOf(name);
    return surface != nullptr ? surface->BeginFrame(shown, changed) : std::nullopt;
}

void Connection::PresentBegun(OutputId name, const std::vector<PixelRect>& changed) {
    if (OutputSurface* surface = SurfaceOf(name)) surface->PresentBegun(changed);
}

bool Connection::FramePending(OutputId name) const {
    const Output* output = Find(name);
    return output != nullptr && output->surface != nullptr && output->surface->FramePending();
}

bool Connection::SetIdleInhibited(bool inhibited) {
    if (globals_.idleInhibitManager == nullptr) return false;
    inhibited_ = inhibited;
    for (auto& output : outputs_) {
        if (output->surface != nullptr) output->surface->SetIdleInhibited(inhibited);
    }
    return true;
}

}  // namespace

std::unique_ptr<WaylandClient> WaylandClient::Connect(ClientEvents& events, std::string* problem) {
    wl_display* display = ConnectToCompositor(problem);
    if (display == nullptr) return nullptr;
    auto connection = std::make_unique<Connection>(events, display);
    if (!connection->Start(problem)) return nullptr;
    return connection;
}

}  // namespace driftmere::wayland
