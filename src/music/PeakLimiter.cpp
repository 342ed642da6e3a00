#include "music/PeakLimiter.h"

#include <algorithm>
#include <cmath>

namespace driftmere {

PeakLimiter::PeakLimiter(float ceiling, double sampleRate, double releaseSeconds)
    : ceiling_(ceiling),
      release_(static_cast<float>(1.0 - std::exp(-1.0 / (releaseSeconds * sampleRate)))) {}

void PeakLimiter::Process(float* left, float* right, int frames) {
    for (int i = 0; i < frames; ++i) {
        float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
        if (peak * gain_ > ceiling_) {
            gain_ = ceiling_ / peak;
        } else {
            // Recover, but never so far that this very sample goes over.
            float recovered = gain_ + (1.0f - gain_) * release_;
            gain_ = peak > 0.0f ? std::min(recovered, ceiling_ / peak) : recovered;
        }
        left[i] *= gain_;
        right[i] *= gain_;
    }
}

}  // namespace driftmere
