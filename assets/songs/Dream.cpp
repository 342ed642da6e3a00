// dream: a slow waltz in B flat major. The harp rocks in broken chords, a choir sings the tune
// and a flute answers it in the second half; slow strings hold the bass.
// Form: harp introduction, A A' B A', a harp interlude, B A', and a slowing coda.
#include "Notation.h"
#include "Patterns.h"
#include "Songs.h"

namespace driftmere::songs {
namespace {

constexpr const char* kChordsA = "I iii IV I vi ii7 V7 I";
constexpr const char* kChordsB = "IV V iii vi ii II7 Vsus4 V7";
constexpr const char* kTuneA = "5h 3q | 5h. | 6h 1'q | 5h. | 3h 1'q | 6h 4q | 2h 4q | 3h. |";
constexpr const char* kTuneA2 = "5h 3q | 5h. | 6h 1'q | 5h. | 3h 6q | 1'h 6q | 5q 4q 2q | 1h. |";
constexpr const char* kTuneB =
    "1'h 6q | 2'h 7q | 3'h 7q | 1'h. | 2'h 1'q | 1'h #4q | 5h 1'q | 7h 6q |";

}  // namespace

Composed ComposeDream() {
    const Key key{10};  // B flat
    Song song("dream", 0xD4EA3ull, key, 76, 3);
    song.SetLevel(1.06, 1.1);
    const int harp = song.Part({"Harp", 0, gm::kHarp, 100, 50, 80, 10, 110, 0.012, 5});
    const int choir = song.Part({"Choir", 1, gm::kChoir, 84, 70, 100, 30, 70, 0.0, 3});
    const int flute = song.Part({"Flute", 2, gm::kFlute, 84, 86, 90, 0, 90, 0.015, 4});
    const int strings =
        song.Part({"Slow strings", 3, gm::kSlowStrings, 80, 64, 90, 20, 70, 0.0, 2});

    const double bar = 3;
    const auto chordsA = Progression(key, kChordsA, bar);
    const auto chordsB = Progression(key, kChordsB, bar);
    // A waltz figure: bass on the downbeat, then up and back down the chord in eighths.
    const std::vector<int> waltz = {0, 1, 2, 3, 2, 1};

    auto accompany = [&](const std::vector<Chord>& chords, double start, int velocity) {
        Broken(song, harp, chords, start, waltz, 0.5, 3, 4, 46, 70, velocity);
        Bass(song, strings, chords, start, 34, 50, 58, 3, false);
        Held(song, strings, chords, start, 3, 58, 72, 44);
        for (int phrase = 0; phrase < 2; ++phrase) {
            song.Swell(strings, start + phrase * 4 * bar, 4 * bar, 50, 78, 55, 0.6);
        }
    };
    auto sing = [&](const char* tune, double start, int velocity, bool flute2) {
        const auto tones = Melody(key, 70, tune, start, bar);
        song.Line(choir, tones, velocity, 12, 1.0);
        for (int phrase = 0; phrase < 2; ++phrase) {
            song.Swell(choir, start + phrase * 4 * bar, 4 * bar, 55, 100, 60, 0.5);
        }
        if (flute2) {
            // The flute answers on the second beat of each bar with the chord's third, a line
            // that moves by the smallest steps.
            const auto& chords = tune == kTuneB ? chordsB : chordsA;
            const auto line = Voicings(chords, 1, 74, 88);
            for (std::size_t i = 0; i < line.size(); ++i) {
                song.Note(flute, start + i * bar + 1, 1.9, line[i][0], velocity - 16 + (i % 2) * 4);
            }
        }
    };

    double at = 0;
    const auto intro = Progression(key, "I IV I V7", bar);
    Broken(song, harp, intro, at, waltz, 0.5, 3, 4, 46, 70, 56);
    at += Length(intro);

    struct Section {
        const std::vector<Chord>& chords;
        const char* tune;
        bool flute;
    };
    const Section first[] = {{chordsA, kTuneA, false},
                             {chordsA, kTuneA2, false},
                             {chordsB, kTuneB, false},
                             {chordsA, kTuneA2, false}};
    for (const auto& s : first) {
        accompany(s.chords, at, 50);
        sing(s.tune, at, 60, s.flute);
        at += Length(s.chords);
    }
    const auto interlude = Progression(key, "vi IV ii7 V7", bar);
    Broken(song, harp, interlude, at, {0, 2, 1, 3, 2, 4}, 0.5, 3, 4, 46, 70, 54);
    Held(song, strings, interlude, at, 3, 58, 72, 42);
    at += Length(interlude);
    const Section second[] = {{chordsB, kTuneB, true}, {chordsA, kTuneA2, true}};
    for (const auto& s : second) {
        accompany(s.chords, at, 48);
        sing(s.tune, at, 58, s.flute);
        at += Length(s.chords);
    }

    // Coda: subdominant, supertonic seventh, dominant, slowing onto a rolled tonic.
    const auto coda = Progression(key, "IV ii7 V7", bar);
    Broken(song, harp, coda, at, waltz, 0.5, 3, 4, 46, 70, 46);
    Bass(song, strings, coda, at, 34, 50, 54, 3, false);
    Held(song, strings, coda, at, 3, 58, 72, 42);
    song.Line(choir, Melody(key, 70, "6h 1'q | 1'h 6q | 5h 2q |", at, bar), 56, 8, 1.0);
    song.Ritardando(at, 3 * bar, 50);
    const double last = at + 3 * bar;
    song.Block(harp, last, 7, {46, 53, 58, 62, 65, 70, 74, 77}, 54, 1.2);
    song.Block(choir, last, 7, {62, 65, 70}, 54);
    song.Swell(choir, last, 7, 80, 90, 20, 0.2);
    song.Note(strings, last, 7, 34, 52);
    song.Swell(strings, last, 7, 70, 70, 20, 0.2);
    return song.Finish(last + 7.5);
}

}  // namespace driftmere::songs
