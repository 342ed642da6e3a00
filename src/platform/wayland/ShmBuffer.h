#pragma once
// One XRGB8888 buffer in shared memory the compositor reads from: a sealed memfd mapped here and
// handed over as a wl_buffer. The compositor says when it has stopped reading (release); until
// then the buffer is not drawn into.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/FrameCopy.h"
#include "platform/wayland/PixelRegion.h"

struct wl_buffer;
struct wl_shm;

namespace driftmere::wayland {

class ShmBuffer {
  public:
    // Null with *problem set when the memory or the buffer could not be made. The size is the
    // caller's to bound; this only refuses what does not fit a wl_shm pool (2 GiB).
    static std::unique_ptr<ShmBuffer> Create(wl_shm* shm, int width, int height,
                                             std::string* problem);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    wl_buffer* buffer() const { return buffer_; }
    BufferPixels pixels() const { return {memory_.get(), width_, height_, width_ * 4}; }
    // Keeps the memory mapped for whoever holds it, after the buffer itself is gone: a frame
    // composed straight into the buffer may be read once more when the surface has been remade.
    std::shared_ptr<void> mapping() const { return memory_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Whether the compositor may be reading it (from attach until its release).
    bool busy = false;
    // Frame rectangles changed since this buffer was last drawn: drawn into it next time.
    PixelRegion missed;
    // Set when nothing it holds can be kept (new, or the frame's size changed): next time it is
    // drawn whole, bars included.
    bool stale = true;
    // Called when the compositor has stopped reading it.
    std::function<void()> onRelease;

  private:
    ShmBuffer() = default;
    wl_buffer* buffer_ = nullptr;
    std::shared_ptr<std::uint8_t> memory_;  // unmapped with its last holder
    int width_ = 0;
    int height_ = 0;
};

}  // namespace driftmere::wayland
