// travels: an easy-going song in F major for piano, with an acoustic bass walking gently in
// quarter notes, electric piano chords on the off-beats and a vibraphone that joins the tune.
// A very soft shaker keeps the eighths. Form: introduction, A A2 B A2, then B and A2 again with
// the vibraphone, and a tag ending on a held major seventh.
#include "Notation.h"
#include "Patterns.h"
#include "Songs.h"
#include "Voicing.h"

namespace driftmere::songs {
namespace {

constexpr const char* kChordsA = "IM7 vi7 ii7 V7 iii7 VI7 ii7:2 V7:2 IM7";
constexpr const char* kChordsB = "IVM7 iii7 ii7 V7 IVM7 iii7 ii7:2 V7:2 IM7:2 V7:2";
constexpr const char* kTuneA =
    "3'q. 2'e 1'q 5q | 6q 1'q 3'h | 2'q. 1'e 6q 4q | 5q 7q 2'h |"
    "3'q. 2'e 3'q 5'q | 6q #1'q 3'q 5'q | 4'q 2'q 7q 5q | 1'h. rq |";
constexpr const char* kTuneA2 =
    "3'q. 2'e 1'q 5q | 6q 1'q 3'h | 2'q. 1'e 6q 4q | 5q 7q 2'h |"
    "5'q 3'q 2'q 3'q | 6q #1'q 3'q 5'q | 4'q. 3'e 2'q 7q | 1'w |";
constexpr const char* kTuneB =
    "3'h. 6q | 5'h. 3'q | 4'q. 3'e 2'q 1'q | 7h 2'h |"
    "3'q 4'q 6'q 3'q | 5'h 3'h | 4'q 2'q 5'q 7q | 1'h 5q 7q |";
constexpr int kShaker = 82;  // percussion key of the shaker

}  // namespace

Composed ComposeTravels() {
    const Key key{5};  // F
    Song song("travels", 0x7EA7E15ull, key, 96, 4);
    song.SetLevel(1.15, 1.2);
    const int piano = song.Part({"Piano", 0, gm::kPiano, 100, 70, 45, 0, 110, 0.02, 5});
    const int keys =
        song.Part({"Electric piano", 1, gm::kElectricPiano, 80, 46, 50, 30, 100, 0.02, 4});
    const int bass =
        song.Part({"Acoustic bass", 2, gm::kAcousticBass, 100, 60, 30, 0, 110, 0.015, 5});
    const int vibes = song.Part({"Vibraphone", 3, gm::kVibraphone, 82, 88, 60, 10, 100, 0.015, 4});
    const int shaker = song.Part({"Shaker", 9, 0, 52, 80, 40, 0, 100, 0.01, 4});

    const double bar = 4;
    const auto chordsA = Progression(key, kChordsA, bar);
    const auto chordsB = Progression(key, kChordsB, bar);

    // The bass walks: root, a chord tone, another, and a step into the next root.
    int bassRoot = -1;
    auto walk = [&](const std::vector<Chord>& chords, double start, int velocity) {
        const auto starts = Starts(chords, start);
        for (std::size_t i = 0; i < chords.size(); ++i) {
            const auto& c = chords[i];
            bassRoot = BassNote(c, bassRoot < 0 ? 41 : bassRoot, 36, 50);
            const int next =
                i + 1 < chords.size() ? BassNote(chords[i + 1], bassRoot, 36, 50) : bassRoot;
            const int beats = static_cast<int>(c.beats);
            const auto tones = ChordPitches(c, bassRoot, bassRoot + 12);
            for (int b = 0; b < beats; ++b) {
                int pitch;
                if (b == 0) {
                    pitch = bassRoot;
                } else if (b == beats - 1 && next != bassRoot) {
                    // A step of the scale into the next root: gentler than a chromatic one.
                    const int side = next > bassRoot ? -1 : 1;
                    pitch = key.InScale(next + side) ? next + side : next + 2 * side;
                } else {
                    pitch = tones[std::min<std::size_t>(b, tones.size() - 1)];
                }
                song.Note(bass, starts[i] + b, 0.9, pitch, velocity - (b % 2) * 6);
            }
        }
    };
    // Left-hand chords on the piano and light off-beat stabs on the electric piano.
    auto comp = [&](const std::vector<Chord>& chords, double start, int velocity) {
        const auto voicings = Voicings(chords, 4, 53, 70);
        const auto starts = Starts(chords, start);
        for (std::size_t i = 0; i < chords.size(); ++i) {
            song.Block(keys, starts[i] + 1.5, 0.4, voicings[i], velocity);
            if (chords[i].beats >= 4) {
                song.Block(keys, starts[i] + 3, 0.8, voicings[i], velocity - 6);
            }
            // The piano's own chord leaves out a major seventh: the tune often sits on the
            // root just above it, and the two would grind a minor ninth apart.
            std::vector<int> left;
            for (int p : voicings[i]) {
                if (((p - chords[i].root) % 12 + 12) % 12 != 11) {
                    left.push_back(p);
                }
            }
            song.Block(piano, starts[i], chords[i].beats * 0.45, left, velocity - 4, 0.04);
        }
    };
    auto shake = [&](double start, double beats, int velocity) {
        for (double b = 0; b < beats; b += 0.5) {
            const bool onBeat = static_cast<int>(b * 2) % 2 == 0;
            song.Note(shaker, start + b, 0.25, kShaker, velocity + (onBeat ? 0 : 6));
        }
    };

    double at = 0;
    const auto intro = Progression(key, "IM7 vi7 ii7 V7", bar);
    walk(intro, at, 70);
    comp(intro, at, 46);
    at += Length(intro);

    struct Section {
        const std::vector<Chord>& chords;
        const char* tune;
        bool vibes;
    };
    const Section sections[] = {{chordsA, kTuneA, false}, {chordsA, kTuneA2, false},
                                {chordsB, kTuneB, false}, {chordsA, kTuneA2, false},
                                {chordsB, kTuneB, true},  {chordsA, kTuneA2, true}};
    for (const auto& s : sections) {
        const double length = Length(s.chords);
        walk(s.chords, at, 72);
        comp(s.chords, at, 44);
        shake(at, length, 26);
        const auto tune = Melody(key, 65, s.tune, at, bar);
        song.Line(piano, tune, 64, 14, 0.9);
        if (s.vibes) {
            song.Line(vibes, Shifted(tune, -12, 0), 54, 10, 0.9);
        }
        at += length;
    }

    // Tag: the last cadence twice more, slowing, onto a held major seventh chord.
    const auto tag = Progression(key, "ii7:2 V7:2 ii7:2 V7:2", bar);
    walk(tag, at, 66);
    comp(tag, at, 42);
    shake(at, 4, 24);
    song.Line(piano, Melody(key, 65, "4'q 2'q 7q 5q | 6q 4q 2q 7,q |", at, bar), 58, 8, 0.9);
    song.Ritardando(at + 2, 6, 66);
    const double last = at + 2 * bar;
    song.Block(piano, last, 6, {41, 53, 57, 60, 64, 69, 72, 77}, 56, 0.5);
    song.Note(bass, last, 5, 41, 64);
    song.Note(vibes, last + 0.5, 5, 76, 46);
    return song.Finish(last + 6.5);
}

}  // namespace driftmere::songs
