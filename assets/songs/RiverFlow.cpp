// OrinocoFlow: a flowing song of our own in A flat major. Harp and piano ripple in sixteenths,
// warm pads move underneath and a pan flute sings a long-breathed tune; a choir doubles it the
// second time. Form: rippling introduction, A A B A, an interlude, B A, and a coda.
#include "Notation.h"
#include "Patterns.h"
#include "Songs.h"

namespace driftmere::songs {
namespace {

constexpr const char* kChordsA = "I IV/1 vi IVadd9 I iii IV Vsus4:2 V:2";
constexpr const char* kChordsB = "vi V IV I6 ii7 iii7 IVadd9 Vsus4:2 V:2";
constexpr const char* kTuneA =
    "5h 3q 5q | 6h. 4q | 3h 1'q 7q | 6w |"
    "5h 3q 2q | 3h 5q 7q | 1'h 6q 4q | 5h 2h |";
constexpr const char* kTuneB =
    "1'h. 3'q | 2'h 7q 5q | 6h 1'h | 7q 1'q 5h |"
    "4q 6q 1'h | 7h 5h | 6q 5q 3h | 1'h 7h |";

}  // namespace

Composed ComposeRiverFlow() {
    const Key key{8};  // A flat
    Song song("OrinocoFlow", 0x0F10A5ull, key, 92, 4);
    song.SetLevel(0.95, 1.0);
    const int harp = song.Part({"Harp", 0, gm::kHarp, 92, 40, 80, 10, 110, 0.008, 6});
    const int piano = song.Part({"Piano", 1, gm::kPiano, 74, 88, 70, 10, 100, 0.008, 5});
    const int pad = song.Part({"Warm pad", 2, gm::kWarmPad, 88, 64, 90, 40, 70, 0.0, 2});
    const int flute = song.Part({"Pan flute", 3, gm::kPanFlute, 96, 70, 80, 0, 100, 0.015, 4});
    const int choir = song.Part({"Choir", 4, gm::kChoir, 72, 58, 100, 30, 70, 0.0, 3});
    const int bass =
        song.Part({"Fretless bass", 5, gm::kFretlessBass, 84, 64, 40, 0, 100, 0.01, 3});

    const double bar = 4;
    const auto chordsA = Progression(key, kChordsA, bar);
    const auto chordsB = Progression(key, kChordsB, bar);
    const int tonic = 68;

    // Two interlocking ripples: the harp climbs and falls, the piano answers higher up.
    const std::vector<int> harpRipple = {0, 1, 2, 3, 4, 3, 2, 1};
    const std::vector<int> pianoRipple = {3, 2, 4, 3, 5, 4, 3, 2};
    auto flow = [&](const std::vector<Chord>& chords, double start, int velocity, bool withPiano) {
        Broken(song, harp, chords, start, harpRipple, 0.25, 4, 4, 51, 72, velocity);
        if (withPiano) {
            Broken(song, piano, chords, start + 0.125, pianoRipple, 0.5, 2, 3, 65, 84,
                   velocity - 8);
        }
        Held(song, pad, chords, start, 4, 53, 72, 50);
        Bass(song, bass, chords, start, 32, 48, 62, 3.5, false);
        for (double phrase = 0; phrase + 16 <= Length(chords) + 1e-9; phrase += 16) {
            song.Swell(pad, start + phrase, 16, 55, 90, 60, 0.6);
        }
    };
    auto sing = [&](const char* tune, double start, int velocity, bool withChoir) {
        const auto tones = Melody(key, tonic, tune, start, bar);
        song.Line(flute, tones, velocity, 14, 0.98);
        for (int phrase = 0; phrase < 2; ++phrase) {
            song.Swell(flute, start + 16 * phrase, 16, 70, 110, 80, 0.55);
        }
        if (withChoir) {
            song.Line(choir, Shifted(tones, -12, 0), velocity - 6, 8, 1.0);
            song.Swell(choir, start, 32, 50, 90, 60, 0.6);
        }
    };

    double at = 0;
    const auto intro = Progression(key, "I IV/1 I IV/1", bar);
    Broken(song, harp, intro, at, harpRipple, 0.25, 4, 4, 51, 72, 52);
    Held(song, pad, intro, at, 4, 53, 72, 46);
    song.Swell(pad, at, 16, 10, 80, 70, 0.8);
    at += Length(intro);

    struct Section {
        const std::vector<Chord>& chords;
        const char* tune;
        bool piano, choir;
    };
    const Section sections[] = {
        {chordsA, kTuneA, false, false}, {chordsA, kTuneA, true, true},
        {chordsB, kTuneB, true, false},  {chordsA, kTuneA, true, false},
        {chordsB, kTuneB, true, true},   {chordsA, kTuneA, true, true},
    };
    for (std::size_t i = 0; i < std::size(sections); ++i) {
        const auto& s = sections[i];
        flow(s.chords, at, 50, s.piano);
        sing(s.tune, at, 64, s.choir);
        at += Length(s.chords);
        if (i == 3) {
            // Interlude: the ripples alone over the relative minor and the subdominant.
            const auto interlude = Progression(key, "vi IVadd9 vi Vsus4:2 V:2", bar);
            flow(interlude, at, 48, true);
            at += Length(interlude);
        }
    }

    // Coda: the subdominant over the tonic twice, then the tonic, the ripples slowing.
    const auto coda = Progression(key, "IV/1 I IV/1", bar);
    flow(coda, at, 46, true);
    song.Line(flute, Melody(key, tonic, "6h. 4q | 5w | 6h 4h |", at, bar), 56, 8, 0.98);
    song.Ritardando(at + 4, 8, 60);
    const double last = at + 3 * bar;
    song.Block(harp, last, 7, {44, 51, 56, 60, 63, 68, 72, 75}, 54, 1.0);
    song.Block(pad, last, 7, {56, 60, 63, 68}, 50);
    song.Swell(pad, last, 7, 80, 84, 10, 0.2);
    song.Note(bass, last, 7, 44, 58);
    song.Note(flute, last + 1, 5, 72, 52);
    song.Swell(flute, last + 1, 5, 90, 96, 30, 0.3);
    return song.Finish(last + 7.5);
}

}  // namespace driftmere::songs
