#pragma once
// The saver's surface on one output: on the layer shell's overlay layer where there is one, else
// a fullscreen xdg toplevel on that output. It follows the compositor's configures, keeps two or
// three shared-memory buffers and draws into each only what it has not shown yet.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/wayland/PixelRegion.h"
#include "platform/wayland/ShmBuffer.h"
#include "platform/wayland/WaylandClient.h"

struct wl_array;
struct wl_callback;
struct wl_compositor;
struct wl_output;
struct wl_shm;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct zwp_idle_inhibit_manager_v1;
struct zwp_idle_inhibitor_v1;

namespace driftmere::wayland {

// What the connection has bound that a surface needs. Either shell may be null, not both.
struct SurfaceGlobals {
    wl_compositor* compositor = nullptr;
    std::uint32_t compositorVersion = 0;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    xdg_wm_base* wmBase = nullptr;
    zwp_idle_inhibit_manager_v1* idleInhibitManager = nullptr;
};

// The largest buffer a compositor can make the saver allocate: a side of at most 16384 device
// pixels and at most 8K UHD's pixel count (three buffers of it are about 400 MB).
constexpr int kMaxBufferSide = 16384;
constexpr std::int64_t kMaxBufferPixels = std::int64_t{7680} * 4320;
constexpr int kMaxScale = 8;

struct SurfaceCallbacks {
    // The surface takes frames of this many device pixels now (first time or changed).
    std::function<void(int width, int height, int scale)> ready;
    // The compositor wants a next frame.
    std::function<void()> frameWanted;
    // The compositor closed the surface; the owner drops it (not from inside this call).
    std::function<void()> closed;
    // A buffer could not be made (one line).
    std::function<void(const std::string&)> problem;
};

class OutputSurface {
  public:
    // `modeWidth` x `modeHeight` (device pixels, 0 when unknown) sizes a toplevel the compositor
    // leaves to the client.
    OutputSurface(const SurfaceGlobals& globals, wl_output* output, int scale, int modeWidth,
                  int modeHeight, SurfaceCallbacks callbacks);
    ~OutputSurface();
    OutputSurface(const OutputSurface&) = delete;
    OutputSurface& operator=(const OutputSurface&) = delete;

    // The output's scale or current mode changed.
    void OutputChanged(int scale, int modeWidth, int modeHeight);
    // Applies what the compositor said in the events just dispatched, raising `ready` once for
    // a new size: a scale change brings a configure and the output's scale in turn, and only
    // the size they make together is announced.
    void Settle();

    bool ready() const { return ready_; }
    bool closed() const { return closed_; }
    wl_surface* surface() const { return surface_; }
    bool FramePending() const { return frameCallback_ != nullptr; }

    // WaylandClient::Present, BeginFrame and PresentBegun for this output.
    void Present(const FramePixels& frame, const std::vector<PixelRect>& changed);
    std::optional<FrameTarget> BeginFrame(const FramePixels& shown,
                                          const std::vector<PixelRect>& changed);
    void PresentBegun(const std::vector<PixelRect>& changed);
    void SetIdleInhibited(bool inhibited);

  private:
    void Configured(int logicalWidth, int logicalHeight);
    void ApplySize();
    ShmBuffer* FreeBuffer();
    // Takes a frame of this size from now on (buffers of another are drawn anew); false for
    // pixels that cannot be a frame, or when the surface takes none.
    bool UseFrame(const FramePixels& frame);
    // `changed` (frame pixels) is missing from every buffer but `holding`, and not yet damaged.
    void Record(const std::vector<PixelRect>& changed, const ShmBuffer* holding);
    // Brings the buffer up to date with `frame`: what it missed, or all of it with the bars.
    void CatchUp(ShmBuffer& buffer, const FramePixels& frame, FramePlacement at);
    // Attaches the buffer, damages what the compositor was not told yet and commits.
    void Commit(ShmBuffer& buffer, FramePlacement at);
    void Damage(const PixelRect& bufferRect);

    static void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                               std::uint32_t width, std::uint32_t height);
    static void LayerClosed(void* data, zwlr_layer_surface_v1* layer);
    static void ToplevelConfigure(void* data, xdg_toplevel* toplevel, std::int32_t width,
                                  std::int32_t height, wl_array* states);
    static void ToplevelClose(void* data, xdg_toplevel* toplevel);
    static void XdgConfigure(void* data, xdg_surface* xdgSurface, std::uint32_t serial);
    static void FrameDone(void* data, wl_callback* callback, std::uint32_t time);

    SurfaceGlobals globals_;
    SurfaceCallbacks callbacks_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    zwp_idle_inhibitor_v1* inhibitor_ = nullptr;
    wl_callback* frameCallback_ = nullptr;

    int scale_ = 1;
    int modeWidth_ = 0;
    int modeHeight_ = 0;
    // The size the compositor gave (surface units; 0 = ours to choose), and what it makes in
    // device pixels.
    int logicalWidth_ = 0;
    int logicalHeight_ = 0;
    int toplevelWidth_ = 0;
    int toplevelHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    int announcedScale_ = 0;
    bool configured_ = false;
    bool sizeChanged_ = false;
    bool ready_ = false;
    bool closed_ = false;

    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    // The frame size the buffers were drawn for.
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    // Changes not yet damaged on the compositor's side: those of frames that found no free
    // buffer. The whole surface after a new size.
    PixelRegion undamaged_;
    bool damageAll_ = true;
    // The buffer BeginFrame gave the owner to compose into, until PresentBegun sends it.
    ShmBuffer* drawing_ = nullptr;
    // A frame was dropped for want of a free buffer: the next release asks for another.
    bool frameDropped_ = false;
};

}  // namespace driftmere::wayland
