#include "display/qt/Density.h"

#include <cstdint>

namespace driftmere {

int PictureScaleFor(QSize letterboxDevicePixels, QSize logicalFrame) {
    if (logicalFrame.isEmpty() || letterboxDevicePixels.isEmpty()) return 1;
    // Both sides must reach 1.5 times: a letterbox is the frame's shape, so they agree but for
    // rounding, and the smaller one decides. Compared in whole numbers: 2 * device >= 3 * logical.
    const auto reaches = [](int device, int logical) {
        return 2 * static_cast<std::int64_t>(device) >= 3 * static_cast<std::int64_t>(logical);
    };
    const bool dense = reaches(letterboxDevicePixels.width(), logicalFrame.width()) &&
                       reaches(letterboxDevicePixels.height(), logicalFrame.height());
    return dense ? kLargestPictureScale : 1;
}

}  // namespace driftmere
