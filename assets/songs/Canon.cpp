// pcanon: a canon for three string voices over a ground bass of our own, in D major.
// The ground is eight bars, one chord to a bar, and repeats throughout. Each voice plays the
// same succession of eight-bar variations, the second voice one ground behind the first and the
// third two behind: because every variation fits the ground, any three of them sound together.
// The variations grow busier (half notes, quarters, flowing eighths) and then sing again.
#include "Notation.h"
#include "Patterns.h"
#include "Songs.h"

namespace driftmere::songs {
namespace {

constexpr const char* kGroundChords = "I vi ii V iii vi IV V7";
constexpr const char* kGroundLine =
    "1h 3h | 6,h 1h | 2h 4h | 5,h 7,h | 3h 5,h | 6,h 5,h | 4,h 6,h | 5,h 5,,h |";

// The variations, written for voices whose tonic is the D above middle C.
constexpr const char* kVariations[] = {
    "3'h 2'h | 1'h 3'h | 4'h 6'h | 5'h 2'h | 3'h 5'h | 6'h 5'h | 4'h 1'h | 2'h 7h |",
    "5'q 4'q 3'q 2'q | 1'q 2'q 3'q 1'q | 2'q 3'q 4'q 6'q | 5'q 7q 1'q 2'q |"
    "3'q 2'q 3'q 5'q | 6'q 5'q 3'q 1'q | 1'q 4'q 6'q 4'q | 5'q 4'q 2'q 7q |",
    "1'e 3'e 5'e 3'e 1'e 3'e 2'e 1'e | 6e 1'e 3'e 1'e 6e 7e 1'e 6e |"
    "2'e 4'e 6'e 4'e 2'e 3'e 4'e 2'e | 7e 2'e 5'e 2'e 7e 1'e 2'e 7e |"
    "3'e 5'e 7'e 5'e 3'e 2'e 3'e 5'e | 6'e 3'e 1'e 3'e 6'e 5'e 3'e 1'e |"
    "4'e 6'e 1''e 6'e 4'e 3'e 2'e 1'e | 7e 2'e 4'e 2'e 5'e 4'e 2'e 7e |",
    "3'q. 2'e 1'q 3'q | 1'q. 7e 6q 1'q | 2'q. 3'e 4'q 2'q | 1'q. 7e 5q 7q |"
    "3'q. 2'e 3'q 5'q | 6'q. 5'e 3'q 6'q | 4'q. 6'e 4'q 2'q | 2'q. 1'e 7q 5q |",
};

}  // namespace

Composed ComposeCanon() {
    const Key key{2};  // D
    Song song("pcanon", 0x9CA7077ull, key, 68, 4);
    song.SetLevel(0.97, 1.0);
    const int voices[3] = {
        song.Part({"Violin I", 0, gm::kViolin, 92, 84, 70, 0, 90, 0.012, 4}),
        song.Part({"Violin II", 1, gm::kViolin, 88, 40, 70, 0, 90, 0.012, 4}),
        song.Part({"Viola", 2, gm::kViola, 94, 64, 70, 0, 90, 0.012, 4}),
    };
    const int cello = song.Part({"Cello", 3, gm::kCello, 96, 58, 60, 0, 100, 0.008, 3});
    const int harp = song.Part({"Harp", 4, gm::kHarp, 86, 72, 70, 0, 100, 0.01, 5});
    const int strings = song.Part({"String pad", 5, gm::kStrings, 64, 64, 90, 20, 60, 0.0, 2});

    const double bar = 4;
    const auto ground = Progression(key, kGroundChords, bar);
    const double cycle = Length(ground);
    const int variations = 4;
    const int grounds = 1 + variations;  // one ground alone, then the voices

    for (int g = 0; g < grounds; ++g) {
        const double at = g * cycle;
        // The ground: cello, bowed, every time.
        song.Line(cello, Melody(key, 50, kGroundLine, at, bar), 66, 8, 0.97);
        // The harp breaks the chords in eighths from the start, the pad joins with the third voice.
        Broken(song, harp, ground, at, {0, 1, 2, 3, 2, 1, 2, 1}, 0.5, 2, 4, 55, 76,
               g == 0 ? 54 : 48);
        if (g >= 3) {
            Held(song, strings, ground, at, 3, 57, 74, 50);
            song.Swell(strings, at, cycle, 40, 72, 50, 0.6);
        }
        // Voice v enters at ground v + 1 and plays variation g - 1 - v.
        for (int v = 0; v < 3; ++v) {
            const int variation = g - 1 - v;
            if (variation < 0 || variation >= variations) {
                continue;
            }
            const auto line = Melody(key, 62, kVariations[variation], at, bar);
            for (int phrase = 0; phrase < 2; ++phrase) {
                const auto first = line.begin() + static_cast<long>(line.size() / 2 * phrase);
                const auto last =
                    phrase == 0 ? line.begin() + static_cast<long>(line.size() / 2) : line.end();
                song.Line(voices[v], std::vector<Tone>(first, last), 62 - 3 * v, 14, 0.98);
                song.Swell(voices[v], at + phrase * 4 * bar, 4 * bar, 70, 104, 80, 0.55);
            }
        }
    }

    // Ending: subdominant and dominant seventh under a slowing bow, then a long tonic.
    const double at = grounds * cycle;
    const auto ending = Progression(key, "IV V7 I:8", bar);
    song.Ritardando(at, 2 * bar, 50);
    const char* endings[3] = {"4'h 6'h | 5'h 4'h | 3'w+w", "1'h 4'h | 2'h 7h | 1'w+w",
                              "6h 4h | 5h 5h | 5w+w"};
    for (int v = 0; v < 3; ++v) {
        song.Line(voices[v], Melody(key, 62, endings[v], at, bar), 58 - 3 * v, 8, 0.98);
        song.Swell(voices[v], at, 16, 80, 96, 30, 0.4);
    }
    song.Line(cello, Melody(key, 50, "4,w | 5,w | 1,w+w", at, bar), 62, 4, 0.98);
    song.Swell(cello, at, 16, 100, 104, 40, 0.4);
    Broken(song, harp, Progression(key, "IV V7", bar), at, {0, 1, 2, 3, 2, 1, 2, 1}, 0.5, 2, 4, 55,
           76, 44);
    song.Block(harp, at + 2 * bar, 7, {38, 50, 57, 62, 66, 69, 74}, 50, 0.8);
    Held(song, strings, ending, at, 3, 57, 74, 48);
    song.Swell(strings, at, 16, 60, 70, 10, 0.3);
    return song.Finish(at + 16.5);
}

}  // namespace driftmere::songs
