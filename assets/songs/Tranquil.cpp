// Tranquil: a slow piano song in D flat major over a hushed string pad and cello.
// Form: two bars of introduction, A (antecedent and consequent), A with a new answer, a B
// section in the relative minor's colour where the strings take the tune, A again, and a coda
// that slows to a held tonic chord.
#include "Notation.h"
#include "Patterns.h"
#include "Songs.h"

namespace driftmere::songs {
namespace {

constexpr const char* kChordsA = "I iii IV I64:2 V:2 vi ii7 IV:2 Vsus4:1 V:1 I";
constexpr const char* kChordsB = "vi IV I V6 vi IV ii7 Vsus4:2 V7:2";
constexpr const char* kTuneA =
    "3q. 4e 5h | 5q. 6e 7h | 1'q. 7e 6h | 5q 3q 2h |"
    "3q. 4e 3q 1q | 2q. 3e 4h | 6q 4q 5q 7,q | 1w |";
constexpr const char* kTuneA2 =
    "3q. 4e 5h | 5q. 6e 7h | 1'q. 7e 6h | 5q 3q 2h |"
    "3q. 4e 5q 6q | 1'h 6q 4q | 4q 6q 5q 2q | 1w |";
constexpr const char* kTuneB =
    "6q. 5e 6q 1'q | 1'h 6q 4q | 5q. 4e 3q 5q | 2h 5q 7q |"
    "1'q. 7e 6h | 6q 4q 1'q 6q | 4q. 3e 2q 4q | 1'h 7h |";

}  // namespace

Composed ComposeTranquil() {
    const Key key{1};  // D flat
    Song song("Tranquil", 0x7A9C011ull, key, 63, 4);
    song.SetLevel(1.2, 1.4);
    const int melody = song.Part({"Piano", 0, gm::kPiano, 104, 70, 50, 0, 110, 0.02, 5});
    const int left = song.Part({"Piano left hand", 1, gm::kPiano, 88, 54, 50, 0, 110, 0.015, 4});
    const int strings = song.Part({"Strings", 2, gm::kSlowStrings, 84, 80, 80, 20, 70, 0.0, 3});
    const int cello = song.Part({"Cello", 3, gm::kCello, 74, 44, 70, 0, 80, 0.0, 3});

    const double bar = 4;
    const auto chordsA = Progression(key, kChordsA, bar);
    const auto chordsB = Progression(key, kChordsB, bar);
    const int tonic = 73;  // D flat above middle C

    // Left hand: a rocking figure, pedalled chord by chord.
    const std::vector<int> rocking = {0, 2, 3, 1, 4, 2, 3, 1};
    auto leftHand = [&](const std::vector<Chord>& chords, double start, int velocity) {
        Broken(song, left, chords, start, rocking, 0.5, 3, 4, 44, 68, velocity);
        for (double at : Starts(chords, start)) {
            song.Pedal(left, at + 0.05, false);
            song.Pedal(left, at + 0.15, true);
        }
    };

    // Introduction: the tonic and the subdominant, piano alone with the pad fading in.
    const auto intro = Progression(key, "I IV/1", bar);
    leftHand(intro, 0, 46);
    Held(song, strings, intro, 0, 4, 56, 77, 50);
    song.Swell(strings, 0, 8, 30, 60, 55, 0.6);
    double at = 2 * bar;

    struct Section {
        const std::vector<Chord>& chords;
        const char* tune;
        int tuneVelocity;
        int padExpression;
        bool stringsSing;
    };
    const Section sections[] = {
        {chordsA, kTuneA, 58, 55, false},
        {chordsA, kTuneA2, 62, 68, false},
        {chordsB, kTuneB, 64, 84, true},
        {chordsA, kTuneA2, 60, 64, false},
    };
    for (const auto& s : sections) {
        const auto tune = Melody(key, tonic, s.tune, at, bar);
        leftHand(s.chords, at, 44 + (s.stringsSing ? 4 : 0));
        Held(song, strings, s.chords, at, 4, 56, 77, 52);
        Bass(song, cello, s.chords, at, 37, 55, 58, 4, false);
        // Each four-bar phrase breathes: the pad swells into the middle and settles back.
        for (int phrase = 0; phrase < 2; ++phrase) {
            const double from = at + phrase * 4 * bar;
            song.Swell(strings, from, 4 * bar, s.padExpression - 12, s.padExpression + 14,
                       s.padExpression - 10, 0.55);
        }
        if (s.stringsSing) {
            // The strings take the tune an octave below, the piano answers with light chords.
            const auto low = Shifted(tune, -12, 0);
            song.Line(strings, low, 62, 16, 1.0);
            song.Line(melody, Shifted(tune, 0, 0.5), s.tuneVelocity - 18, 8, 0.7);
        } else {
            song.Line(melody, tune, s.tuneVelocity, 14);
        }
        at += Length(s.chords);
    }

    // Coda: the subdominant, a cadence, slowing to the final chord.
    const auto coda = Progression(key, "IV ii7:2 V7:2 I:8", bar);
    leftHand(Progression(key, "IV ii7:2 V7:2", bar), at, 42);
    Held(song, strings, coda, at, 4, 56, 77, 50);
    Bass(song, cello, coda, at, 37, 55, 56, 8, false);
    song.Line(melody, Melody(key, tonic, "6h 4h | 4h 2q 7,q |", at, bar), 56, 10);
    song.Ritardando(at, 2 * bar, 46);
    const double last = at + 2 * bar;
    // The final chord, rolled on the piano and held while the strings fade.
    song.Block(left, last, 7, {37, 44, 49, 53, 56}, 48, 0.6);
    song.Block(melody, last + 0.4, 6.6, {65, 73}, 50, 0.1);
    song.Swell(strings, last, 8, 60, 62, 20, 0.1);
    song.Pedal(left, last + 7.5, false);
    return song.Finish(last + 8.5);
}

}  // namespace driftmere::songs
