#include "display/qt/SharedFrames.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/x11/XcbQueries.h"

namespace driftmere {

struct SharedFrames::State {
    xcb_connection_t* connection = nullptr;  // null once the owner is gone
    std::map<const uchar*, xcb_shm_seg_t> segments;
};

struct SharedFrames::Segment {
    std::shared_ptr<State> state;
    xcb_shm_seg_t id = 0;
    void* address = nullptr;
};

namespace {

// Our RGB32 pixels are what the server takes for a depth-24 Z pixmap: 32 bits a pixel, least
// significant byte first, rows padded to 32 bits.
bool TakesRgb32(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (setup == nullptr || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == 24)
            return it.data->bits_per_pixel == 32 && it.data->scanline_pad == 32;
    }
    return false;
}

}  // namespace

xcb_connection_t* SharedFrames::UsableConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr || !TakesRgb32(connection)) return nullptr;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    if (extension == nullptr || !extension->present) return nullptr;
    xcb_generic_error_t* error = nullptr;
    auto version = OwnReply(
        xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), &error), &error);
    return version ? connection : nullptr;
}

SharedFrames::SharedFrames(xcb_connection_t* connection) {
    if (connection == nullptr) return;
    state_ = std::make_shared<State>();
    state_->connection = connection;
}

SharedFrames::~SharedFrames() {
    if (!state_) return;
    for (const auto& [window, target] : targets_) {
        if (target.gc != 0) xcb_free_gc(state_->connection, target.gc);
    }
    // Images still held elsewhere keep their memory; the server lets go of it now.
    for (const auto& [address, id] : state_->segments) xcb_shm_detach(state_->connection, id);
    xcb_flush(state_->connection);
    state_->connection = nullptr;
}

QImage SharedFrames::Frame(QSize size) {
    auto ordinary = [size] {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::black);
        return image;
    };
    if (!state_ || size.isEmpty()) return ordinary();
    const auto bytesPerLine = static_cast<qsizetype>(size.width()) * 4;
    const auto bytes = static_cast<std::size_t>(bytesPerLine) * size.height();
    // Private to this process until the server attaches it, and removed right after: the
    // segment lives only as long as the two attachments.
    const int shmId = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmId < 0) return ordinary();
    void* address = shmat(shmId, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(shmId, IPC_RMID, nullptr);
        return ordinary();
    }
    xcb_connection_t* connection = state_->connection;
    const xcb_shm_seg_t id = xcb_generate_id(connection);
    xcb_generic_error_t* error =
        xcb_request_check(connection, xcb_shm_attach_checked(connection, id, shmId, 1));
    shmctl(shmId, IPC_RMID, nullptr);
    if (error != nullptr) {
        // A server on another machine cannot see our memory: ordinary frames from now on.
        std::free(error);
        shmdt(address);
        state_.reset();
        return ordinary();
    }
    auto* segment = new Segment{state_, id, address};
    auto* pixels = static_cast<uchar*>(address);
    state_->segments.emplace(pixels, id);
    QImage image(pixels, size.width(), size.height(), bytesPerLine, QImage::Format_RGB32,
                 &SharedFrames::Release, segment);
    image.fill(Qt::black);
    return image;
}

void SharedFrames::Release(void* info) {
    auto* segment = static_cast<Segment*>(info);
    State& state = *segment->state;
    state.segments.erase(static_cast<const uchar*>(segment->address));
    // The server may still be reading it: the detach is done in order after those reads.
    if (state.connection != nullptr) xcb_shm_detach(state.connection, segment->id);
    shmdt(segment->address);
    delete segment;
}

const SharedFrames::Target& SharedFrames::TargetFor(xcb_window_t window) {
    auto [it, added] = targets_.try_emplace(window);
    if (!added) return it->second;
    xcb_connection_t* connection = state_->connection;
    xcb_generic_error_t* error = nullptr;
    auto geometry = OwnReply(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), &error), &error);
    if (!geometry || geometry->depth != 24) return it->second;
    it->second.gc = xcb_generate_id(connection);
    const std::uint32_t values[] = {0 /* black */, 0 /* no graphics exposures */};
    xcb_create_gc(connection, it->second.gc, window, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES,
                  values);
    it->second.usable = true;
    return it->second;
}

bool SharedFrames::Put(xcb_window_t window, const QImage& frame, const QRect& part, QPoint at) {
    if (!state_ || window == 0) return false;
    const auto found = state_->segments.find(frame.constBits());
    if (found == state_->segments.end()) return false;
    constexpr int kMost = std::numeric_limits<std::int16_t>::max();
    if (frame.width() > kMost || frame.height() > kMost || at.x() > kMost || at.y() > kMost)
        return false;
    const Target& target = TargetFor(window);
    if (!target.usable) return false;
    const QRect source = part & frame.rect();
    if (source.isEmpty()) return true;
    xcb_shm_put_image(state_->connection, window, target.gc, frame.width(), frame.height(),
                      source.x(), source.y(), source.width(), source.height(),
                      at.x() + (source.x() - part.x()), at.y() + (source.y() - part.y()), 24,
                      XCB_IMAGE_FORMAT_Z_PIXMAP, 0, found->second, 0);
    sent_ = true;
    return true;
}

bool SharedFrames::Fill(xcb_window_t window, const QRect& area) {
    if (!state_ || window == 0) return false;
    const Target& target = TargetFor(window);
    if (!target.usable) return false;
    if (area.isEmpty()) return true;
    const xcb_rectangle_t rectangle{
        static_cast<std::int16_t>(area.x()), static_cast<std::int16_t>(area.y()),
        static_cast<std::uint16_t>(area.width()), static_cast<std::uint16_t>(area.height())};
    xcb_poly_fill_rectangle(state_->connection, window, target.gc, 1, &rectangle);
    sent_ = true;
    return true;
}

void SharedFrames::Flush() {
    if (!state_ || !sent_) return;
    // A question whose answer comes after every request sent before it: once it is in, the
    // server has read every part.
    WaitUntilRead();
    pendingRead_ = xcb_get_input_focus(state_->connection).sequence;
    sent_ = false;
    xcb_flush(state_->connection);
}

void SharedFrames::WaitUntilRead() {
    if (!pendingRead_) return;
    const xcb_get_input_focus_cookie_t cookie{*pendingRead_};
    pendingRead_.reset();
    if (!state_) return;
    xcb_generic_error_t* error = nullptr;
    OwnReply(xcb_get_input_focus_reply(state_->connection, cookie, &error), &error);
}

void SharedFrames::Forget(xcb_window_t window) {
    const auto it = targets_.find(window);
    if (it == targets_.end()) return;
    if (state_ && it->second.gc != 0) xcb_free_gc(state_->connection, it->second.gc);
    targets_.erase(it);
}

}  // namespace driftmere
