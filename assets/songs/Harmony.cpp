#include "Harmony.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace driftmere::songs {
namespace {

constexpr std::array<int, 7> kMajorSteps = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> kMinorSteps = {0, 2, 3, 5, 7, 8, 10};

int PitchClass(int pitch) { return ((pitch % 12) + 12) % 12; }

[[noreturn]] void Fail(std::string_view what, std::string_view text) {
    throw std::invalid_argument(std::string(what) + ": \"" + std::string(text) + "\"");
}

// Words separated by blanks; a bar line is a word of its own even when nothing separates it.
std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    auto blank = [&](std::size_t k) { return std::isspace(static_cast<unsigned char>(text[k])); };
    while (i < text.size()) {
        while (i < text.size() && blank(i)) {
            ++i;
        }
        if (i < text.size() && text[i] == '|') {
            words.push_back(text.substr(i++, 1));
            continue;
        }
        std::size_t j = i;
        while (j < text.size() && !blank(j) && text[j] != '|') {
            ++j;
        }
        if (j > i) {
            words.push_back(text.substr(i, j - i));
        }
        i = j;
    }
    return words;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

Chord ParseChord(const Key& key, std::string_view token, double beats) {
    std::string_view rest = token;
    if (auto colon = rest.find(':'); colon != std::string_view::npos) {
        beats = std::atof(std::string(rest.substr(colon + 1)).c_str());
        if (beats <= 0) {
            Fail("bad chord length", token);
        }
        rest = rest.substr(0, colon);
    }
    int accidental = 0;
    if (!rest.empty() && (rest[0] == 'b' || rest[0] == '#')) {
        accidental = rest[0] == 'b' ? -1 : 1;
        rest.remove_prefix(1);
    }
    std::size_t n = 0;
    while (n < rest.size() && std::string_view("IViv").find(rest[n]) != std::string_view::npos) {
        ++n;
    }
    std::string numeral;
    for (char c : rest.substr(0, n)) {
        numeral += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    static constexpr std::array<std::string_view, 7> kNumerals = {"I", "II", "III", "IV",
                                                                  "V", "VI", "VII"};
    int degree = 0;
    for (int d = 0; d < 7; ++d) {
        if (numeral == kNumerals[d]) {
            degree = d + 1;
        }
    }
    if (degree == 0) {
        Fail("bad chord numeral", token);
    }
    const bool major = std::isupper(static_cast<unsigned char>(rest[0]));
    rest.remove_prefix(n);

    int third = major ? 4 : 3;
    int fifth = 7;
    int seventh = -1;
    int ninth = -1;
    int inversion = 0;
    int slashDegree = 0;
    while (!rest.empty()) {
        auto take = [&](std::string_view word) {
            if (StartsWith(rest, word)) {
                rest.remove_prefix(word.size());
                return true;
            }
            return false;
        };
        if (take("o7")) {
            third = 3, fifth = 6, seventh = 9;
        } else if (take("o")) {
            third = 3, fifth = 6;
        } else if (take("h7")) {
            third = 3, fifth = 6, seventh = 10;
        } else if (take("+")) {
            fifth = 8;
        } else if (take("M7")) {
            seventh = 11;
        } else if (take("M9")) {
            seventh = 11, ninth = 14;
        } else if (take("sus4")) {
            third = 5;
        } else if (take("sus2")) {
            third = 2;
        } else if (take("add9")) {
            ninth = 14;
        } else if (take("64")) {
            inversion = 2;
        } else if (take("65")) {
            seventh = seventh < 0 ? 10 : seventh, inversion = 1;
        } else if (take("43")) {
            seventh = seventh < 0 ? 10 : seventh, inversion = 2;
        } else if (take("42")) {
            seventh = seventh < 0 ? 10 : seventh, inversion = 3;
        } else if (take("6")) {
            inversion = 1;
        } else if (take("7")) {
            seventh = 10;
        } else if (take("9")) {
            seventh = 10, ninth = 14;
        } else if (take("/")) {
            int flat = 0;
            if (take("b")) {
                flat = -1;
            }
            if (rest.empty() || rest[0] < '1' || rest[0] > '7') {
                Fail("bad bass degree", token);
            }
            slashDegree = (rest[0] - '0') * 100 + flat;  // remembered with its accidental
            rest.remove_prefix(1);
        } else {
            Fail("bad chord suffix", token);
        }
    }

    Chord chord;
    chord.beats = beats;
    chord.root = PitchClass(key.tonic + key.Degree(degree) + accidental);
    std::vector<int> intervals = {0, third, fifth};
    if (seventh >= 0) {
        intervals.push_back(seventh);
    }
    if (ninth >= 0) {
        intervals.push_back(ninth);
    }
    for (int i : intervals) {
        chord.tones.push_back(PitchClass(chord.root + i));
    }
    if (inversion >= static_cast<int>(chord.tones.size())) {
        Fail("inversion without that chord tone", token);
    }
    chord.bass = chord.tones[inversion];
    if (slashDegree != 0) {
        const int flat = slashDegree % 100 == 0 ? 0 : -1;
        chord.bass = PitchClass(key.tonic + key.Degree((slashDegree - flat) / 100) + flat);
    }
    return chord;
}

// How many beats a length like "q.", "h+e" or "t" stands for.
double ParseLength(std::string_view text, std::string_view token) {
    double total = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        double value = 0;
        switch (text[i]) {
            case 'w':
                value = 4;
                break;
            case 'h':
                value = 2;
                break;
            case 'q':
                value = 1;
                break;
            case 'e':
                value = 0.5;
                break;
            case 's':
                value = 0.25;
                break;
            case 't':
                value = 1.0 / 3.0;
                break;
            default:
                Fail("bad note length", token);
        }
        ++i;
        double add = value / 2;
        while (i < text.size() && text[i] == '.') {
            value += add;
            add /= 2;
            ++i;
        }
        total += value;
        if (i < text.size()) {
            if (text[i] != '+') {
                Fail("bad note length", token);
            }
            ++i;
        }
    }
    if (total <= 0) {
        Fail("missing note length", token);
    }
    return total;
}

struct Parsed {
    bool rest;
    int semitones;  // from the tonic
    double beats;
};

Parsed ParseTone(const Key& key, std::string_view token) {
    std::string_view rest = token;
    int accidental = 0;
    if (rest[0] == 'b' || rest[0] == '#') {
        accidental = rest[0] == 'b' ? -1 : 1;
        rest.remove_prefix(1);
    }
    if (rest.empty()) {
        Fail("bad note", token);
    }
    Parsed parsed{rest[0] == 'r', 0, 0};
    if (!parsed.rest) {
        if (rest[0] < '1' || rest[0] > '7') {
            Fail("bad degree", token);
        }
        parsed.semitones = key.Degree(rest[0] - '0') + accidental;
    }
    rest.remove_prefix(1);
    while (!rest.empty() && (rest[0] == '\'' || rest[0] == ',')) {
        parsed.semitones += rest[0] == '\'' ? 12 : -12;
        rest.remove_prefix(1);
    }
    parsed.beats = ParseLength(rest, token);
    return parsed;
}

}  // namespace

int Key::Degree(int degree) const {
    const auto& steps = minor ? kMinorSteps : kMajorSteps;
    const int index = degree - 1;
    const int octave = index >= 0 ? index / 7 : -((-index + 6) / 7);
    return steps[index - octave * 7] + 12 * octave;
}

int Key::Signature() const {
    // Sharps of the major key on each tonic; a minor key has its relative major's signature.
    static constexpr std::array<int, 12> kMajorSharps = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};
    return kMajorSharps[PitchClass(minor ? tonic + 3 : tonic)];
}

bool Chord::Has(int pitch) const {
    return std::find(tones.begin(), tones.end(), PitchClass(pitch)) != tones.end();
}

std::vector<Chord> Progression(const Key& key, std::string_view text, double beats) {
    std::vector<Chord> chords;
    for (auto word : Words(text)) {
        if (word == "|") {
            continue;
        }
        chords.push_back(ParseChord(key, word, beats));
    }
    return chords;
}

double Length(const std::vector<Chord>& chords) {
    double total = 0;
    for (const auto& c : chords) {
        total += c.beats;
    }
    return total;
}

std::vector<int> ChordPitches(const Chord& chord, int low, int high) {
    std::vector<int> pitches;
    for (int p = low; p <= high; ++p) {
        if (chord.Has(p)) {
            pitches.push_back(p);
        }
    }
    return pitches;
}

std::vector<int> VoiceLead(const Chord& chord, const std::vector<int>& previous, int voices,
                           int low, int high) {
    const std::vector<int> candidates = ChordPitches(chord, low, high);
    const int count = static_cast<int>(candidates.size());
    if (count < voices) {
        throw std::invalid_argument("voicing range too narrow");
    }
    // The notes a voicing must hold: the third (or suspension) and, when there is room, the
    // root, the seventh and the colour note; the fifth is the first to go.
    std::vector<int> required = {chord.tones[1]};
    auto need = [&](int pc) {
        if (static_cast<int>(required.size()) < voices) {
            required.push_back(pc);
        }
    };
    need(chord.tones[0]);
    for (std::size_t i = 3; i < chord.tones.size(); ++i) {
        need(chord.tones[i]);
    }
    if (chord.tones.size() == 3) {
        need(chord.tones[2]);
    }
    const double centre = (low + high) / 2.0;

    std::vector<int> best;
    double bestCost = 1e18;
    std::vector<int> pick(voices);
    // Walk every ascending choice of `voices` candidates.
    std::vector<int> index(voices);
    for (int i = 0; i < voices; ++i) {
        index[i] = i;
    }
    while (true) {
        for (int i = 0; i < voices; ++i) {
            pick[i] = candidates[index[i]];
        }
        bool ok = true;
        for (int i = 1; i < voices && ok; ++i) {
            ok = pick[i] - pick[i - 1] <= 12;
        }
        for (int pc : required) {
            ok = ok &&
                 std::any_of(pick.begin(), pick.end(), [&](int p) { return PitchClass(p) == pc; });
        }
        if (ok) {
            double cost = 0;
            const int third = chord.tones[1];
            int thirds = 0;
            for (int p : pick) {
                thirds += PitchClass(p) == third;
            }
            cost += thirds > 1 ? 2.5 : 0;
            if (previous.size() == pick.size()) {
                for (int i = 0; i < voices; ++i) {
                    cost += std::abs(pick[i] - previous[i]);
                }
                for (int i = 0; i < voices; ++i) {
                    for (int j = i + 1; j < voices; ++j) {
                        const int before = PitchClass(previous[j] - previous[i]);
                        const int after = PitchClass(pick[j] - pick[i]);
                        const bool moved = pick[i] != previous[i];
                        if (moved && before == after && (after == 0 || after == 7)) {
                            cost += 3;
                        }
                    }
                }
            } else {
                double mean = 0;
                for (int p : pick) {
                    mean += p;
                }
                mean /= voices;
                cost += std::abs(mean - centre) + 0.5 * (pick.back() - pick.front());
            }
            // A minor second or ninth inside a chord grinds (a major seventh chord voiced with
            // its seventh just under the root); keep them a seventh apart instead.
            for (int i = 0; i < voices; ++i) {
                for (int j = i + 1; j < voices; ++j) {
                    const int gap = pick[j] - pick[i];
                    cost += (gap == 1 || gap == 13) ? 24 : 0;
                }
            }
            // Close intervals sound muddy low down.
            if (voices >= 2 && pick[0] < 52 && pick[1] - pick[0] < 5) {
                cost += 4;
            }
            if (cost < bestCost) {
                bestCost = cost;
                best = pick;
            }
        }
        int i = voices - 1;
        while (i >= 0 && index[i] == count - voices + i) {
            --i;
        }
        if (i < 0) {
            break;
        }
        ++index[i];
        for (int j = i + 1; j < voices; ++j) {
            index[j] = index[j - 1] + 1;
        }
    }
    if (best.empty()) {
        throw std::invalid_argument("no voicing fits the range");
    }
    return best;
}

int BassNote(const Chord& chord, int previous, int low, int high) {
    const double target = previous >= 0 ? previous : (low + high) / 2.0;
    int best = -1;
    for (int p = low; p <= high; ++p) {
        if (PitchClass(p) == chord.bass &&
            (best < 0 || std::abs(p - target) < std::abs(best - target))) {
            best = p;
        }
    }
    if (best < 0) {
        throw std::invalid_argument("bass range too narrow");
    }
    return best;
}

int NearestChordTone(const Chord& chord, int pitch) {
    for (int d = 0; d < 12; ++d) {
        if (chord.Has(pitch - d)) {
            return pitch - d;
        }
        if (chord.Has(pitch + d)) {
            return pitch + d;
        }
    }
    return pitch;
}

std::vector<Tone> Melody(const Key& key, int tonicPitch, std::string_view text, double start,
                         double barBeats) {
    std::vector<Tone> tones;
    double beat = start;
    double barStart = start;
    for (auto word : Words(text)) {
        if (word == "|") {
            if (std::abs(beat - barStart - barBeats) > 1e-6 && beat > barStart) {
                Fail("bar of the wrong length before", text.substr(0, word.data() - text.data()));
            }
            barStart = beat;
            continue;
        }
        const Parsed p = ParseTone(key, word);
        if (!p.rest) {
            tones.push_back(Tone{beat, p.beats, tonicPitch + p.semitones});
        }
        beat += p.beats;
    }
    return tones;
}

double MelodyLength(std::string_view text) {
    double beats = 0;
    const Key any{};
    for (auto word : Words(text)) {
        if (word != "|") {
            beats += ParseTone(any, word).beats;
        }
    }
    return beats;
}

std::vector<Tone> Shifted(std::vector<Tone> tones, int semitones, double beats) {
    for (auto& t : tones) {
        t.pitch += semitones;
        t.beat += beats;
    }
    return tones;
}

}  // namespace driftmere::songs
