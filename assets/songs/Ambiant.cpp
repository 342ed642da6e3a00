// Ambiant: slow, evolving pads in E major with a celesta that wanders over the chord tones.
// Chords change every two bars. The first time through, the pads and celesta are alone; the
// second time a wordless voice sings a long-note tune; a short coda settles on the tonic.
#include <algorithm>
#include <cstdlib>

#include "Notation.h"
#include "Patterns.h"
#include "Songs.h"

namespace driftmere::songs {
namespace {

constexpr const char* kChords = "Iadd9 IV/1 vi7 IVadd9 Iadd9 iii7 IVadd9 Vsus4:4 V:4";
constexpr const char* kVoiceTune =
    "5w | 2'w | 1'w | 6w | 5w | 3w | 6w | 1'h 6h |"
    "3'w | 2'w | 7w | 5w | 6w | 3w | 1'w | 7w |";

}  // namespace

Composed ComposeAmbiant() {
    const Key key{4};  // E
    Song song("Ambiant", 0xA3B1A47ull, key, 56, 4);
    song.SetLevel(1.15, 1.2);
    const int warm = song.Part({"Warm pad", 0, gm::kWarmPad, 96, 48, 90, 40, 60, 0.0, 2});
    const int halo = song.Part({"Halo pad", 1, gm::kHaloPad, 72, 82, 100, 60, 40, 0.0, 2});
    const int celesta = song.Part({"Celesta", 2, gm::kCelesta, 92, 76, 90, 10, 100, 0.03, 8});
    const int bass = song.Part({"Fretless bass", 3, gm::kFretlessBass, 80, 64, 50, 0, 90, 0.0, 2});
    const int voice = song.Part({"Voice", 4, gm::kVoiceOohs, 90, 58, 100, 30, 70, 0.0, 3});

    const double bar = 4;
    const auto chords = Progression(key, kChords, 2 * bar);
    const double cycle = Length(chords);
    Rng& rng = song.Random();

    // The celesta walks up and down the chord tones, a figure of three to six notes now and
    // then, never two figures alike: the rhythms are chosen from a few and the walk is random.
    const std::vector<std::vector<double>> rhythms = {
        {1, 1, 2}, {0.5, 0.5, 1, 2}, {1, 0.5, 0.5, 1, 1}, {1.5, 0.5, 2}, {0.5, 0.5, 0.5, 0.5, 2}};
    int walker = 83;
    auto celestaOver = [&](const std::vector<Chord>& cs, double start, int velocity) {
        double at = start;
        for (const auto& c : cs) {
            const auto tones = ChordPitches(c, 71, 95);
            for (double half = 0; half < c.beats; half += 4) {
                if (!rng.Chance(0.7)) {
                    continue;
                }
                const auto& rhythm = rhythms[rng.Between(0, static_cast<int>(rhythms.size()) - 1)];
                // Start near where the last figure ended, on a tone of this chord.
                std::size_t index = 0;
                for (std::size_t i = 0; i < tones.size(); ++i) {
                    if (std::abs(tones[i] - walker) < std::abs(tones[index] - walker)) {
                        index = i;
                    }
                }
                // Figures start a little after the chord, so the pad is heard first.
                double t = at + half + (rng.Chance(0.5) ? 1 : 1.5);
                const double chordEnd = at + c.beats;
                for (double length : rhythm) {
                    if (t + length > chordEnd + 0.01) {
                        break;
                    }
                    song.Note(celesta, t, std::min(length * 2.5, chordEnd - t), tones[index],
                              velocity);
                    walker = tones[index];
                    int step = rng.Between(-2, 2);
                    if (step == 0) {
                        step = 1;
                    }
                    index = static_cast<std::size_t>(std::clamp(
                        static_cast<int>(index) + step, 0, static_cast<int>(tones.size()) - 1));
                    t += length;
                }
            }
            at += c.beats;
        }
    };

    auto layer = [&](double start, int padVelocity, bool singing) {
        // The halo pad doubles the warm pad's upper three notes an octave higher, so the two
        // never rub against each other.
        const auto voicings = Voicings(chords, 4, 52, 72);
        std::vector<std::vector<int>> high;
        for (const auto& v : voicings) {
            high.push_back({v[1] + 12, v[2] + 12, v[3] + 12});
        }
        Held(song, warm, chords, start, voicings, padVelocity);
        Held(song, halo, chords, start, high, padVelocity - 8);
        Bass(song, bass, chords, start, 28, 47, 62, 8, false);
        celestaOver(chords, start, singing ? 46 : 54);
        const auto starts = Starts(chords, start);
        // The pads breathe with each chord, and the halo pad drifts slowly across the stereo.
        for (std::size_t i = 0; i < chords.size(); ++i) {
            song.Swell(warm, starts[i], chords[i].beats, 60, 92, 66, 0.45);
            song.Swell(halo, starts[i], chords[i].beats, 30, 70, 36, 0.6);
        }
        if (singing) {
            const auto tune = Melody(key, 64, kVoiceTune, start, bar);
            song.Line(voice, tune, 62, 12, 1.0);
            for (int phrase = 0; phrase < 4; ++phrase) {
                song.Swell(voice, start + phrase * 4 * bar, 4 * bar, 50, 100, 60, 0.5);
            }
        }
    };

    layer(0, 52, false);
    layer(cycle, 56, true);
    double at = 2 * cycle;

    // Coda: the subdominant over the tonic, then the tonic with its ninth, fading.
    const auto coda = Progression(key, "IV/1:8 Iadd9:12", bar);
    Held(song, warm, coda, at, 4, 52, 72, 50);
    Held(song, halo, coda, at, 3, 64, 83, 44);
    Bass(song, bass, Progression(key, "I:20", bar), at, 28, 47, 60, 20, false);
    song.Swell(warm, at, 20, 70, 88, 10, 0.35);
    song.Swell(halo, at, 20, 40, 70, 5, 0.35);
    song.Ritardando(at + 4, 8, 44);
    song.Note(celesta, at + 8, 6, 83, 48);     // B
    song.Note(celesta, at + 9, 6, 78, 44);     // F sharp
    song.Note(celesta, at + 10.5, 8, 76, 42);  // E
    return song.Finish(at + 20.5);
}

}  // namespace driftmere::songs
