#pragma once
// Where a chord's notes go: which pitches each voice takes, and the bass under it.
#include <vector>

#include "Harmony.h"

namespace driftmere::songs {

// A voicing of `voices` chord tones between `low` and `high` (MIDI pitches) that keeps the
// chord's character (third, seventh, colour notes) and moves as little as possible from
// `previous` (empty for the first chord), avoiding parallel fifths and octaves. A range that
// cannot hold such a voicing stops the generator.
std::vector<int> VoiceLead(const Chord& chord, const std::vector<int>& previous, int voices,
                           int low, int high);

// The chord's bass pitch class placed nearest to `previous` (or to the middle of the range when
// `previous` is negative), between `low` and `high`.
int BassNote(const Chord& chord, int previous, int low, int high);

// The chord tone nearest to `pitch` (the lower one on a tie).
int NearestChordTone(const Chord& chord, int pitch);

}  // namespace driftmere::songs
