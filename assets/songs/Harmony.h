#pragma once
// The harmonic vocabulary the songs are made of: keys, chords as the pitch classes they hold,
// and melody notes.
#include <vector>

namespace driftmere::songs {

// 0..11 for any pitch or interval, negative ones included (0 = C, 1 = C sharp or D flat ...).
inline int PitchClass(int pitch) { return ((pitch % 12) + 12) % 12; }

// A key: its tonic as a pitch class and its mode.
struct Key {
    int tonic = 0;
    bool minor = false;

    // Semitones from the tonic to scale degree `degree` (1 = tonic; 8 is the octave, 0 the
    // leading note below).
    int Degree(int degree) const;
    // Sharps (positive) or flats (negative) of the key signature.
    int Signature() const;
    // True when `pitch` is one of the seven notes of the scale.
    bool InScale(int pitch) const;
};

struct Chord {
    int root = 0;            // pitch class
    std::vector<int> tones;  // pitch classes: root, third (or suspension), fifth, then 7th, 9th
    int bass = 0;            // pitch class of the lowest note
    double beats = 4;        // how long the chord lasts

    bool Has(int pitch) const;
};

// Total length of a progression in beats.
double Length(const std::vector<Chord>& chords);

// Every pitch of the chord between `low` and `high`, ascending.
std::vector<int> ChordPitches(const Chord& chord, int low, int high);

struct Tone {
    double beat;   // start, in quarter notes from the start of the song
    double beats;  // length
    int pitch;     // MIDI pitch
};

// The same melody moved by `semitones` and `beats`.
std::vector<Tone> Shifted(std::vector<Tone> tones, int semitones, double beats);

}  // namespace driftmere::songs
