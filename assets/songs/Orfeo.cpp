// orfeo: an aria in the eighteenth-century manner, our own tune, in F major. A flute sings over
// strings that pulse in soft repeated eighths, a cello that steps in quarters and a harp that
// fills in the harmony. Form: a short introduction, A, A again with the oboe, B (which turns
// towards the relative minor through its own dominant) and A once more, then a closing cadence.
#include "Notation.h"
#include "Patterns.h"
#include "Songs.h"
#include "Voicing.h"

namespace driftmere::songs {
namespace {

constexpr const char* kChordsA = "I:4 V65:2 I:2 IV:2 ii6:2 V:4 I:4 vi:2 ii:2 I64:2 V7:2 I:4";
constexpr const char* kChordsB = "V:4 II7:2 V:2 vi:2 III:2 vi:4 IV:2 I6:2 ii6:2 II7:2 V:2 V7:2 I:4";
// Sighing appoggiaturas and dotted rhythms; the tonic is the F above the treble staff's top line.
constexpr const char* kTuneA =
    "3h 5q. 4e | 3q 2q 1h | 6q. 5e 4q 6q | 5h 2h |"
    "3h 5q. 1'e | 1'q. 6e 4q 6q | 5q 3q 2q 7,q | 1h. rq |";
constexpr const char* kTuneB =
    "5q. 6e 7q 5q | 6q #4q 5h | 3q 1q 7,q #5,q | 6,q. 7,e 1q 3q |"
    "4q 6q 5q 3q | 4q 2q 1q #4,q | 2q 3q 4q 2q | 3h 1h |";

}  // namespace

Composed ComposeOrfeo() {
    const Key key{5};  // F
    Song song("orfeo", 0x0AF3E0ull, key, 60, 4);
    song.SetLevel(1.0, 1.1);
    const int flute = song.Part({"Flute", 0, gm::kFlute, 100, 70, 70, 0, 100, 0.015, 4});
    const int oboe = song.Part({"Oboe", 1, gm::kOboe, 84, 50, 70, 0, 100, 0.015, 4});
    const int strings = song.Part({"Strings", 2, gm::kStrings, 80, 60, 80, 10, 80, 0.0, 3});
    const int cello = song.Part({"Cello", 3, gm::kCello, 88, 44, 70, 0, 100, 0.01, 3});
    const int harp = song.Part({"Harp", 4, gm::kHarp, 76, 84, 70, 0, 100, 0.01, 4});

    const double bar = 4;
    const auto chordsA = Progression(key, kChordsA, bar);
    const auto chordsB = Progression(key, kChordsB, bar);
    const int tonic = 77;

    // Strings pulse in eighths, the cello walks in quarters on the bass of each chord, the harp
    // rolls each chord once.
    auto accompany = [&](const std::vector<Chord>& chords, double start, int velocity) {
        const auto voicings = Voicings(chords, 3, 57, 74);
        const auto starts = Starts(chords, start);
        int bassNote = -1;
        for (std::size_t i = 0; i < chords.size(); ++i) {
            const int steps = static_cast<int>(chords[i].beats * 2);
            for (int k = 0; k < steps; ++k) {
                song.Block(strings, starts[i] + 0.5 * k, 0.42, voicings[i], velocity - (k % 2) * 8);
            }
            bassNote = BassNote(chords[i], bassNote < 0 ? 41 : bassNote, 36, 53);
            for (int b = 0; b < static_cast<int>(chords[i].beats); ++b) {
                // The cello leaps an octave on the weak beats of a long chord.
                const int octave =
                    (b % 2 == 1 && chords[i].beats >= 4 && bassNote + 12 <= 60) ? 12 : 0;
                song.Note(cello, starts[i] + b, 0.85, bassNote + octave, 64 - (b % 2) * 6);
            }
            auto rolled = voicings[i];
            rolled.insert(rolled.begin(), bassNote + 12);
            song.Block(harp, starts[i], chords[i].beats, rolled, velocity - 4, 0.35);
        }
        for (double phrase = 0; phrase + 16 <= Length(chords) + 1e-9; phrase += 16) {
            song.Swell(strings, start + phrase, 16, 60, 92, 64, 0.6);
        }
    };
    auto sing = [&](int part, const char* tune, double start, int velocity, int octave) {
        const auto tones = Shifted(Melody(key, tonic, tune, start, bar), 12 * octave, 0);
        for (int phrase = 0; phrase < 2; ++phrase) {
            std::vector<Tone> half;
            for (const auto& t : tones) {
                if ((t.beat - start >= 16 * phrase) && (t.beat - start < 16 * (phrase + 1))) {
                    half.push_back(t);
                }
            }
            song.Line(part, half, velocity, 16, 0.97);
            song.Swell(part, start + 16 * phrase, 16, 70, 110, 76, 0.55);
        }
    };

    double at = 0;
    const auto intro = Progression(key, "I:4 V7:4", bar);
    accompany(intro, at, 44);
    at += Length(intro);

    accompany(chordsA, at, 44);
    sing(flute, kTuneA, at, 62, 0);
    at += Length(chordsA);

    // The oboe takes the tune an octave lower; the flute adds a high held note per phrase.
    accompany(chordsA, at, 42);
    sing(oboe, kTuneA, at, 64, -1);
    song.Note(flute, at + 8, 6, 81, 50);
    song.Note(flute, at + 24, 6, 82, 50);
    at += Length(chordsA);

    accompany(chordsB, at, 46);
    sing(flute, kTuneB, at, 64, 0);
    at += Length(chordsB);

    accompany(chordsA, at, 44);
    sing(flute, kTuneA, at, 60, 0);
    at += Length(chordsA);

    // Closing cadence: subdominant, dominant seventh, and the tonic held under a fermata.
    const auto coda = Progression(key, "IV:2 V7:2", bar);
    accompany(coda, at, 40);
    song.Line(flute, Melody(key, tonic, "6q 4q 2q 7,q |", at, bar), 56, 8, 0.97);
    song.Ritardando(at, 4, 42);
    const double last = at + 4;
    song.Block(strings, last, 6, {57, 60, 65, 69}, 44);
    song.Swell(strings, last, 6, 80, 84, 20, 0.2);
    song.Note(cello, last, 6, 41, 60);
    song.Block(harp, last, 6, {41, 53, 60, 65, 69, 72}, 48, 0.6);
    song.Note(flute, last, 6, 77, 54);
    song.Swell(flute, last, 6, 90, 96, 30, 0.3);
    return song.Finish(last + 6.5);
}

}  // namespace driftmere::songs
