#pragma once
// Keeps a stereo signal under a ceiling without clipping: the gain drops at once to hold a
// loud peak at the ceiling, then comes back towards 1 over a fraction of a second. Songs at
// ordinary strength never reach the ceiling and pass through untouched.
#include <cstdint>

namespace driftmere {

class PeakLimiter {
  public:
    // ceiling: the highest sample magnitude let through (1.0 = full scale).
    // releaseSeconds: how long the gain takes to come most of the way back after a peak.
    explicit PeakLimiter(float ceiling = 0.89f, double sampleRate = 44100.0,
                         double releaseSeconds = 0.3);

    // Scales left[i] and right[i] in place.
    void Process(float* left, float* right, int frames);

    float Gain() const { return gain_; }

  private:
    float ceiling_;
    float release_;
    float gain_ = 1.0f;
};

}  // namespace driftmere
