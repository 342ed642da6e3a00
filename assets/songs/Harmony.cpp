#include "Harmony.h"

#include <algorithm>
#include <array>

namespace driftmere::songs {

int Key::Degree(int degree) const {
    static constexpr std::array<int, 7> kMajorSteps = {0, 2, 4, 5, 7, 9, 11};
    static constexpr std::array<int, 7> kMinorSteps = {0, 2, 3, 5, 7, 8, 10};
    const auto& steps = minor ? kMinorSteps : kMajorSteps;
    const int index = degree - 1;
    const int octave = index >= 0 ? index / 7 : -((-index + 6) / 7);
    return steps[index - octave * 7] + 12 * octave;
}

int Key::Signature() const {
    // Sharps of the major key on each tonic; a minor key has its relative major's signature.
    static constexpr std::array<int, 12> kMajorSharps = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};
    return kMajorSharps[PitchClass(minor ? tonic + 3 : tonic)];
}

bool Key::InScale(int pitch) const {
    for (int d = 1; d <= 7; ++d) {
        if (PitchClass(pitch - tonic - Degree(d)) == 0) {
            return true;
        }
    }
    return false;
}

bool Chord::Has(int pitch) const {
    return std::find(tones.begin(), tones.end(), PitchClass(pitch)) != tones.end();
}

double Length(const std::vector<Chord>& chords) {
    double total = 0;
    for (const auto& c : chords) {
        total += c.beats;
    }
    return total;
}

std::vector<int> ChordPitches(const Chord& chord, int low, int high) {
    std::vector<int> pitches;
    for (int p = low; p <= high; ++p) {
        if (chord.Has(p)) {
            pitches.push_back(p);
        }
    }
    return pitches;
}

std::vector<Tone> Shifted(std::vector<Tone> tones, int semitones, double beats) {
    for (auto& t : tones) {
        t.pitch += semitones;
        t.beat += beats;
    }
    return tones;
}

}  // namespace driftmere::songs
