#pragma once
// The saver as a client of a Wayland compositor, with no toolkit and no X connection: a surface
// on every output, above everything else where the compositor offers the layer shell (overlay
// layer, anchored to every edge, exclusive keyboard), else a fullscreen toplevel on that output
// (GNOME). It shows pixels its owner composed, in shared-memory buffers it reuses, and reports
// keys, clicks and pointer motion from any output with the pointer hidden. Outputs that come or
// go while it runs gain or lose their surface.
//
// The owner runs the event loop: it watches fd() and calls Dispatch() when it is readable, and
// Flush() after presenting. Events are raised from inside Dispatch() (and Present(), for a
// buffer that cannot be made); the owner may present from them but must not destroy the client
// there. Connect() raises none.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace driftmere::wayland {

// An output, by the name the compositor's registry gave its wl_output.
using OutputId = std::uint32_t;

// A rectangle in a surface's device pixels.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// XRGB8888 pixels the owner composed: `width` x `height`, `stride` bytes from one row to the next.
struct FramePixels {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Where the owner may compose the next frame of an output itself: the frame's place in a buffer
// of its surface (`stride` bytes a row), holding the last frame the owner composed. `keep` keeps
// the memory valid for as long as it is held, even after the surface has let the buffer go.
struct FrameTarget {
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    std::shared_ptr<void> keep;
};

class ClientEvents {
  public:
    virtual ~ClientEvents() = default;
    // The output's surface is ready for frames of `width` x `height` device pixels (the output's
    // size times its scale); called again when that changes. Until then nothing is presented.
    virtual void SurfaceReady(OutputId output, int width, int height, int scale) = 0;
    // The output and its surface are gone (the output was removed, or the compositor closed the
    // surface). Only for an output that had SurfaceReady.
    virtual void SurfaceGone(OutputId output) = 0;
    // The compositor has shown the last frame presented on this output and would show a next one
    // now (its frame callback). An output that is not seen (switched off, hidden) sends none.
    virtual void FrameWanted(OutputId output) = 0;
    // A key was pressed: the code as the saver reads it (platform/xkb/SaverKeys.h).
    virtual void KeyDown(std::int16_t code) = 0;
    virtual void Click() = 0;
    // The pointer moved to another place on some output (its first report after entering a
    // surface only says where it is, and is not counted).
    virtual void PointerMoved() = 0;
    // The compositor went away or broke the connection, or no buffer could be made for a frame;
    // nothing more comes, and fd() is -1 from then on. `why` is one line.
    virtual void Disconnected(const std::string& why) = 0;
};

class WaylandClient {
  public:
    virtual ~WaylandClient() = default;

    // Connects to the compositor named by WAYLAND_DISPLAY (a name in XDG_RUNTIME_DIR, or an
    // absolute path) and starts covering every output. Null with *problem set (one line) when
    // there is no compositor to reach or it offers no way to cover an output.
    static std::unique_ptr<WaylandClient> Connect(ClientEvents& events, std::string* problem);

    // The connection's file descriptor, to watch for reading; -1 once disconnected.
    virtual int fd() const = 0;
    // Reads and handles whatever the compositor sent; events are raised from inside.
    virtual void Dispatch() = 0;
    // Sends whatever is queued (call after presenting, and before waiting on fd()).
    virtual void Flush() = 0;

    // Shows `frame` centred on the output's surface with black bars around it, redrawing at least
    // the `changed` rectangles (frame pixels; the whole frame the first time and after
    // SurfaceReady) in a buffer the compositor is not reading, then commits with a frame callback.
    // Only the changed rectangles are damaged. A frame larger than the surface is cut evenly on
    // both sides. When all three buffers are still read, the frame is dropped and its changes
    // kept; FrameWanted follows when one is free.
    virtual void Present(OutputId output, const FramePixels& frame,
                         const std::vector<PixelRect>& changed) = 0;
    // The way to send a frame without copying it: the owner composes straight into a buffer.
    // BeginFrame gives a buffer the compositor is not reading, brought up to date with `shown`
    // (the frame last composed, `shown.width` x `shown.height` like the frame to come) given what
    // changed in it since the last one sent to this output (`changed`, as for Present). Only what
    // that buffer lacks is copied: nothing, where the compositor let go of the last buffer before
    // the next frame. Empty when there is none free or the frame does not fit inside the surface;
    // the owner then composes elsewhere and calls Present.
    virtual std::optional<FrameTarget> BeginFrame(OutputId output, const FramePixels& shown,
                                                  const std::vector<PixelRect>& changed) = 0;
    // Sends the buffer the last BeginFrame gave, now holding the next frame, which differs from
    // `shown` in the `changed` rectangles; commits with a frame callback as Present does.
    virtual void PresentBegun(OutputId output, const std::vector<PixelRect>& changed) = 0;
    // Whether a frame presented on the output still waits for its frame callback.
    virtual bool FramePending(OutputId output) const = 0;

    // Holds the compositor's idle timers off while the surfaces are shown (true), or lets them
    // run again. False when the compositor offers no idle inhibitor (the caller then asks the
    // desktop over D-Bus instead).
    virtual bool SetIdleInhibited(bool inhibited) = 0;
    // True on the layer shell's overlay, false on fullscreen toplevels.
    virtual bool AboveEverything() const = 0;
};

}  // namespace driftmere::wayland
