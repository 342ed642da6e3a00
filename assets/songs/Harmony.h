#pragma once
// The musical vocabulary the songs are written in: keys, chords written as roman numerals,
// voice leading, and melodies written as scale degrees with note lengths.
#include <string_view>
#include <vector>

namespace driftmere::songs {

// A key: its tonic as a pitch class (0 = C, 1 = C sharp or D flat ...) and its mode.
struct Key {
    int tonic = 0;
    bool minor = false;

    // Semitones from the tonic to scale degree `degree` (1 = tonic; 8 is the octave, 0 the
    // leading note below).
    int Degree(int degree) const;
    // Sharps (positive) or flats (negative) of the key signature.
    int Signature() const;
};

struct Chord {
    int root = 0;            // pitch class
    std::vector<int> tones;  // pitch classes: root, third (or suspension), fifth, then 7th, 9th
    int bass = 0;            // pitch class of the lowest note
    double beats = 4;        // how long the chord lasts

    bool Has(int pitch) const;
};

// Chords written the way a musician reads them in a key, separated by blanks:
//   "I vi:2 ii7:2 V7 IV6 I64:2 V:2 bVII Vsus4 Iadd9 IM7 IV/1 viio"
// Upper case numerals are major triads, lower case minor; "o" diminished, "h7" half-diminished,
// "+" augmented; "7" a minor seventh, "M7" a major seventh, "9" a seventh and ninth, "add9",
// "sus4", "sus2"; "6" and "64" (or "65", "43", "42" for sevenths) are inversions; "/N" puts
// scale degree N in the bass. ":n" makes the chord last n beats instead of `beats`.
std::vector<Chord> Progression(const Key& key, std::string_view text, double beats);

// Total length of a progression in beats.
double Length(const std::vector<Chord>& chords);

// A voicing of `voices` chord tones between `low` and `high` (MIDI pitches) that keeps the
// chord's character (third, seventh, colour notes) and moves as little as possible from
// `previous` (empty for the first chord), avoiding parallel fifths and octaves.
std::vector<int> VoiceLead(const Chord& chord, const std::vector<int>& previous, int voices,
                           int low, int high);

// The chord's bass pitch class placed nearest to `previous` (or to the middle of the range when
// `previous` is negative), between `low` and `high`.
int BassNote(const Chord& chord, int previous, int low, int high);

// The chord tone nearest to `pitch` (the lower one on a tie).
int NearestChordTone(const Chord& chord, int pitch);

// Every pitch of the chord between `low` and `high`, ascending.
std::vector<int> ChordPitches(const Chord& chord, int low, int high);

struct Tone {
    double beat;   // start, in quarter notes from the start of the song
    double beats;  // length
    int pitch;     // MIDI pitch
};

// A melody written as scale degrees: "5q 6e 5e 3h | 2q. 1e 2h". A token is an optional
// accidental (b or #), a degree 1..7 (or r for a rest), octave marks (' up, , down), then a
// length: w h q e s (whole to sixteenth), t (a third of a beat), dots, and "+" to add lengths
// ("h+e"). Degree 1 sounds at `tonicPitch`. Bars ("|") must hold `barBeats` beats each; a
// mistake there stops the generator, so a miscounted bar never reaches a song.
std::vector<Tone> Melody(const Key& key, int tonicPitch, std::string_view text, double start,
                         double barBeats);

// The same melody moved by `semitones` and `beats`.
std::vector<Tone> Shifted(std::vector<Tone> tones, int semitones, double beats);

// How many beats a melody written as above lasts, rests included.
double MelodyLength(std::string_view text);

}  // namespace driftmere::songs
