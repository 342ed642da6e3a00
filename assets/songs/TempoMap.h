#pragma once
// A song's tempo changes by beat, and the clock time they give.
#include <utility>
#include <vector>

namespace driftmere::songs {

class TempoMap {
  public:
    // Changes come in order of their beat; one out of order stops the generator.
    void Set(double beat, double bpm);
    // The tempo in force at `beat` (the first one before any change).
    double BpmAt(double beat) const;
    // Seconds from the start to `beat`.
    double Seconds(double beat) const;

  private:
    std::vector<std::pair<double, double>> changes_;  // (beat, bpm)
};

}  // namespace driftmere::songs
