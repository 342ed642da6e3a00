#include "display/qt/ComposingDisplay.h"

#include <malloc.h>
#include <sys/resource.h>

#include <QFont>
#include <QFontMetrics>
#include <algorithm>
#include <iostream>

#include "display/qt/Density.h"
#include "platform/QuotedForMessage.h"

namespace driftmere {

namespace {

void WarnAboutPicture(const std::string& path, const QString& why) {
    std::cerr << "driftmere: cannot read picture " << QuotedPath(path) << ": " << why.toStdString()
              << "\n";
}

}  // namespace

ComposingDisplay::ComposingDisplay() {
    // Frames and pictures are megabytes each, and some live only while a backdrop's twin is read
    // and scaled. The C library would otherwise raise its threshold for giving such blocks their
    // own pages to the size of the last one freed, and keep the next ones in its heap after they
    // are freed: fixed, every large block goes back to the system when it is let go.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    compositors_.push_back(NewCompositor());
}

ComposingDisplay::~ComposingDisplay() = default;

std::unique_ptr<Compositor> ComposingDisplay::NewCompositor() {
    auto compositor = std::make_unique<Compositor>(scene_);
    // Each density reads the pictures it draws for itself: one that cannot be read is told once.
    compositor->SetWarningSink([this](const QString& path, const QString& why) {
        if (warnedPictures_.insert(path + QChar(0) + why).second)
            WarnAboutPicture(path.toStdString(), why);
    });
    if (frameMemory_) compositor->SetFrameMemory(frameMemory_);
    return compositor;
}

bool ComposingDisplay::UseScene(int width, int height) {
    if (width < 1 || height < 1 || width > kLargestFrameSide || height > kLargestFrameSide)
        return false;
    if (scene_ != QSize(width, height)) {
        scene_ = QSize(width, height);
        compositors_.front() = NewCompositor();
    }
    return true;
}

void ComposingDisplay::SetFrameMemory(Compositor::FrameMemory memory) {
    frameMemory_ = std::move(memory);
    ForEach([&](Compositor& c) { c.SetFrameMemory(frameMemory_); });
}

void ComposingDisplay::KeepCompositorsFor(const std::vector<QSize>& frameSizes) {
    std::vector<QSize> wanted;
    for (const QSize& size : frameSizes) {
        if (std::find(wanted.begin(), wanted.end(), size) == wanted.end()) wanted.push_back(size);
    }
    if (wanted.empty()) return;
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

std::optional<std::size_t> ComposingDisplay::IndexForSize(QSize frameSize) const {
    for (std::size_t k = 0; k < compositors_.size(); ++k) {
        if (compositors_[k]->deviceSize() == frameSize) return k;
    }
    return std::nullopt;
}

std::vector<QRegion> ComposingDisplay::ComposeEach() {
    std::vector<QRegion> changed;
    ForEach([&](Compositor& c) { changed.push_back(c.Compose()); });
    return changed;
}

namespace {

double ProcessCpuSeconds() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

void ComposingDisplay::StartFpsMeter() {
    fps_ = FpsMeter{};
    fps_.clock.start();
    fps_.periodStartCpu = ProcessCpuSeconds();
}

void ComposingDisplay::DrawFpsLine() {
    if (!fps_.clock.isValid()) StartFpsMeter();
    ++fps_.frames;
    const qint64 now = fps_.clock.elapsed();
    const qint64 period = now - fps_.periodStartMs;
    if (period >= 1000) {
        const double cpu = ProcessCpuSeconds();
        const double framesPerSecond = fps_.frames * 1000.0 / period;
        const double cpuPercent = (cpu - fps_.periodStartCpu) * 100000.0 / period;
        fps_.line = QStringLiteral("FPS: %1   CPU: %2%")
                        .arg(framesPerSecond, 0, 'f', 1)
                        .arg(cpuPercent, 0, 'f', 1);
        fps_.frames = 0;
        fps_.periodStartMs = now;
        fps_.periodStartCpu = cpu;
    }
    if (fps_.line.isEmpty()) return;
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(Compositor::PixelSizeForPoints(12));
    const int y = scene().height() - QFontMetrics(font).height() - 4;
    // A dark shadow keeps the line readable over a bright sky.
    ForEach([&](Compositor& c) {
        c.DrawTextInFont(fps_.line, font, 5, y + 1, kBlack);
        c.DrawTextInFont(fps_.line, font, 4, y, kYellow);
    });
}

void ComposingDisplay::WaitForDecodes() {
    ForEach([](Compositor& c) { c.WaitForDecodes(); });
}

// Every compositor is told everything, so each holds the same surfaces at the same places.
SurfaceId ComposingDisplay::CreateSurface() {
    SurfaceId id = 0;
    ForEach([&](Compositor& c) { id = c.CreateSurface(); });
    return id;
}

void ComposingDisplay::LoadPicture(SurfaceId surface, const std::string& path,
                                   Transparency transparency) {
    QString error;
    bool loaded = true;
    const QString name = QString::fromStdString(path);
    ForEach([&](Compositor& c) { loaded = c.LoadPicture(surface, name, transparency, &error); });
    if (!loaded) WarnAboutPicture(path, error);
}

void ComposingDisplay::SetSurfaceX(SurfaceId surface, std::int32_t x) {
    ForEach([&](Compositor& c) { c.SetSurfaceX(surface, x); });
}
void ComposingDisplay::SetSurfaceY(SurfaceId surface, std::int32_t y) {
    ForEach([&](Compositor& c) { c.SetSurfaceY(surface, y); });
}
void ComposingDisplay::MoveSurfaceX(SurfaceId surface, std::int32_t n) {
    ForEach([&](Compositor& c) { c.MoveSurfaceX(surface, n); });
}
void ComposingDisplay::MoveSurfaceY(SurfaceId surface, std::int32_t n) {
    ForEach([&](Compositor& c) { c.MoveSurfaceY(surface, n); });
}
std::int32_t ComposingDisplay::GetSurfaceX(SurfaceId surface) {
    return FirstCompositor().SurfaceX(surface);
}
std::int32_t ComposingDisplay::GetSurfaceY(SurfaceId surface) {
    return FirstCompositor().SurfaceY(surface);
}
void ComposingDisplay::ClearFrame(Colour colour) {
    ForEach([&](Compositor& c) { c.ClearFrame(colour); });
}
void ComposingDisplay::DrawSurface(SurfaceId surface) {
    ForEach([&](Compositor& c) { c.DrawSurface(surface); });
}
void ComposingDisplay::SetFont(const std::string& name, std::int32_t size) {
    ForEach([&](Compositor& c) { c.SetFont(name, size); });
}
void ComposingDisplay::DrawText(const std::string& text, std::int32_t x, std::int32_t y,
                                Colour colour) {
    ForEach([&](Compositor& c) { c.DrawText(text, x, y, colour); });
}

}  // namespace driftmere
