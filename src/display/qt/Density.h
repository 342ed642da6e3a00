#pragma once
// The scene is composed at the density of the screen that shows it: a letterbox of 1440 x 1080
// device pixels gets a frame of exactly 1440 x 1080, shown pixel for pixel. Every picture is
// scaled once to that density (from the twice-as-dense set whenever the density is above the
// scene's own, so enlarged pictures keep their detail), and positions and sizes in scene pixels
// land on device pixels by DeviceGrid.
#include <QSize>
#include <cstdint>

#include "display/DenseTwin.h"

namespace driftmere {

class DeviceGrid {
  public:
    DeviceGrid() = default;
    // `device` is clamped to at least one pixel each way.
    DeviceGrid(QSize logical, QSize device);

    QSize logical() const { return logical_; }
    QSize device() const { return device_; }
    // The device pixel a scene pixel's top-left corner lands on: rounded down, so every scene
    // position has one place, and the scene's right and bottom edges land on the frame's.
    std::int64_t X(std::int64_t x) const { return FloorDiv(x * device_.width(), logical_.width()); }
    std::int64_t Y(std::int64_t y) const {
        return FloorDiv(y * device_.height(), logical_.height());
    }
    // A picture of `size` scene pixels at this density: rounded to the nearest, at least 1.
    QSize Size(QSize size) const;
    // Whether the pictures come from the twice-as-dense set: any density above the scene's own.
    bool UsesTwins() const {
        return DrawsDenseTwin(double(device_.width()) / logical_.width(), ScaleY());
    }
    // Device pixels per scene pixel, up and down.
    double ScaleY() const { return double(device_.height()) / logical_.height(); }

    bool operator==(const DeviceGrid&) const = default;

  private:
    static std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
        const std::int64_t q = a / b;
        return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
    }

    QSize logical_{800, 600};
    QSize device_{800, 600};
};

// The frame a window of `windowDevicePixels` (its size times its device pixel ratio) needs: the
// letterbox of the scene in it, at most kLargestFrameSide each way and at least 1 x 1.
inline constexpr int kLargestFrameSide = 8192;
QSize FrameSizeFor(QSize windowDevicePixels, QSize scene);

}  // namespace driftmere
