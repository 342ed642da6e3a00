#include "platform/wayland/ShmBuffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace driftmere::wayland {
namespace {

const wl_buffer_listener kBufferListener = {
    .release =
        [](void* data, wl_buffer*) {
            auto* buffer = static_cast<ShmBuffer*>(data);
            buffer->busy = false;
            if (buffer->onRelease) buffer->onRelease();
        },
};

}  // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::Create(wl_shm* shm, int width, int height,
                                             std::string* problem) {
    const std::int64_t bytes = std::int64_t{width} * height * 4;
    if (width <= 0 || height <= 0 || bytes > INT32_MAX) {
        *problem = "a buffer of " + std::to_string(width) + "x" + std::to_string(height) +
                   " pixels does not fit in shared memory";
        return nullptr;
    }
    // Sealed at its size, so that nobody holding the descriptor can shrink it under a reader.
    const int fd = memfd_create("driftmere-frame", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0) {
        *problem = std::string("no shared memory for a frame: ") + std::strerror(errno);
        return nullptr;
    }
    auto fail = [&](const char* what) {
        *problem = std::string(what) + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    };
    if (::ftruncate(fd, bytes) != 0) return fail("no shared memory for a frame");
    if (::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        return fail("the frame's shared memory could not be sealed");
    }
    void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) return fail("the frame's shared memory could not be mapped");

    std::unique_ptr<ShmBuffer> made(new ShmBuffer);
    const auto length = static_cast<std::size_t>(bytes);
    made->memory_ = std::shared_ptr<std::uint8_t>(
        static_cast<std::uint8_t*>(memory), [length](std::uint8_t* at) { ::munmap(at, length); });
    made->width_ = width;
    made->height_ = height;
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
    made->buffer_ =
        wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
    // The buffer keeps the pool's memory; neither the pool nor the descriptor is needed now.
    wl_shm_pool_destroy(pool);
    ::close(fd);
    wl_buffer_add_listener(made->buffer_, &kBufferListener, made.get());
    return made;
}

ShmBuffer::~ShmBuffer() {
    if (buffer_ != nullptr) wl_buffer_destroy(buffer_);
}

}  // namespace driftmere::wayland
