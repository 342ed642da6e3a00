#include "display/qt/Compositor.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "display/qt/FramePixels.h"
#include "display/qt/PictureLoading.h"
#include "display/qt/SolidRuns.h"

namespace driftmere {

namespace {

// Positions wrap instead of overflowing: a balloon pushed past the 32-bit range by a runaway
// wind must not be undefined behaviour.
std::int32_t WrapAdd(std::int32_t a, std::int64_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace

Compositor::Compositor(QSize frameSize)
    : logicalSize_(frameSize),
      grid_(frameSize, frameSize),
      frame_(grid_.device(), QImage::Format_RGB32) {
    frame_.fill(Qt::black);
}

void Compositor::SetDeviceSize(QSize device) {
    if (!building_.empty()) {
        pendingDevice_ = device;
        return;
    }
    ApplyDeviceSize(device);
}

QImage Compositor::NewFrame(QSize size, const QImage& pixels) const {
    if (!framePainted_) {
        // Nothing was composed yet: the last frame is black, as the new one comes. At start,
        // stretching it would write the whole frame (25 MB at 3840x2160) only to be painted over.
        if (frameMemory_) return frameMemory_(size);
        QImage black(size, QImage::Format_RGB32);
        black.fill(Qt::black);
        return black;
    }
    QImage fresh = frameMemory_ ? frameMemory_(size) : QImage(size, QImage::Format_RGB32);
    FillScaled(fresh, pixels);
    return fresh;
}

bool Compositor::ComposeInto(QImage memory) {
    if (memory.size() != frame_.size() || memory.format() != QImage::Format_RGB32) return false;
    if (!frameLent_) {
        // Kept to go back to (an image of a frame nobody else holds).
        ownFrame_ = std::move(frame_);
        ownBehind_ = QRegion();
    }
    frame_ = std::move(memory);
    frameLent_ = true;
    return true;
}

void Compositor::ComposeInOwnMemory() {
    if (!frameLent_) return;
    if (ownFrame_.size() != frame_.size()) {
        ownFrame_ = QImage(frame_.size(), QImage::Format_RGB32);
        ownBehind_ = frame_.rect();
    }
    for (const QRect& area : ownBehind_)
        DrawPart(ownFrame_, area, frame_, area.x(), area.y(), true);
    frame_ = std::move(ownFrame_);
    ForgetOwnMemory();
}

void Compositor::ForgetOwnMemory() {
    ownFrame_ = QImage();
    ownBehind_ = QRegion();
    frameLent_ = false;
}

void Compositor::CopySurfacesFrom(const Compositor& other) {
    if (!surfaces_.empty()) return;
    for (const Surface& each : other.surfaces_) {
        Surface& copy = surfaces_.emplace_back();
        copy.path = each.path;
        copy.transparency = each.transparency;
        copy.size = each.size;
        copy.x = each.x;
        copy.y = each.y;
        copy.generation = nextGeneration_++;
    }
}

void Compositor::ApplyDeviceSize(QSize device) {
    pendingDevice_ = QSize();
    const DeviceGrid grid(logicalSize_, device);
    if (grid == grid_) return;
    grid_ = grid;
    // The window may repaint before the next Compose: it finds the last frame, resized.
    frame_ = NewFrame(grid_.device(), frame_);
    ForgetOwnMemory();
    // Every picture and text picture is the wrong size now: they are made again when drawn.
    for (Surface& each : surfaces_) {
        each.image = QImage();
        each.standIn = false;
    }
    shown_.clear();
    textPictures_.Clear();
    textCalls_.clear();
    fullRedraw_ = true;
}

int Compositor::PixelSizeForPoints(std::int32_t points) {
    // Points at 96 dots per inch: 22 pt is 29 px. Sizes are kept within what can sensibly be
    // drawn on an 800 x 600 frame, so a wild setting cannot make a picture of gigabytes.
    const long pixels = std::lround(static_cast<double>(points) * 96.0 / 72.0);
    return static_cast<int>(std::clamp(pixels, 1L, 2000L));
}

QRgb Compositor::ToRgb(Colour colour) {
    const auto packed = static_cast<std::uint32_t>(colour);
    return qRgb(packed & 0xff, (packed >> 8) & 0xff, (packed >> 16) & 0xff);
}

SurfaceId Compositor::CreateSurface() {
    surfaces_.emplace_back();
    return static_cast<SurfaceId>(surfaces_.size());
}

Compositor::Surface* Compositor::Find(SurfaceId surface) {
    if (surface < 1 || static_cast<std::size_t>(surface) > surfaces_.size()) return nullptr;
    return &surfaces_[surface - 1];
}

const Compositor::Surface* Compositor::Find(SurfaceId surface) const {
    if (surface < 1 || static_cast<std::size_t>(surface) > surfaces_.size()) return nullptr;
    return &surfaces_[surface - 1];
}

bool Compositor::LoadPicture(SurfaceId surface, const QString& path, Transparency transparency,
                             QString* error) {
    Surface* target = Find(surface);
    if (target == nullptr) {
        if (error) *error = QStringLiteral("surface %1 was never created").arg(surface);
        return false;
    }
    // Everything but the position starts anew (a twin still being read is waited for).
    Surface fresh;
    fresh.transparency = transparency;
    fresh.x = target->x;
    fresh.y = target->y;
    fresh.generation = nextGeneration_++;
    *target = std::move(fresh);
    QSize size;
    if (!ProbePicture(path, LargestPictureFor(transparency, logicalSize_), &size, error))
        return false;
    target->path = path;
    target->size = size;
    return true;
}

bool Compositor::IsDecoded(SurfaceId surface) const {
    const Surface* s = Find(surface);
    return s != nullptr && !s->image.isNull();
}

void Compositor::Decode(Surface& surface) {
    // The twin, a PNG of four times the pixels, takes several times as long to decode as the 1x
    // picture, and scaling it to the density takes as long again: both are done on a thread of
    // their own while the 1x picture, scaled roughly, stands in for it, so the first frame and a
    // change of backdrop do not wait for it. The reading starts with the next frame, once this
    // one is on screen: on a machine of two cores it would otherwise compete with the first paint.
    const bool readTwin = grid_.UsesTwins() && !surface.twinUnusable;
    surface.twinWantedAt = readTwin && !surface.twin.valid() ? frameNumber_ : kNever;
    QString why;
    QImage image;
    if (!ReadPicture(surface.path, surface.transparency, &image, &why)) {
    } else if (image.size() != surface.size) {
        why = QStringLiteral("it changed since it was first read");
    } else {
        // Without a twin, scaled once and filtered, as good as the 1x picture can look.
        // The stand-in is kept at 1x and stretched as it is drawn: a picture of the frame's size
        // made only for the moment the twin takes would raise the peak memory by that much.
        surface.standIn = readTwin;
        surface.image = readTwin ? std::move(image) : Resized(image, DeviceSizeOf(surface));
        return;
    }
    surface.broken = true;
    if (warn_) warn_(surface.path, why);
}

void Compositor::TakeTwin(Surface& surface) {
    if (!surface.twin.valid() ||
        surface.twin.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        return;
    }
    TwinPicture twin = surface.twin.get();
    if (twin.image.isNull()) {
        surface.twinUnusable = true;
        if (surface.standIn) {
            // Decoded again, filtered this time, and drawn anew.
            surface.image = QImage();
            surface.standIn = false;
            surface.generation = nextGeneration_++;
        }
        if (warn_) {
            warn_(TwinPath(surface.path),
                  twin.why + QStringLiteral(" (the 1x picture is drawn scaled)"));
        }
        return;
    }
    if (surface.broken || !surface.standIn) return;
    if (twin.image.size() != DeviceSizeOf(surface)) {
        // Read for a density no longer in use: read again for this one.
        surface.twinWantedAt = frameNumber_;
        return;
    }
    surface.image = std::move(twin.image);
    surface.standIn = false;
    surface.generation = nextGeneration_++;  // new pixels: the picture is drawn again
}

void Compositor::StartTwinReads(bool all) {
    for (Surface& each : surfaces_) {
        if (each.twinWantedAt == kNever || (!all && each.twinWantedAt >= frameNumber_)) continue;
        each.twinWantedAt = kNever;
        if (each.twin.valid() || each.broken || !each.standIn) continue;
        each.twin = std::async(std::launch::async, ReadTwin, each.path, each.transparency,
                               each.size, DeviceSizeOf(each));
    }
}

void Compositor::WaitForDecodes() {
    StartTwinReads(true);
    for (Surface& each : surfaces_) {
        if (each.twin.valid()) each.twin.wait();
    }
}

void Compositor::SetSurfaceX(SurfaceId surface, std::int32_t x) {
    if (Surface* s = Find(surface)) s->x = x;
}

void Compositor::SetSurfaceY(SurfaceId surface, std::int32_t y) {
    if (Surface* s = Find(surface)) s->y = y;
}

void Compositor::MoveSurfaceX(SurfaceId surface, std::int32_t n) {
    if (Surface* s = Find(surface)) s->x = WrapAdd(s->x, n);
}

void Compositor::MoveSurfaceY(SurfaceId surface, std::int32_t n) {
    if (Surface* s = Find(surface)) s->y = WrapAdd(s->y, -static_cast<std::int64_t>(n));
}

std::int32_t Compositor::SurfaceX(SurfaceId surface) const {
    const Surface* s = Find(surface);
    return s ? s->x : 0;
}

std::int32_t Compositor::SurfaceY(SurfaceId surface) const {
    const Surface* s = Find(surface);
    return s ? s->y : 0;
}

QImage Compositor::SurfaceImage(SurfaceId surface) const {
    const Surface* s = Find(surface);
    return s ? s->image : QImage();
}

void Compositor::ClearFrame(Colour colour) {
    Item item;
    item.kind = Kind::Fill;
    item.colour = ToRgb(colour);
    item.key = item.colour;
    item.opaque = true;
    item.bounds = frame_.rect();
    building_.push_back(std::move(item));
}

void Compositor::DrawSurface(SurfaceId surface) {
    Surface* s = Find(surface);
    if (s == nullptr || s->size.isEmpty() || s->broken) return;
    TakeTwin(*s);
    Item item;
    item.kind = Kind::Picture;
    item.key =
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(surface)) << 32) | s->generation;
    item.x = grid_.X(s->x);
    item.y = grid_.Y(s->y);
    const QSize drawn = DeviceSizeOf(*s);
    item.bounds = ClipToFrame(frame_.size(), item.x, item.y, drawn.width(), drawn.height());
    // A picture wholly off the frame is not decoded yet: it is listed all the same, so that the
    // frame it comes into view is seen to differ.
    if (!item.bounds.isEmpty()) {
        if (s->image.isNull()) Decode(*s);
        if (s->broken) return;
    }
    s->lastDrawn = frameNumber_;
    item.image = s->image;
    if (s->standIn) item.stretchedTo = drawn;
    item.opaque = s->transparency != kKeyedOrAlpha;
    building_.push_back(std::move(item));
}

void Compositor::SetFont(const std::string& name, std::int32_t points) {
    font_.family = name;
    font_.pixelSize = PixelSizeForPoints(points);
}

QRegion Compositor::Compose() {
    StartTwinReads(false);
    std::vector<QRect> areas;
    if (fullRedraw_) {
        areas.push_back(frame_.rect());
        fullRedraw_ = false;
    } else {
        // Item by item: a pixel outside every changed item's old and new rectangles is covered
        // by the same items in the same order as before, so it keeps its colour.
        const std::size_t count = std::max(building_.size(), shown_.size());
        for (std::size_t i = 0; i < count; ++i) {
            if (i >= shown_.size()) {
                AddToAreas(areas, building_[i].bounds);
            } else if (i >= building_.size()) {
                AddToAreas(areas, shown_[i].bounds);
            } else if (!(building_[i] == shown_[i])) {
                AddToAreas(areas, shown_[i].bounds);
                AddToAreas(areas, building_[i].bounds);
            }
        }
    }
    shown_.swap(building_);
    building_.clear();
    textSlot_ = 0;
    Paint(areas);
    framePainted_ = framePainted_ || !areas.empty();
    textPictures_.Trim(frameNumber_);
    ReleaseUndrawn();
    ++frameNumber_;
    QRegion damage;
    for (const QRect& area : areas) damage += area;
    if (frameLent_) {
        ownBehind_ += damage;
        // A frame lent for long gathers many pieces: the box around them copies a little more.
        if (ownBehind_.rectCount() > 32) ownBehind_ = ownBehind_.boundingRect();
    }
    if (!pendingDevice_.isEmpty() && DeviceGrid(logicalSize_, pendingDevice_) != grid_) {
        // The frame is resized: every pixel of it is new to the window.
        ApplyDeviceSize(pendingDevice_);
        damage = frame_.rect();
    }
    pendingDevice_ = QSize();
    return damage;
}

void Compositor::ReleaseUndrawn() {
    // A decoded picture that the last frame did not draw is let go from a quarter of the frame's
    // size up: a backdrop goes, a balloon (a fiftieth of the frame) stays for when it returns.
    const qsizetype large = frame_.sizeInBytes() / 4;
    for (Surface& each : surfaces_) {
        if (each.lastDrawn == frameNumber_) continue;
        TakeTwin(each);
        if (each.image.sizeInBytes() >= large) {
            each.image = QImage();
            each.standIn = false;
        }
    }
}

void Compositor::Paint(const std::vector<QRect>& areas) {
    std::vector<Cover> covers;
    for (const QRect& area : areas) {
        // Whatever lies under the topmost opaque item that covers the whole area (the clear, the
        // backdrop) cannot show: start there. That item is painted only where no later opaque
        // pixel lands (a balloon's solid inside), and the items above it as they are.
        std::size_t first = shown_.size();
        while (first > 0 &&
               !(shown_[first - 1].opaque && shown_[first - 1].bounds.contains(area))) {
            --first;
        }
        covers.clear();
        for (std::size_t i = first; i < shown_.size(); ++i) {
            const Item& item = shown_[i];
            if (!item.bounds.intersects(area)) continue;
            if (item.opaque) {
                covers.push_back({item.bounds & area, item.x, item.y, nullptr});
            } else if (item.kind == Kind::Picture && item.stretchedTo.isEmpty()) {
                covers.push_back(
                    {item.bounds & area, item.x, item.y, &solidRuns_.Of(item.image, frameNumber_)});
            }
        }
        const Item* under = first == 0 ? nullptr : &shown_[first - 1];
        if (under == nullptr || under->kind == Kind::Fill) {
            PaintAround(frame_, area, nullptr, under ? under->colour : qRgb(0, 0, 0), 0, 0, covers);
        } else if (under->stretchedTo.isEmpty()) {
            PaintAround(frame_, area, &under->image, 0, static_cast<int>(area.x() - under->x),
                        static_cast<int>(area.y() - under->y), covers);
        } else {
            DrawItem(*under, area);  // a backdrop standing in for its twin, for a moment
        }
        for (std::size_t i = first; i < shown_.size(); ++i) {
            const QRect part = shown_[i].bounds & area;
            if (!part.isEmpty()) DrawItem(shown_[i], part);
        }
    }
    solidRuns_.Trim(frameNumber_);
}

void Compositor::DrawItem(const Item& item, const QRect& part) {
    if (item.kind == Kind::Fill) {
        FillPart(frame_, part, item.colour);
        return;
    }
    const int sourceX = static_cast<int>(part.x() - item.x);
    const int sourceY = static_cast<int>(part.y() - item.y);
    if (item.stretchedTo.isEmpty()) {
        DrawPart(frame_, part, item.image, sourceX, sourceY, item.opaque,
                 item.opaque ? nullptr : &solidRuns_.Of(item.image, frameNumber_));
    } else {
        DrawPartStretched(frame_, part, item.image, item.stretchedTo, sourceX, sourceY,
                          item.opaque);
    }
}

}  // namespace driftmere
