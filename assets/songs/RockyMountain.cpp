// colrkymt: a folk song of our own in G major for fingerpicked nylon guitar and flute.
// The guitar is voiced as if open-tuned: the open D and G ring above every chord, so plain
// triads come out as add9 and sus colours. Form: guitar introduction, verse, chorus, a guitar
// interlude, verse and chorus again with strings and bass, and a slowing outro.
#include "Notation.h"
#include "Patterns.h"
#include "Songs.h"
#include "Voicing.h"

namespace driftmere::songs {
namespace {

constexpr const char* kVerseChords = "I IVadd9 vi7 Vsus4:2 V:2 I IVadd9 ii7 V";
constexpr const char* kChorusChords = "IVadd9 I IVadd9 V vi7 IVadd9 Vsus4:2 V:2 I";
constexpr const char* kVerseTune =
    "3q. 5e 5q 6e 5e | 6q. 5e 1'h | 1'q 7e 6e 5q 3q | 2h. rq |"
    "3q. 5e 5q 6e 5e | 6q. 5e 1'q 2'q | 1'q 6e 5e 6q 1'q | 7h 5h |";
constexpr const char* kChorusTune =
    "1'h. 2'q | 3'q. 2'e 1'h | 6q. 1'e 2'q 1'q | 7h 2'h |"
    "3'q. 2'e 1'q 7q | 6q 1'q 5h | 5q 1'q 7h | 1'w |";

}  // namespace

Composed ComposeRockyMountain() {
    const Key key{7};  // G
    Song song("colrkymt", 0xC01A4D0ull, key, 88, 4);
    song.SetLevel(0.95, 1.0);
    const int guitar =
        song.Part({"Nylon guitar", 0, gm::kNylonGuitar, 110, 56, 50, 10, 110, 0.02, 6});
    const int flute = song.Part({"Flute", 1, gm::kFlute, 92, 76, 60, 0, 96, 0.015, 5});
    const int bass =
        song.Part({"Acoustic bass", 2, gm::kAcousticBass, 84, 60, 30, 0, 100, 0.01, 4});
    const int strings = song.Part({"Strings", 3, gm::kStrings, 70, 88, 80, 20, 60, 0.0, 3});

    const double bar = 4;
    const auto verse = Progression(key, kVerseChords, bar);
    const auto chorus = Progression(key, kChorusChords, bar);

    // Thumb on the beats (root, then an alternate bass string), fingers between them on the
    // chord and the open strings; each bar the figure is the same, the chord under it changes.
    std::vector<int> previous;
    auto pick = [&](const std::vector<Chord>& chords, double start, int velocity) {
        const auto starts = Starts(chords, start);
        int bassNote = -1;
        for (std::size_t i = 0; i < chords.size(); ++i) {
            const auto& c = chords[i];
            previous = VoiceLead(c, previous, 3, 55, 69);
            bassNote = BassNote(c, bassNote < 0 ? 45 : bassNote, 40, 52);
            const int alternate = c.Has(bassNote + 7) ? bassNote + 7 : bassNote + 12;
            // The open D and G strings ring on top, unless one would grind a semitone against
            // the chord (G over D major); then that string is fretted to the nearest chord tone.
            auto open = [&](int string) {
                return c.Has(string - 1) || c.Has(string + 1) ? NearestChordTone(c, string)
                                                              : string;
            };
            const std::vector<int> top = {previous[0], previous[1], previous[2], open(74),
                                          open(79)};
            const int steps = static_cast<int>(c.beats * 2);
            for (int k = 0; k < steps; ++k) {
                const double at = starts[i] + 0.5 * k;
                switch (k % 4) {
                    case 0:
                        song.Note(guitar, at, 1.8, k % 8 == 0 ? bassNote : alternate, velocity + 6);
                        song.Note(guitar, at + 0.02, 1.4, top[4 - (k / 4) % 2], velocity - 6);
                        break;
                    case 1:
                        song.Note(guitar, at, 1.2, top[2], velocity - 4);
                        break;
                    case 2:
                        song.Note(guitar, at, 1.6, k % 8 == 2 ? alternate : bassNote, velocity + 2);
                        song.Note(guitar, at + 0.02, 1.2, top[1], velocity - 8);
                        break;
                    default:
                        song.Note(guitar, at, 1.2, top[3], velocity - 6);
                        break;
                }
            }
        }
    };

    auto supporting = [&](const std::vector<Chord>& chords, double start) {
        Bass(song, bass, chords, start, 36, 50, 66, 2, true);
        Held(song, strings, chords, start, 4, 55, 74, 54);
        for (int phrase = 0; phrase < 2; ++phrase) {
            song.Swell(strings, start + phrase * 4 * bar, 4 * bar, 45, 75, 50, 0.6);
        }
    };

    double at = 0;
    const auto intro = Progression(key, "I IVadd9 I Vsus4", bar);
    pick(intro, at, 60);
    at += Length(intro);

    for (int round = 0; round < 2; ++round) {
        const bool full = round == 1;
        pick(verse, at, full ? 58 : 60);
        song.Line(flute, Melody(key, 67, kVerseTune, at, bar), full ? 70 : 64, 14);
        if (full) {
            supporting(verse, at);
        }
        at += Length(verse);
        pick(chorus, at, 62);
        song.Line(flute, Melody(key, 67, kChorusTune, at, bar), full ? 74 : 68, 16);
        if (full) {
            supporting(chorus, at);
        } else {
            Bass(song, bass, chorus, at, 36, 50, 60, 2, true);
        }
        at += Length(chorus);
        if (round == 0) {
            const auto interlude = Progression(key, "vi7 IVadd9 I Vsus4:2 V:2", bar);
            pick(interlude, at, 58);
            at += Length(interlude);
        }
    }

    // Outro: subdominant, a suspended dominant resolving, and the tonic, slowing.
    const auto outro = Progression(key, "IVadd9 Vsus4:2 V:2", bar);
    pick(outro, at, 56);
    Bass(song, bass, outro, at, 36, 50, 60, 2, false);
    song.Line(flute, Melody(key, 67, "6q 5q 6q 1'q | 1'h 7h |", at, bar), 62, 10);
    song.Ritardando(at, 2 * bar, 58);
    const double last = at + 2 * bar;
    // The last chord strummed slowly, low string to high, with the flute on the third.
    song.Block(guitar, last, 7, {43, 50, 55, 59, 62, 67, 74, 79}, 58, 0.9);
    song.Note(bass, last, 6, 43, 60);
    song.Note(flute, last + 1, 5, 71, 56);
    song.Swell(flute, last + 1, 5, 96, 100, 40, 0.2);
    return song.Finish(last + 8);
}

}  // namespace driftmere::songs
