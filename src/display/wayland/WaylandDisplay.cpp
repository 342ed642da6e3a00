#include "display/wayland/WaylandDisplay.h"

#include <algorithm>
#include <iostream>

#include "display/qt/Density.h"

namespace driftmere {

namespace {

constexpr int kMostRectsSent = 32;
// While the next frame comes within this long, the connection is read when it comes rather than
// whenever something arrives: what the compositor sends between two frames (a buffer let go,
// its frame callback) is read with the next frame instead of waking the saver once more, and a
// key or a pointer move waits at most this long.
constexpr std::int64_t kReadWithFramesWithinNs = 50'000'000;

std::vector<wayland::PixelRect> RectsOf(const QRegion& region) {
    std::vector<wayland::PixelRect> rects;
    for (const QRect& r : region) rects.push_back({r.x(), r.y(), r.width(), r.height()});
    return rects;
}

wayland::FramePixels PixelsOf(const QImage& frame) {
    return {frame.constBits(), frame.width(), frame.height(),
            static_cast<int>(frame.bytesPerLine())};
}

// An image over a buffer's memory that keeps the memory mapped while the image lives.
QImage ImageOver(const wayland::FrameTarget& target) {
    auto* keep = new std::shared_ptr<void>(target.keep);
    return QImage(
        target.pixels, target.width, target.height, target.stride, QImage::Format_RGB32,
        [](void* held) { delete static_cast<std::shared_ptr<void>*>(held); }, keep);
}

}  // namespace

WaylandDisplay::WaylandDisplay(Connector connector, bool showFps)
    : connect_(std::move(connector)), showFps_(showFps) {
    connect(&pacer_, &FramePacer::frame, this, &WaylandDisplay::Tick);
}

WaylandDisplay::~WaylandDisplay() {
    pacer_.Stop();
    readable_.reset();
    client_.reset();
}

void WaylandDisplay::SetEventSink(DisplayEvents* sink) {
    sink_ = sink;
    if (sink_ != nullptr) RequestFrameWithin(0);
}

bool WaylandDisplay::OpenDisplay(int width, int height) {
    if (open_) return true;
    if (gone_ || !UseScene(width, height)) return false;
    std::string problem;
    client_ = connect_ ? connect_(*this, &problem) : nullptr;
    if (!client_) {
        std::cerr << "driftmere: " << (problem.empty() ? "no Wayland compositor" : problem) << '\n';
        return false;
    }
    // What the compositor sent while the client connected (the outputs, their sizes) has been
    // handled already; what comes later is read when the connection is readable.
    if (client_->fd() >= 0) {
        readable_ = std::make_unique<QSocketNotifier>(client_->fd(), QSocketNotifier::Read);
        connect(readable_.get(), &QSocketNotifier::activated, this,
                &WaylandDisplay::ReadConnection);
    }
    open_ = !gone_;
    if (!open_) return false;
    StartFpsMeter();
    client_->Flush();
    RequestFrameWithin(0);
    return true;
}

void WaylandDisplay::ReadConnection() {
    if (gone_ || !client_) return;
    client_->Dispatch();
    if (!gone_) client_->Flush();
}

bool WaylandDisplay::SetIdleInhibited(bool inhibited) {
    if (!client_ || gone_) return false;
    const bool done = client_->SetIdleInhibited(inhibited);
    client_->Flush();
    return done;
}

void WaylandDisplay::Tick() {
    // A frame handler that runs a nested event loop must not start a second frame inside the
    // first.
    if (sink_ == nullptr || !open_ || gone_ || inFrame_) {
        WatchConnection();  // no frame reads it now
        return;
    }
    // What came since the last frame: frame callbacks, buffers let go, input.
    if (readable_ && !readable_->isEnabled()) {
        ReadConnection();
        if (sink_ == nullptr || gone_) {
            WatchConnection();
            return;
        }
    }
    if (!SomeOutputWants()) {
        // Made when an output asks for one (FrameWanted), not before.
        frameOwed_ = true;
        WatchConnection();
        return;
    }
    frameOwed_ = false;
    ApplyDensity();
    inFrame_ = true;
    sink_->RenderFrame();
    inFrame_ = false;
    ScheduleNextFrame();
}

void WaylandDisplay::ScheduleNextFrame() {
    if (sink_ == nullptr || !open_ || gone_) return;
    pacer_.WakeWhenDue(sink_->NextFrameDue());
    WatchConnection();
}

// The connection is watched all the time unless a frame comes soon and will read it.
void WaylandDisplay::WatchConnection() {
    if (!readable_ || gone_) return;
    const auto wake = pacer_.wakeAt();
    const bool frameSoon =
        wake && !frameOwed_ && *wake - FramePacer::NowNs() <= kReadWithFramesWithinNs;
    readable_->setEnabled(!frameSoon);
}

void WaylandDisplay::RequestFrameWithin(int ms) {
    if (!open_ || gone_) return;
    pacer_.WakeWithin(ms);
    WatchConnection();
}

bool WaylandDisplay::SomeOutputWants() const {
    return std::any_of(outputs_.begin(), outputs_.end(),
                       [](const auto& each) { return each.second.wants; });
}

// One frame per distinct size the outputs want, checked before every frame; with no output at
// all the compositors stay as they are until one comes.
void WaylandDisplay::ApplyDensity() {
    std::vector<QSize> wanted;
    for (const auto& [id, output] : outputs_) wanted.push_back(output.frame);
    KeepCompositorsFor(wanted);
}

// Each frame size's first output that wants a frame has it composed straight into a free
// buffer of its surface, which then lacks at most what changed in the frame before (nothing,
// where the compositor let go of the last buffer already). Other outputs of that size are sent a
// copy of the changes, as is an output whose compositor has no buffer free.
std::vector<WaylandDisplay::Lent> WaylandDisplay::LendBuffers() {
    std::vector<Lent> lent(compositors().size());
    for (std::size_t k = 0; k < compositors().size(); ++k) {
        Compositor& compositor = *compositors()[k];
        const auto lead = std::find_if(outputs_.begin(), outputs_.end(), [&](const auto& each) {
            return each.second.wants && IndexForSize(each.second.frame) == k;
        });
        if (client_ && !gone_ && lead != outputs_.end()) {
            Output& output = lead->second;
            const QImage& shown = compositor.frame();
            const QRegion missing = output.whole ? QRegion(shown.rect()) : output.unshown;
            const auto target = client_->BeginFrame(lead->first, PixelsOf(shown), RectsOf(missing));
            if (target && compositor.ComposeInto(ImageOver(*target))) {
                output.unshown = QRegion();
                output.whole = false;
                lent[k] = {lead->first, target->pixels};
                continue;
            }
        }
        // Not into a buffer the compositor may be reading now.
        compositor.ComposeInOwnMemory();
    }
    return lent;
}

void WaylandDisplay::Flip() {
    if (showFps_) DrawFpsLine();
    const std::vector<Lent> lent = LendBuffers();
    const std::vector<QRegion> damage = ComposeEach();
    if (!client_ || gone_) return;
    bool presented = false;
    for (auto& [id, output] : outputs_) {
        const auto k = IndexForSize(output.frame);
        if (!k) continue;  // came during this frame: composed on the next
        output.unshown += damage[*k];
        // An output that shows nothing for long gathers many small rectangles: past a few,
        // the one around them all costs less to send than each.
        if (output.unshown.rectCount() > kMostRectsSent)
            output.unshown = output.unshown.boundingRect();
        if (!output.wants) continue;
        const QImage& frame = compositors()[*k]->frame();
        if (output.whole) output.unshown = QRegion(frame.rect());
        // Nothing new: the compositor is not asked to draw the same pixels again.
        if (output.unshown.isEmpty()) continue;
        // The other outputs of its size are sent copies.
        if (lent[*k].output == id && lent[*k].pixels != nullptr &&
            frame.constBits() == lent[*k].pixels) {
            client_->PresentBegun(id, RectsOf(output.unshown));
        } else {
            client_->Present(id, PixelsOf(frame), RectsOf(output.unshown));
        }
        // A buffer that could not be made ends the connection from inside Present.
        if (gone_) return;
        output.unshown = QRegion();
        output.wants = false;
        output.whole = false;
        presented = true;
    }
    if (presented) client_->Flush();
}

void WaylandDisplay::SurfaceReady(wayland::OutputId id, int width, int height, int) {
    Output& output = outputs_[id];
    output.frame = FrameSizeFor(QSize(width, height), scene());
    output.wants = true;
    output.whole = true;
    output.unshown = QRegion();
    // Drawn at its density on the next frame, now (from the event loop, not from inside the
    // client's dispatch).
    RequestFrameWithin(0);
}

void WaylandDisplay::SurfaceGone(wayland::OutputId id) { outputs_.erase(id); }

void WaylandDisplay::FrameWanted(wayland::OutputId id) {
    const auto found = outputs_.find(id);
    if (found == outputs_.end()) return;
    found->second.wants = true;
    if (frameOwed_) RequestFrameWithin(0);
}

void WaylandDisplay::KeyDown(std::int16_t code) {
    if (sink_ && !gone_) sink_->KeyDown(code);
}

void WaylandDisplay::Click() {
    if (sink_ && !gone_) sink_->MouseClick();
}

void WaylandDisplay::PointerMoved() {
    if (sink_ && !gone_) sink_->MouseMove();
}

void WaylandDisplay::Disconnected(const std::string& why) { Lose(why); }

// Raised from inside the client's dispatch: the client stays (it is only let go with the
// display), and the owner hears of it from the event loop, where it may end the program.
void WaylandDisplay::Lose(const std::string& why) {
    if (gone_) return;
    gone_ = true;
    pacer_.Stop();
    if (readable_) readable_->setEnabled(false);
    std::cerr << "driftmere: " << (why.empty() ? "the Wayland compositor went away" : why) << '\n';
    if (lost_) {
        QMetaObject::invokeMethod(
            this, [this, why] { lost_(why); }, Qt::QueuedConnection);
    }
}

}  // namespace driftmere
