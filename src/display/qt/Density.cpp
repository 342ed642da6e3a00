#include "display/qt/Density.h"

#include <algorithm>

#include "display/qt/Presentation.h"

namespace driftmere {

namespace {

QSize AtLeastOne(QSize size) { return {std::max(size.width(), 1), std::max(size.height(), 1)}; }

}  // namespace

DeviceGrid::DeviceGrid(QSize logical, QSize device)
    : logical_(AtLeastOne(logical)), device_(AtLeastOne(device)) {}

QSize DeviceGrid::Size(QSize size) const {
    auto scaled = [](std::int64_t n, int device, int logical) {
        return static_cast<int>(std::max<std::int64_t>((n * device + logical / 2) / logical, 1));
    };
    return {scaled(size.width(), device_.width(), logical_.width()),
            scaled(size.height(), device_.height(), logical_.height())};
}

QSize FrameSizeFor(QSize windowDevicePixels, QSize scene) {
    const QSize letterbox = LetterboxRect(scene, AtLeastOne(windowDevicePixels)).size();
    return AtLeastOne(letterbox.boundedTo({kLargestFrameSide, kLargestFrameSide}));
}

}  // namespace driftmere
