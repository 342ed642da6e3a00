#pragma once
// The drawing half of the display control, with no window: the numbered surfaces, the draw list
// the saver builds during a frame, and the back buffer that list is composed into.
//
// The saver redraws the whole scene every frame, but from one frame to the next only a few
// balloons move a pixel and the clock changes once a second. So each frame's draw list is
// compared with the last one and only the rectangles where they differ are composed again; the
// caller gets that region back and repaints only it on screen. A frame identical to the last
// composes nothing.
//
// Positions and sizes are logical (800 x 600 for the scene); the frame is composed in the device
// pixels of the window that shows it (Density.h), each picture scaled once to that density. A
// picture is only read when it is first drawn, at the density then in use, and a large one that
// the last frame did not draw (a backdrop no longer shown) is let go again.
#include <QFont>
#include <QImage>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "display/DisplayControl.h"
#include "display/qt/Density.h"
#include "display/qt/PictureLoading.h"
#include "display/qt/SolidRuns.h"
#include "display/qt/TextPictures.h"

namespace driftmere {

class Compositor {
  public:
    explicit Compositor(QSize frameSize = QSize(800, 600));

    // The logical size of the frame.
    QSize frameSize() const { return logicalSize_; }
    // The composed frame (RGB32), as of the last Compose: deviceSize() pixels.
    const QImage& frame() const { return frame_; }
    QSize deviceSize() const { return grid_.device(); }
    // Composes a frame of `device` pixels from now on, everything anew. Called while a frame's
    // draw list is being built, it takes effect after that frame's Compose.
    void SetDeviceSize(QSize device);
    // Where frames are made from now on (SharedFrames::Frame): a black RGB32 image of the size
    // asked. The frame in use moves there now.
    using FrameMemory = std::function<QImage(QSize)>;
    void SetFrameMemory(FrameMemory memory) {
        frameMemory_ = std::move(memory);
        frame_ = NewFrame(frame_.size(), frame_);
        ForgetOwnMemory();
    }
    // Composes into `memory` from now on, a deviceSize() RGB32 image over memory that already
    // holds the frame last composed (another buffer brought up to date): nothing is copied. The
    // image must stay its only holder, so that drawing never detaches it into a copy. False, and
    // nothing changed, for an image of another size or format.
    bool ComposeInto(QImage memory);
    // Composes into memory of its own from now on, when it was composing into memory lent by
    // ComposeInto (which may soon be read by someone else): the memory it had before, brought up
    // to date with only what changed since.
    void ComposeInOwnMemory();
    // Makes every surface the other compositor has, with the same pictures and positions (for a
    // second density of the same scene). Only for a compositor without surfaces.
    void CopySurfacesFrom(const Compositor& other);

    // Told about a picture that turned out unreadable when it was first drawn (once a picture),
    // or whose 2x twin cannot be used (once a twin; the 1x picture is drawn scaled instead).
    using WarningSink = std::function<void(const QString& path, const QString& why)>;
    void SetWarningSink(WarningSink sink) { warn_ = std::move(sink); }

    SurfaceId CreateSurface();
    // Makes the surface show the picture at `path`. transparency kOpaque: drawn as it is;
    // kKeyedOrAlpha: the file's alpha channel when it has a real one, else every pixel of the
    // top-left pixel's colour is left out. Only the file's first bytes are read now (only a
    // regular file, a folder, FIFO or device is refused without blocking); the picture is
    // decoded when first drawn. Above the scene's density the twin TwinPath(path) is drawn, scaled
    // to the density, or the picture itself scaled when the twin is missing or unusable. On failure
    // the surface draws nothing, false is returned and *error says why. An unknown surface number
    // is an error too.
    bool LoadPicture(SurfaceId surface, const QString& path, Transparency transparency,
                     QString* error);
    // Whether the surface's picture is decoded now (for tests and measurements).
    bool IsDecoded(SurfaceId surface) const;
    // Starts reading every twin asked for and waits until all are read; the next draw of a
    // surface shows its twin (for tests and measurements).
    void WaitForDecodes();
    // Positions wrap like 32-bit two's complement numbers instead of overflowing; a surface number
    // that was never created is ignored and reads as 0.
    void SetSurfaceX(SurfaceId surface, std::int32_t x);
    void SetSurfaceY(SurfaceId surface, std::int32_t y);
    void MoveSurfaceX(SurfaceId surface, std::int32_t n);
    void MoveSurfaceY(SurfaceId surface, std::int32_t n);  // a positive n moves up
    std::int32_t SurfaceX(SurfaceId surface) const;
    std::int32_t SurfaceY(SurfaceId surface) const;
    // The picture as it is drawn at the current density (empty when it could not be read or is
    // not decoded yet).
    QImage SurfaceImage(SurfaceId surface) const;

    // The draw list of the frame being built. Every frame starts from black; later items paint
    // over earlier ones.
    void ClearFrame(Colour colour);
    void DrawSurface(SurfaceId surface);
    // Size in points at 96 dots per inch (in logical pixels). A family that is not installed falls
    // back to the system's sans-serif font.
    void SetFont(const std::string& name, std::int32_t points);
    // Top-left corner of the text box at (x, y), clipped by the frame.
    void DrawText(const std::string& text, std::int32_t x, std::int32_t y, Colour colour);
    // The same with a font of its own, sized in logical pixels, leaving the current font alone
    // (for the frame-rate line).
    void DrawTextInFont(const QString& text, const QFont& font, std::int32_t x, std::int32_t y,
                        Colour colour);

    // Composes the draw list built since the last call into the back buffer and starts a new
    // one. Returns the region of the frame that changed, in frame pixels (empty when nothing
    // did).
    QRegion Compose();
    // The next Compose redraws the whole frame.
    void Invalidate() { fullRedraw_ = true; }

    // How many text pictures are kept (for tests: the cache must not grow without bound).
    std::size_t CachedTextCount() const { return textPictures_.size(); }

    static int PixelSizeForPoints(std::int32_t points);
    static QRgb ToRgb(Colour colour);

  private:
    struct Surface {
        QString path;
        Transparency transparency = kOpaque;
        QSize size;  // logical; empty: nothing to draw
        // RGB32 when opaque, else ARGB32_Premultiplied, at the current density; null: not
        // decoded. While the twin is read, the 1x picture stands in, stretched as it is drawn.
        QImage image;
        bool standIn = false;
        bool broken = false;        // could not be decoded: draws nothing, and is not tried again
        bool twinUnusable = false;  // the 1x picture is scaled instead
        std::future<TwinPicture> twin;  // being read (and scaled); until then the stand-in
        std::uint64_t twinWantedAt = UINT64_MAX;  // the frame that asked for the twin
        std::int32_t x = 0, y = 0;
        // Changes with every load and when the twin replaces the stand-in, so that new
        // pixels are drawn.
        std::uint32_t generation = 0;
        std::uint64_t lastDrawn = UINT64_MAX;  // the frame number that last drew it
    };
    enum class Kind : std::uint8_t { Fill, Picture };
    // One thing drawn in a frame. Two items draw the same pixels when kind, key and position are
    // equal: key is the fill colour, the surface number and picture generation, or the text
    // picture's serial number.
    struct Item {
        Kind kind = Kind::Fill;
        std::uint64_t key = 0;
        std::int64_t x = 0, y = 0;  // where the picture's top-left pixel lands
        QRect bounds;               // the part of the frame it covers (clipped, maybe empty)
        QImage image;               // shared with the surface or text cache, never copied
        QSize stretchedTo;          // not empty: image is drawn stretched to this size
        QRgb colour = 0;
        bool opaque = false;  // hides everything under its bounds
        bool operator==(const Item& other) const {
            return kind == other.kind && key == other.key && x == other.x && y == other.y;
        }
    };
    struct FontChoice {
        std::string family;
        int pixelSize = 16;
    };
    // A DrawText call of the last frame and the picture it gave. The overlay makes the same
    // calls in the same order frame after frame, so comparing with the call in the same place
    // last time finds the picture without building a cache key.
    struct TextCall {
        std::string family, text;
        int pixelSize = 0;
        Colour colour = 0;
        std::int32_t x = 0, y = 0;
        TextPicture picture;
    };

    void Decode(Surface& surface);
    void TakeTwin(Surface& surface);
    // Starts reading the twins asked for before this frame (all: also those of this frame).
    void StartTwinReads(bool all);
    static constexpr std::uint64_t kNever = UINT64_MAX;
    void ApplyDeviceSize(QSize device);
    void ForgetOwnMemory();
    // A frame of `size` from the frame memory holding `pixels` scaled to it.
    QImage NewFrame(QSize size, const QImage& pixels) const;
    QSize DeviceSizeOf(const Surface& surface) const { return grid_.Size(surface.size); }
    void ReleaseUndrawn();
    Surface* Find(SurfaceId surface);
    const Surface* Find(SurfaceId surface) const;
    const TextPicture& FindText(const QString& text, const QFont& font, const QString& fontKey,
                                std::int32_t x, std::int32_t y, Colour colour);
    void PushText(const TextPicture& picture);
    void Paint(const std::vector<QRect>& areas);
    void DrawItem(const Item& item, const QRect& part);

    QSize logicalSize_;
    DeviceGrid grid_;
    QSize pendingDevice_;  // empty: none
    QImage frame_;
    bool framePainted_ = false;  // a Compose has drawn into the frame: it is no longer all black
    bool frameLent_ = false;     // frame_ is memory given to ComposeInto
    // While the frame is lent: the memory of its own it goes back to, and where that lags
    // behind the frame.
    QImage ownFrame_;
    QRegion ownBehind_;
    FrameMemory frameMemory_;
    WarningSink warn_;
    std::vector<Surface> surfaces_;  // surface n is element n - 1
    std::uint32_t nextGeneration_ = 1;
    FontChoice font_;
    std::vector<Item> building_, shown_;
    bool fullRedraw_ = true;
    TextPictures textPictures_;
    SolidRunCache solidRuns_;
    std::vector<TextCall> textCalls_;
    std::size_t textSlot_ = 0;
    std::uint64_t frameNumber_ = 0;
};

}  // namespace driftmere
