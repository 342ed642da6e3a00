#pragma once
// The two notations the songs are written in: chords as roman numerals in a key, and melodies
// as scale degrees with note lengths. A mistake in either stops the generator and names the
// text, so a miswritten bar never reaches a song.
#include <string_view>
#include <vector>

#include "Harmony.h"

namespace driftmere::songs {

// Chords written the way a musician reads them in a key, separated by blanks:
//   "I vi:2 ii7:2 V7 IV6 I64:2 V:2 bVII Vsus4 Iadd9 IM7 IV/1 viio"
// Upper case numerals are major triads, lower case minor; "o" diminished, "h7" half-diminished,
// "+" augmented; "7" a minor seventh, "M7" a major seventh, "9" a seventh and ninth, "add9",
// "sus4", "sus2"; "6" and "64" (or "65", "43", "42" for sevenths) are inversions; "/N" puts
// scale degree N in the bass. ":n" makes the chord last n beats instead of `beats`. Bar lines
// ("|") may stand between chords and are ignored.
std::vector<Chord> Progression(const Key& key, std::string_view text, double beats);

// A melody written as scale degrees: "5q 6e 5e 3h | 2q. 1e 2h". A token is an optional
// accidental (b or #), a degree 1..7 (or r for a rest), octave marks (' up, , down), then a
// length: w h q e s (whole to sixteenth), t (a third of a beat), dots, and "+" to add lengths
// ("h+e"). Degree 1 sounds at `tonicPitch`. Bars ("|") must hold `barBeats` beats each.
std::vector<Tone> Melody(const Key& key, int tonicPitch, std::string_view text, double start,
                         double barBeats);

}  // namespace driftmere::songs
