#include "display/BackdropRotation.h"

namespace driftmere {

void BackdropRotation::ChooseBackdrops(const std::array<bool, 8>& chosen) {
    // Walk from Beach 3 down to Mountain 1 so that the last assignment, the smallest chosen
    // index, is where the rotation starts.
    for (int i = 7; i >= 1; --i) {
        if (!chosen[i]) continue;
        chosen_[i] = true;
        index_ = static_cast<std::int16_t>(i);
        ++count_;
    }
}

void BackdropRotation::AdvanceBackdrop() {
    ++seconds_;
    if (count_ > 1 && seconds_ == scrollSec_) {
        // One step per change, chosen or not; CurrentBackdrop skips what is not chosen.
        if (++index_ > 7) index_ = 1;
        seconds_ = 0;
    }
    if (seconds_ > 28'800'000) seconds_ = 0;
}

SurfaceId BackdropRotation::CurrentBackdrop() {
    if (count_ != 0) {
        while (!chosen_[index_]) {
            if (++index_ > 7) index_ = 1;
        }
    }
    return surface_[index_ == 0 ? 1 : index_];
}

}  // namespace driftmere
