#include "display/wayland/WaylandDisplay.h"

#include <malloc.h>

#include <algorithm>
#include <iostream>

#include "display/qt/Density.h"
#include "platform/QuotedForMessage.h"

namespace driftmere {

namespace {

constexpr int kFrameIntervalMs = 10;
constexpr int kMostRectsSent = 32;

std::vector<wayland::PixelRect> RectsOf(const QRegion& region) {
    std::vector<wayland::PixelRect> rects;
    for (const QRect& r : region) rects.push_back({r.x(), r.y(), r.width(), r.height()});
    return rects;
}

}  // namespace

WaylandDisplay::WaylandDisplay(Connector connector) : connect_(std::move(connector)) {
    // Frames and pictures are megabytes each: every large block goes back to the system when it
    // is let go, rather than staying in the heap at the size of the last one freed.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    compositors_.push_back(NewCompositor());
    connect(&pacer_, &FramePacer::frame, this, &WaylandDisplay::Tick);
}

WaylandDisplay::~WaylandDisplay() {
    pacer_.Stop();
    readable_.reset();
    client_.reset();
}

std::unique_ptr<Compositor> WaylandDisplay::NewCompositor() {
    auto compositor = std::make_unique<Compositor>(scene_);
    // Each density reads the pictures it draws for itself: one that cannot be read is told once.
    compositor->SetWarningSink([this](const QString& path, const QString& why) {
        if (warnedPictures_.insert(path + QChar(0) + why).second)
            std::cerr << "driftmere: cannot read picture " << QuotedPath(path.toStdString()) << ": "
                      << why.toStdString() << "\n";
    });
    return compositor;
}

void WaylandDisplay::SetEventSink(DisplayEvents* sink) {
    sink_ = sink;
    if (sink_ != nullptr) RequestFrameWithin(0);
}

bool WaylandDisplay::OpenDisplay(int width, int height) {
    if (open_) return true;
    if (gone_ || width < 1 || height < 1 || width > kLargestFrameSide || height > kLargestFrameSide)
        return false;
    if (scene_ != QSize(width, height)) {
        scene_ = QSize(width, height);
        compositors_.front() = NewCompositor();
    }
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
    if (sink_ == nullptr || !open_ || gone_ || inFrame_) return;
    if (!SomeOutputWants()) {
        // Made when an output asks for one (FrameWanted), not before.
        frameOwed_ = true;
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
    const FrameDue due = sink_->NextFrameDue();
    switch (due.when) {
        case FrameDue::When::Steadily:
            pacer_.WakeOnGrid(kFrameIntervalMs);
            break;
        case FrameDue::When::AtTick:
            pacer_.WakeAt(FramePacer::TickToNs(due.tick, FramePacer::NowNs()));
            break;
        case FrameDue::When::WhenAsked:
            pacer_.Stop();
            break;
    }
}

void WaylandDisplay::RequestFrameWithin(int ms) {
    if (!open_ || gone_) return;
    const std::int64_t now = FramePacer::NowNs();
    const std::int64_t latest = now + std::int64_t{std::max(ms, 0)} * 1'000'000;
    if (const auto set = pacer_.wakeAt(); set && *set <= latest) return;
    pacer_.WakeAt(now);
}

bool WaylandDisplay::SomeOutputWants() const {
    return std::any_of(outputs_.begin(), outputs_.end(),
                       [](const auto& each) { return each.second.wants; });
}

// One frame per distinct size the outputs want, checked before every frame. A compositor no
// output wants any more takes the next new size (its pictures are made again anyway), or goes;
// with no output at all the compositors stay as they are until one comes.
void WaylandDisplay::ApplyDensity() {
    if (outputs_.empty()) return;
    std::vector<QSize> wanted;
    for (const auto& [id, output] : outputs_) {
        if (std::find(wanted.begin(), wanted.end(), output.frame) == wanted.end())
            wanted.push_back(output.frame);
    }
    const Compositor& source = FirstCompositor();  // alive until the end, wherever it goes
    std::vector<std::unique_ptr<Compositor>> kept(wanted.size());
    for (auto& each : compositors_) {
        const auto at = std::find(wanted.begin(), wanted.end(), each->deviceSize());
        if (at != wanted.end() && !kept[at - wanted.begin()])
            kept[at - wanted.begin()] = std::move(each);
    }
    std::size_t spare = 0;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (kept[i]) continue;
        while (spare < compositors_.size() && !compositors_[spare]) ++spare;
        if (spare < compositors_.size()) {
            kept[i] = std::move(compositors_[spare]);
        } else {
            kept[i] = NewCompositor();
            kept[i]->CopySurfacesFrom(source);
        }
        kept[i]->SetDeviceSize(wanted[i]);
    }
    compositors_ = std::move(kept);
}

const Compositor* WaylandDisplay::ForSize(QSize frame) const {
    for (const auto& each : compositors_) {
        if (each->deviceSize() == frame) return each.get();
    }
    return nullptr;
}

void WaylandDisplay::Flip() {
    std::vector<QRegion> damage;
    ForEach([&](Compositor& c) { damage.push_back(c.Compose()); });
    if (!client_ || gone_) return;
    bool presented = false;
    for (auto& [id, output] : outputs_) {
        const Compositor* source = ForSize(output.frame);
        if (source == nullptr) continue;  // came during this frame: composed on the next
        const std::size_t k = static_cast<std::size_t>(
            std::find_if(compositors_.begin(), compositors_.end(),
                         [source](const auto& c) { return c.get() == source; }) -
            compositors_.begin());
        output.unshown += damage[k];
        // An output that shows nothing for long gathers many small rectangles: past a few,
        // the one around them all costs less to send than each.
        if (output.unshown.rectCount() > kMostRectsSent)
            output.unshown = output.unshown.boundingRect();
        if (!output.wants) continue;
        const QImage& frame = source->frame();
        if (output.whole) output.unshown = QRegion(frame.rect());
        // Nothing new: the compositor is not asked to draw the same pixels again.
        if (output.unshown.isEmpty()) continue;
        const wayland::FramePixels pixels{frame.constBits(), frame.width(), frame.height(),
                                          static_cast<int>(frame.bytesPerLine())};
        client_->Present(id, pixels, RectsOf(output.unshown));
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
    output.frame = FrameSizeFor(QSize(width, height), scene_);
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

// Every compositor is told everything, so each holds the same surfaces at the same places.
SurfaceId WaylandDisplay::CreateSurface() {
    SurfaceId id = 0;
    ForEach([&](Compositor& c) { id = c.CreateSurface(); });
    return id;
}

void WaylandDisplay::LoadPicture(SurfaceId surface, const std::string& path,
                                 Transparency transparency) {
    QString error;
    bool loaded = true;
    const QString name = QString::fromStdString(path);
    ForEach([&](Compositor& c) { loaded = c.LoadPicture(surface, name, transparency, &error); });
    if (!loaded) {
        std::cerr << "driftmere: cannot read picture " << QuotedPath(path) << ": "
                  << error.toStdString() << "\n";
    }
}

void WaylandDisplay::SetSurfaceX(SurfaceId surface, std::int32_t x) {
    ForEach([&](Compositor& c) { c.SetSurfaceX(surface, x); });
}
void WaylandDisplay::SetSurfaceY(SurfaceId surface, std::int32_t y) {
    ForEach([&](Compositor& c) { c.SetSurfaceY(surface, y); });
}
void WaylandDisplay::MoveSurfaceX(SurfaceId surface, std::int32_t n) {
    ForEach([&](Compositor& c) { c.MoveSurfaceX(surface, n); });
}
void WaylandDisplay::MoveSurfaceY(SurfaceId surface, std::int32_t n) {
    ForEach([&](Compositor& c) { c.MoveSurfaceY(surface, n); });
}
std::int32_t WaylandDisplay::GetSurfaceX(SurfaceId surface) {
    return FirstCompositor().SurfaceX(surface);
}
std::int32_t WaylandDisplay::GetSurfaceY(SurfaceId surface) {
    return FirstCompositor().SurfaceY(surface);
}
void WaylandDisplay::ClearFrame(Colour colour) {
    ForEach([&](Compositor& c) { c.ClearFrame(colour); });
}
void WaylandDisplay::DrawSurface(SurfaceId surface) {
    ForEach([&](Compositor& c) { c.DrawSurface(surface); });
}
void WaylandDisplay::SetFont(const std::string& name, std::int32_t size) {
    ForEach([&](Compositor& c) { c.SetFont(name, size); });
}
void WaylandDisplay::DrawText(const std::string& text, std::int32_t x, std::int32_t y,
                              Colour colour) {
    ForEach([&](Compositor& c) { c.DrawText(text, x, y, colour); });
}

}  // namespace driftmere
