#include "TempoMap.h"

#include <algorithm>
#include <stdexcept>

namespace driftmere::songs {

void TempoMap::Set(double beat, double bpm) {
    if (bpm <= 0 || (!changes_.empty() && beat < changes_.back().first)) {
        throw std::invalid_argument("tempo changes must come in order, each above zero");
    }
    changes_.emplace_back(beat, bpm);
}

double TempoMap::BpmAt(double beat) const {
    if (changes_.empty()) {
        throw std::logic_error("a tempo map without a tempo");
    }
    double bpm = changes_.front().second;
    for (const auto& [at, value] : changes_) {
        if (at <= beat) {
            bpm = value;
        }
    }
    return bpm;
}

double TempoMap::Seconds(double beat) const {
    double seconds = 0;
    for (std::size_t i = 0; i < changes_.size(); ++i) {
        const double from = changes_[i].first;
        const double to = i + 1 < changes_.size() ? changes_[i + 1].first : beat;
        if (from >= beat) {
            break;
        }
        seconds += (std::min(to, beat) - from) * 60.0 / changes_[i].second;
    }
    return seconds;
}

}  // namespace driftmere::songs
