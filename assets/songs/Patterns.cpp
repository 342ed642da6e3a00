#include "Patterns.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Voicing.h"

namespace driftmere::songs {

std::vector<std::vector<int>> Voicings(const std::vector<Chord>& chords, int voices, int low,
                                       int high) {
    std::vector<std::vector<int>> out;
    std::vector<int> previous;
    for (const auto& c : chords) {
        previous = VoiceLead(c, previous, voices, low, high);
        out.push_back(previous);
    }
    return out;
}

std::vector<double> Starts(const std::vector<Chord>& chords, double start) {
    std::vector<double> out;
    for (const auto& c : chords) {
        out.push_back(start);
        start += c.beats;
    }
    return out;
}

void Held(Song& song, int part, const std::vector<Chord>& chords, double start, int voices, int low,
          int high, int velocity) {
    Held(song, part, chords, start, Voicings(chords, voices, low, high), velocity);
}

void Held(Song& song, int part, const std::vector<Chord>& chords, double start,
          const std::vector<std::vector<int>>& voicings, int velocity) {
    const auto starts = Starts(chords, start);
    for (std::size_t i = 0; i < chords.size(); ++i) {
        // Notes shared with the next chord are tied over rather than struck again.
        for (int p : voicings[i]) {
            double length = chords[i].beats;
            std::size_t j = i;
            bool startsHere = i == 0 || std::find(voicings[i - 1].begin(), voicings[i - 1].end(),
                                                  p) == voicings[i - 1].end();
            if (!startsHere) {
                continue;
            }
            while (j + 1 < chords.size() &&
                   std::find(voicings[j + 1].begin(), voicings[j + 1].end(), p) !=
                       voicings[j + 1].end()) {
                ++j;
                length += chords[j].beats;
            }
            song.Note(part, starts[i], length - 0.05, p, velocity);
        }
    }
}

void Broken(Song& song, int part, const std::vector<Chord>& chords, double start,
            const std::vector<int>& pattern, double step, double ring, int voices, int low,
            int high, int velocity) {
    const auto voicings = Voicings(chords, voices, low, high);
    const auto starts = Starts(chords, start);
    for (std::size_t i = 0; i < chords.size(); ++i) {
        const auto& v = voicings[i];
        const int n = static_cast<int>(std::lround(chords[i].beats / step));
        for (int k = 0; k < n; ++k) {
            const int index = pattern[k % pattern.size()];
            const int size = static_cast<int>(v.size());
            const int pitch = v[index % size] + 12 * (index / size);
            const double at = starts[i] + k * step;
            const double onBeat = std::fmod(at - start, 1.0) < 1e-6 ? 1.0 : 0.0;
            // A note may ring on, but never into the next chord.
            const double length = std::min(ring * step, starts[i] + chords[i].beats - at);
            song.Note(part, at, length, pitch, velocity + static_cast<int>(6 * onBeat));
        }
    }
}

void Bass(Song& song, int part, const std::vector<Chord>& chords, double start, int low, int high,
          int velocity, double noteBeats, bool walk) {
    const auto starts = Starts(chords, start);
    int previous = -1;
    for (std::size_t i = 0; i < chords.size(); ++i) {
        const int root = BassNote(chords[i], previous, low, high);
        previous = root;
        const double beats = chords[i].beats;
        if (!walk || i + 1 == chords.size() || beats < 2) {
            song.Note(part, starts[i], std::min(noteBeats, beats) - 0.05, root, velocity);
            continue;
        }
        const int next = BassNote(chords[i + 1], root, low, high);
        // Approach the next root by a step of the scale, or through the chord's fifth when the
        // next root is only a step away.
        int approach;
        if (std::abs(next - root) <= 2) {
            approach = root + 7 <= high ? root + 7 : root - 5;
        } else {
            const int side = next > root ? -1 : 1;
            approach = song.GetKey().InScale(next + side) ? next + side : next + 2 * side;
        }
        song.Note(part, starts[i], std::min(noteBeats, beats - 1) - 0.05, root, velocity);
        song.Note(part, starts[i] + beats - 1, 0.95, approach, velocity - 8);
    }
}

}  // namespace driftmere::songs
