#pragma once
// The display control: a full-screen 800 x 600 display with numbered surfaces (pictures loaded
// from files, each with a position) that composes and shows frames and raises frame and input
// events. The saver talks to it only through this interface; the Qt window implements it and
// tests record the calls.
#include <cstdint>
#include <string>

namespace driftmere {

// The scene's logical size: every position, limit and move is in these pixels.
inline constexpr int kSceneWidth = 800;
inline constexpr int kSceneHeight = 600;

using SurfaceId = std::int32_t;
// red + 256 * green + 65536 * blue
using Colour = std::int32_t;
inline constexpr Colour kBlack = 0;
inline constexpr Colour kYellow = 65535;

// How LoadPicture treats a picture's pixels.
enum Transparency : std::int8_t {
    kOpaque,        // backdrops: every pixel is drawn
    kKeyedOrAlpha,  // balloons: the alpha channel, else the top-left pixel's colour is not drawn
};

// When the owner next has something new to draw; the display asks after every frame.
struct FrameDue {
    enum class When : std::uint8_t {
        Steadily,  // every 10 ms
        AtTick,    // at `tick`, a reading of the saver's millisecond clock (Clock::TickCount)
        WhenAsked  // not before the display is asked for a frame (by a one-second timer)
    };
    When when = When::Steadily;
    std::uint32_t tick = 0;
};

// What the display reports to its owner. Letters arrive as their capital's code (N = 78)
// whatever the shift state; every other key arrives as some other code.
class DisplayEvents {
  public:
    virtual ~DisplayEvents() = default;
    virtual void RenderFrame() = 0;
    virtual void KeyDown(std::int16_t keyCode) = 0;
    virtual void MouseClick() = 0;
    virtual void MouseMove() = 0;
    virtual FrameDue NextFrameDue() { return {}; }
};

class DisplayControl {
  public:
    virtual ~DisplayControl() = default;

    virtual void SetEventSink(DisplayEvents* sink) = 0;

    // Opens the display for a logical scene of this size (pixels of the pictures at 1x), shown
    // scaled to fit each screen. False when no display could be had.
    virtual bool OpenDisplay(int sceneWidth, int sceneHeight) = 0;
    // A new number on every call.
    virtual SurfaceId CreateSurface() = 0;
    // path is UTF-8. A missing or unreadable file leaves a surface that draws nothing.
    virtual void LoadPicture(SurfaceId surface, const std::string& path,
                             Transparency transparency) = 0;
    virtual void SetSurfaceX(SurfaceId surface, std::int32_t x) = 0;
    virtual void SetSurfaceY(SurfaceId surface, std::int32_t y) = 0;
    // x grows by n.
    virtual void MoveSurfaceX(SurfaceId surface, std::int32_t n) = 0;
    // y shrinks by n: a positive n moves the picture up.
    virtual void MoveSurfaceY(SurfaceId surface, std::int32_t n) = 0;
    virtual std::int32_t GetSurfaceX(SurfaceId surface) = 0;
    virtual std::int32_t GetSurfaceY(SurfaceId surface) = 0;
    virtual void ClearFrame(Colour colour) = 0;
    virtual void DrawSurface(SurfaceId surface) = 0;
    // size in points, drawn at 96 dots per inch on the logical 800 x 600 frame.
    virtual void SetFont(const std::string& name, std::int32_t size) = 0;
    virtual void DrawText(const std::string& text, std::int32_t x, std::int32_t y,
                          Colour colour) = 0;
    // The composed frame becomes visible.
    virtual void Flip() = 0;
};

}  // namespace driftmere
