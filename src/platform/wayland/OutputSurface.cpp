#include "platform/wayland/OutputSurface.h"

#include <wayland-client.h>

#include <algorithm>
#include <climits>
#include <string>

#include "protocols/idle-inhibit-unstable-v1-client.h"
#include "protocols/wlr-layer-shell-unstable-v1-client.h"
#include "protocols/xdg-shell-client.h"

namespace driftmere::wayland {
namespace {

// A surface keeps at most this many buffers: one shown, one the compositor may still read, one
// to draw into.
constexpr std::size_t kMaxBuffers = 3;
// A toplevel the compositor leaves to us on an output of unknown size.
constexpr int kFallbackWidth = 800;
constexpr int kFallbackHeight = 600;

int ClampScale(int scale) { return std::clamp(scale, 1, kMaxScale); }

// A size the compositor chose, in surface units: 0 (ours to choose) when not positive, and
// never past what the largest buffer could show.
int BoundedLogical(std::int64_t size) {
    return static_cast<int>(std::clamp<std::int64_t>(size, 0, kMaxBufferSide));
}

// Whether `frame` lies in the buffer's own memory: the owner composed it there.
bool Holds(const ShmBuffer& buffer, const FramePixels& frame) {
    const BufferPixels memory = buffer.pixels();
    const auto begin = reinterpret_cast<std::uintptr_t>(memory.pixels);
    const auto at = reinterpret_cast<std::uintptr_t>(frame.pixels);
    return at >= begin && at - begin < static_cast<std::uintptr_t>(memory.height) * memory.stride;
}

}  // namespace

OutputSurface::OutputSurface(const SurfaceGlobals& globals, wl_output* output, int scale,
                             int modeWidth, int modeHeight, SurfaceCallbacks callbacks)
    : globals_(globals),
      callbacks_(std::move(callbacks)),
      scale_(ClampScale(scale)),
      modeWidth_(modeWidth),
      modeHeight_(modeHeight) {
    surface_ = wl_compositor_create_surface(globals_.compositor);
    if (globals_.layerShell != nullptr) {
        static const zwlr_layer_surface_v1_listener listener = {
            .configure = &OutputSurface::LayerConfigure,
            .closed = &OutputSurface::LayerClosed,
        };
        layer_ = zwlr_layer_shell_v1_get_layer_surface(
            globals_.layerShell, surface_, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "driftmere");
        zwlr_layer_surface_v1_add_listener(layer_, &listener, this);
        zwlr_layer_surface_v1_set_size(layer_, 0, 0);
        zwlr_layer_surface_v1_set_anchor(
            layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                        ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // Over every other surface's exclusive zone (panels), edge to edge.
        zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    } else {
        static const xdg_surface_listener surfaceListener = {
            .configure = &OutputSurface::XdgConfigure,
        };
        static const xdg_toplevel_listener toplevelListener = {
            .configure = &OutputSurface::ToplevelConfigure,
            .close = &OutputSurface::ToplevelClose,
            .configure_bounds = nullptr,  // not sent at the version bound
            .wm_capabilities = nullptr,
        };
        xdgSurface_ = xdg_wm_base_get_xdg_surface(globals_.wmBase, surface_);
        xdg_surface_add_listener(xdgSurface_, &surfaceListener, this);
        toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
        xdg_toplevel_add_listener(toplevel_, &toplevelListener, this);
        xdg_toplevel_set_title(toplevel_, "Driftmere");
        xdg_toplevel_set_app_id(toplevel_, "driftmere");
        xdg_toplevel_set_fullscreen(toplevel_, output);
    }
    if (globals_.compositorVersion >= 3) wl_surface_set_buffer_scale(surface_, scale_);
    // The first commit carries no buffer: it asks the compositor for a configure.
    wl_surface_commit(surface_);
}

OutputSurface::~OutputSurface() {
    if (inhibitor_ != nullptr) zwp_idle_inhibitor_v1_destroy(inhibitor_);
    if (frameCallback_ != nullptr) wl_callback_destroy(frameCallback_);
    buffers_.clear();
    if (layer_ != nullptr) zwlr_layer_surface_v1_destroy(layer_);
    if (toplevel_ != nullptr) xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_ != nullptr) xdg_surface_destroy(xdgSurface_);
    wl_surface_destroy(surface_);
}

void OutputSurface::OutputChanged(int scale, int modeWidth, int modeHeight) {
    scale_ = ClampScale(scale);
    modeWidth_ = modeWidth;
    modeHeight_ = modeHeight;
    sizeChanged_ = configured_;
}

void OutputSurface::Settle() {
    if (!sizeChanged_ || closed_) return;
    sizeChanged_ = false;
    ApplySize();
}

void OutputSurface::LayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                                   std::uint32_t width, std::uint32_t height) {
    auto* self = static_cast<OutputSurface*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    self->Configured(BoundedLogical(width), BoundedLogical(height));
}

void OutputSurface::LayerClosed(void* data, zwlr_layer_surface_v1*) {
    auto* self = static_cast<OutputSurface*>(data);
    self->closed_ = true;
    self->callbacks_.closed();
}

void OutputSurface::ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width,
                                      std::int32_t height, wl_array*) {
    // Applies with the xdg_surface configure that ends this group of events.
    auto* self = static_cast<OutputSurface*>(data);
    self->toplevelWidth_ = BoundedLogical(width);
    self->toplevelHeight_ = BoundedLogical(height);
}

void OutputSurface::ToplevelClose(void* data, xdg_toplevel*) {
    // A fullscreen saver the desktop asks to close (GNOME's window menu, a keyboard shortcut)
    // goes from that output, as a closed layer surface does.
    LayerClosed(data, nullptr);
}

void OutputSurface::XdgConfigure(void* data, xdg_surface* xdgSurface, std::uint32_t serial) {
    auto* self = static_cast<OutputSurface*>(data);
    xdg_surface_ack_configure(xdgSurface, serial);
    self->Configured(self->toplevelWidth_, self->toplevelHeight_);
}

void OutputSurface::Configured(int logicalWidth, int logicalHeight) {
    if (closed_) return;
    logicalWidth_ = logicalWidth;
    logicalHeight_ = logicalHeight;
    configured_ = true;
    sizeChanged_ = true;
}

void OutputSurface::ApplySize() {
    // A side the compositor left to us: the output's mode, else a modest default.
    auto chosen = [&](int given, int mode, int fallback) {
        if (given > 0) return given;
        return mode > 0 ? (mode + scale_ - 1) / scale_ : fallback;
    };
    int logicalWidth =
        std::min(chosen(logicalWidth_, modeWidth_, kFallbackWidth), kMaxBufferSide / scale_);
    int logicalHeight =
        std::min(chosen(logicalHeight_, modeHeight_, kFallbackHeight), kMaxBufferSide / scale_);
    const std::int64_t scaleSquared = std::int64_t{scale_} * scale_;
    if (std::int64_t{logicalWidth} * logicalHeight * scaleSquared > kMaxBufferPixels) {
        logicalHeight = static_cast<int>(std::max<std::int64_t>(
            1, kMaxBufferPixels / (std::int64_t{logicalWidth} * scaleSquared)));
    }
    const int width = logicalWidth * scale_;
    const int height = logicalHeight * scale_;
    if (ready_ && width == width_ && height == height_ && scale_ == announcedScale_) return;

    width_ = width;
    height_ = height;
    announcedScale_ = scale_;
    ready_ = true;
    if (globals_.compositorVersion >= 3) wl_surface_set_buffer_scale(surface_, scale_);
    // Nothing behind the saver needs drawing.
    wl_region* opaque = wl_compositor_create_region(globals_.compositor);
    wl_region_add(opaque, 0, 0, logicalWidth, logicalHeight);
    wl_surface_set_opaque_region(surface_, opaque);
    wl_region_destroy(opaque);
    drawing_ = nullptr;
    buffers_.clear();
    frameWidth_ = frameHeight_ = 0;
    undamaged_.Clear();
    damageAll_ = true;
    callbacks_.ready(width_, height_, scale_);
}

ShmBuffer* OutputSurface::FreeBuffer() {
    // The free buffer that lacks least of the last frame: with a compositor that lets go of a
    // buffer once it has read it, the one just sent, which lacks nothing.
    ShmBuffer* best = nullptr;
    long long bestLacks = 0;
    for (auto& buffer : buffers_) {
        if (buffer->busy) continue;
        const long long lacks = buffer->stale ? LLONG_MAX : buffer->missed.area();
        if (best == nullptr || lacks < bestLacks) {
            best = buffer.get();
            bestLacks = lacks;
        }
    }
    if (best != nullptr) return best;
    if (buffers_.size() >= kMaxBuffers) return nullptr;
    std::string problem;
    std::unique_ptr<ShmBuffer> made = ShmBuffer::Create(globals_.shm, width_, height_, &problem);
    if (made == nullptr) {
        callbacks_.problem(problem);
        return nullptr;
    }
    made->onRelease = [this] {
        // A frame dropped for want of a buffer is asked for again now, unless the frame
        // callback will ask anyway.
        if (frameDropped_ && frameCallback_ == nullptr) {
            frameDropped_ = false;
            callbacks_.frameWanted();
        }
    };
    buffers_.push_back(std::move(made));
    return buffers_.back().get();
}

void OutputSurface::Damage(const PixelRect& rect) {
    if (IsEmpty(rect)) return;
    if (globals_.compositorVersion >= 4) {
        wl_surface_damage_buffer(surface_, rect.x, rect.y, rect.width, rect.height);
        return;
    }
    // Older compositors take surface units: round outwards.
    const int left = rect.x / scale_;
    const int top = rect.y / scale_;
    const int right = (rect.x + rect.width + scale_ - 1) / scale_;
    const int bottom = (rect.y + rect.height + scale_ - 1) / scale_;
    wl_surface_damage(surface_, left, top, right - left, bottom - top);
}

bool OutputSurface::UseFrame(const FramePixels& frame) {
    if (!ready_ || closed_) return false;
    if (frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0 ||
        frame.stride < std::int64_t{frame.width} * 4) {
        return false;
    }
    if (frame.width != frameWidth_ || frame.height != frameHeight_) {
        for (auto& buffer : buffers_) buffer->stale = true;
        frameWidth_ = frame.width;
        frameHeight_ = frame.height;
        damageAll_ = true;
    }
    return true;
}

void OutputSurface::Record(const std::vector<PixelRect>& changed, const ShmBuffer* holding) {
    // What changed, cut to the frame and made disjoint once, goes into each buffer's missed
    // region and into what the compositor has not been told: overlapping changes of one frame
    // or of the frames a buffer missed are copied and damaged once.
    PixelRegion change;
    for (const PixelRect& rect : changed) change.Add(ClipRect(rect, frameWidth_, frameHeight_));
    if (change.empty()) return;
    for (auto& buffer : buffers_) {
        if (!buffer->stale && buffer.get() != holding) buffer->missed.Add(change);
    }
    undamaged_.Add(change);
}

void OutputSurface::CatchUp(ShmBuffer& buffer, const FramePixels& frame, FramePlacement at) {
    if (buffer.stale) {
        PaintBars(buffer.pixels(), frame.width, frame.height, at);
        // What it shows differs from the last buffer only where the frame changed.
        CopyFrameArea(frame, {0, 0, frame.width, frame.height}, at, buffer.pixels());
    } else if (!Holds(buffer, frame)) {
        for (const PixelRect& rect : buffer.missed.rects()) {
            CopyFrameArea(frame, rect, at, buffer.pixels());
        }
    }
    buffer.missed.Clear();
    buffer.stale = false;
}

void OutputSurface::Present(const FramePixels& frame, const std::vector<PixelRect>& changed) {
    drawing_ = nullptr;
    if (!UseFrame(frame)) return;
    Record(changed, nullptr);
    ShmBuffer* buffer = FreeBuffer();
    if (buffer == nullptr) {
        // Every buffer is still read: this frame's changes wait in each buffer's region.
        frameDropped_ = true;
        return;
    }
    const FramePlacement at = CentreFrame(frame.width, frame.height, width_, height_);
    CatchUp(*buffer, frame, at);
    Commit(*buffer, at);
}

std::optional<FrameTarget> OutputSurface::BeginFrame(const FramePixels& shown,
                                                     const std::vector<PixelRect>& changed) {
    drawing_ = nullptr;
    if (!UseFrame(shown)) return std::nullopt;
    const FramePlacement at = CentreFrame(shown.width, shown.height, width_, height_);
    // A frame cut at the surface's edges is copied, the part that shows.
    if (at.x < 0 || at.y < 0) return std::nullopt;
    ShmBuffer* buffer = FreeBuffer();
    if (buffer == nullptr) return std::nullopt;
    Record(changed, nullptr);
    CatchUp(*buffer, shown, at);
    drawing_ = buffer;
    const BufferPixels memory = buffer->pixels();
    return FrameTarget{memory.pixels + static_cast<std::size_t>(at.y) * memory.stride +
                           static_cast<std::size_t>(at.x) * 4,
                       shown.width, shown.height, memory.stride, buffer->mapping()};
}

void OutputSurface::PresentBegun(const std::vector<PixelRect>& changed) {
    ShmBuffer* buffer = drawing_;
    drawing_ = nullptr;
    if (buffer == nullptr || !ready_ || closed_) return;
    Record(changed, buffer);
    Commit(*buffer, CentreFrame(frameWidth_, frameHeight_, width_, height_));
}

void OutputSurface::Commit(ShmBuffer& buffer, FramePlacement at) {
    buffer.busy = true;
    wl_surface_attach(surface_, buffer.buffer(), 0, 0);
    if (damageAll_) {
        Damage({0, 0, width_, height_});
    } else {
        for (const PixelRect& rect : undamaged_.rects()) {
            Damage(
                ClipRect({rect.x + at.x, rect.y + at.y, rect.width, rect.height}, width_, height_));
        }
    }
    undamaged_.Clear();
    damageAll_ = false;
    frameDropped_ = false;
    if (frameCallback_ == nullptr) {
        static const wl_callback_listener listener = {.done = &OutputSurface::FrameDone};
        frameCallback_ = wl_surface_frame(surface_);
        wl_callback_add_listener(frameCallback_, &listener, this);
    }
    wl_surface_commit(surface_);
}

void OutputSurface::FrameDone(void* data, wl_callback* callback, std::uint32_t) {
    auto* self = static_cast<OutputSurface*>(data);
    wl_callback_destroy(callback);
    self->frameCallback_ = nullptr;
    self->callbacks_.frameWanted();
}

void OutputSurface::SetIdleInhibited(bool inhibited) {
    if (inhibited && inhibitor_ == nullptr && globals_.idleInhibitManager != nullptr) {
        inhibitor_ =
            zwp_idle_inhibit_manager_v1_create_inhibitor(globals_.idleInhibitManager, surface_);
    } else if (!inhibited && inhibitor_ != nullptr) {
        zwp_idle_inhibitor_v1_destroy(inhibitor_);
        inhibitor_ = nullptr;
    }
}

}  // namespace driftmere::wayland
