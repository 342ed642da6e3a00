#pragma once
// The drawing half of a display that composes its frames itself: one Compositor per frame size
// its screens want (a density each), every drawing call told to all of them, so each holds the
// same surfaces at the same places and composes the same scene at its own size. Surfaces are read
// back from the first one.
//
// The displays on X11 and on Wayland derive from it and keep what is their own: their windows or
// outputs, when frames come, how a composed frame reaches the screen, and input.
#include <QElapsedTimer>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "display/DisplayControl.h"
#include "display/qt/Compositor.h"

namespace driftmere {

class ComposingDisplay : public DisplayControl {
  public:
    ComposingDisplay(const ComposingDisplay&) = delete;
    ComposingDisplay& operator=(const ComposingDisplay&) = delete;

    SurfaceId CreateSurface() override;
    void LoadPicture(SurfaceId surface, const std::string& path,
                     Transparency transparency) override;
    void SetSurfaceX(SurfaceId surface, std::int32_t x) override;
    void SetSurfaceY(SurfaceId surface, std::int32_t y) override;
    void MoveSurfaceX(SurfaceId surface, std::int32_t n) override;
    void MoveSurfaceY(SurfaceId surface, std::int32_t n) override;
    std::int32_t GetSurfaceX(SurfaceId surface) override;
    std::int32_t GetSurfaceY(SurfaceId surface) override;
    void ClearFrame(Colour colour) override;
    void DrawSurface(SurfaceId surface) override;
    void SetFont(const std::string& name, std::int32_t size) override;
    void DrawText(const std::string& text, std::int32_t x, std::int32_t y, Colour colour) override;

    // For tests and measurements: how many frames each Flip composes, one per frame size wanted.
    std::size_t compositorCount() const { return compositors_.size(); }
    // Waits for every twin asked for, at every density (Compositor::WaitForDecodes).
    void WaitForDecodes();

  protected:
    // Starts with one compositor for the 800 x 600 scene at 1x.
    ComposingDisplay();
    ~ComposingDisplay() override;

    QSize scene() const { return scene_; }
    // The logical scene becomes `width` x `height`; the first compositor is made anew for it when
    // that is a change. False, and nothing changed, for a size no frame may have.
    bool UseScene(int width, int height);
    // Where every compositor's frames are made from now on (Compositor::SetFrameMemory).
    void SetFrameMemory(Compositor::FrameMemory memory);

    // One compositor per distinct size in `frameSizes`, in the order they first appear; checked
    // before every frame. A compositor whose size is still wanted stays; one no longer wanted
    // takes the next new size (its pictures are made again anyway), or goes; a size left over
    // gets a new compositor with the first one's surfaces. With no size at all the compositors
    // stay as they are until one comes.
    void KeepCompositorsFor(const std::vector<QSize>& frameSizes);

    const Compositor& FirstCompositor() const { return *compositors_.front(); }
    const std::vector<std::unique_ptr<Compositor>>& compositors() const { return compositors_; }
    // The place in compositors() of the one composing frames of `frameSize`, if any.
    std::optional<std::size_t> IndexForSize(QSize frameSize) const;
    // Composes every frame; what changed in each, in the order of compositors().
    std::vector<QRegion> ComposeEach();

    // The frame rate and the program's CPU use over the last second, in a corner of every frame
    // from the second after StartFpsMeter (for --fps); call before composing each frame.
    void StartFpsMeter();
    void DrawFpsLine();

    template <typename F>
    void ForEach(F&& call) {
        for (const auto& each : compositors_) call(*each);
    }

  private:
    std::unique_ptr<Compositor> NewCompositor();

    QSize scene_{kSceneWidth, kSceneHeight};
    Compositor::FrameMemory frameMemory_;
    // One per frame size wanted; never empty.
    std::vector<std::unique_ptr<Compositor>> compositors_;
    struct FpsMeter {
        QElapsedTimer clock;
        qint64 periodStartMs = 0;
        double periodStartCpu = 0;
        int frames = 0;
        QString line;
    } fps_;
    // Pictures (with the reason) already said to be unreadable by some compositor.
    std::set<QString> warnedPictures_;
};

}  // namespace driftmere
