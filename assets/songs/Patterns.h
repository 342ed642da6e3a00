#pragma once
// Accompaniment figures shared by the songs: held chords, broken chords and bass lines that
// follow a progression.
#include <vector>

#include "Harmony.h"
#include "Song.h"

namespace driftmere::songs {

// One voicing per chord, each led smoothly from the one before.
std::vector<std::vector<int>> Voicings(const std::vector<Chord>& chords, int voices, int low,
                                       int high);

// Where each chord of a progression starts, from `start`.
std::vector<double> Starts(const std::vector<Chord>& chords, double start);

// The chords held as a pad, each voicing sounding for its chord's length.
void Held(Song& song, int part, const std::vector<Chord>& chords, double start, int voices, int low,
          int high, int velocity);

// The same with voicings chosen by the caller (one per chord).
void Held(Song& song, int part, const std::vector<Chord>& chords, double start,
          const std::vector<std::vector<int>>& voicings, int velocity);

// A broken-chord figure over each chord: `pattern` picks notes of the voicing by index from the
// bottom (an index past the top wraps an octave up), one every `step` beats, each ringing for
// `ring` steps. Velocity leans on the first note of each beat.
void Broken(Song& song, int part, const std::vector<Chord>& chords, double start,
            const std::vector<int>& pattern, double step, double ring, int voices, int low,
            int high, int velocity);

// A bass that plays the chord's bass note on its downbeat, and, when `walk` is set, moves to the
// next chord through a fifth or a passing step on the chord's last beat.
void Bass(Song& song, int part, const std::vector<Chord>& chords, double start, int low, int high,
          int velocity, double noteBeats, bool walk);

}  // namespace driftmere::songs
