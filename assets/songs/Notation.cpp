#include "Notation.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace driftmere::songs {
namespace {

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

// Removes `word` from the front of `text` when it is there.
bool Take(std::string_view& text, std::string_view word) {
    if (text.substr(0, word.size()) != word) {
        return false;
    }
    text.remove_prefix(word.size());
    return true;
}

// -1 for a flat, +1 for a sharp at the front of `text` (which it removes), else 0.
int TakeAccidental(std::string_view& text) {
    if (Take(text, "b")) {
        return -1;
    }
    return Take(text, "#") ? 1 : 0;
}

// The degree (1..7) of the roman numeral at the front of `text`, which it removes; 0 when
// there is none.
int TakeNumeral(std::string_view& text) {
    static constexpr std::array<std::string_view, 7> kNumerals = {"I", "II", "III", "IV",
                                                                  "V", "VI", "VII"};
    std::size_t n = 0;
    while (n < text.size() && std::string_view("IViv").find(text[n]) != std::string_view::npos) {
        ++n;
    }
    std::string numeral;
    for (char c : text.substr(0, n)) {
        numeral += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    text.remove_prefix(n);
    for (int d = 0; d < 7; ++d) {
        if (numeral == kNumerals[d]) {
            return d + 1;
        }
    }
    return 0;
}

// A chord's intervals above its root and what is in its bass, as its suffixes set them.
struct Shape {
    int third, fifth = 7, seventh = -1, ninth = -1;  // semitones; -1 for a tone it lacks
    int inversion = 0;                               // the chord tone in the bass
    int bassDegree = 0, bassAccidental = 0;          // a scale degree in the bass instead
};

Shape TakeShape(std::string_view rest, bool major, std::string_view token) {
    Shape s{major ? 4 : 3};
    // A figured inversion of a chord written without its seventh ("V65") implies a minor one.
    auto seventhInversion = [&](int inversion) {
        s.seventh = s.seventh < 0 ? 10 : s.seventh;
        s.inversion = inversion;
    };
    // Longer suffixes are tried before their prefixes ("o7" before "o", "64" before "6").
    while (!rest.empty()) {
        if (Take(rest, "o7")) {
            s.third = 3, s.fifth = 6, s.seventh = 9;
        } else if (Take(rest, "o")) {
            s.third = 3, s.fifth = 6;
        } else if (Take(rest, "h7")) {
            s.third = 3, s.fifth = 6, s.seventh = 10;
        } else if (Take(rest, "+")) {
            s.fifth = 8;
        } else if (Take(rest, "M7")) {
            s.seventh = 11;
        } else if (Take(rest, "M9")) {
            s.seventh = 11, s.ninth = 14;
        } else if (Take(rest, "sus4")) {
            s.third = 5;
        } else if (Take(rest, "sus2")) {
            s.third = 2;
        } else if (Take(rest, "add9")) {
            s.ninth = 14;
        } else if (Take(rest, "64")) {
            s.inversion = 2;
        } else if (Take(rest, "65")) {
            seventhInversion(1);
        } else if (Take(rest, "43")) {
            seventhInversion(2);
        } else if (Take(rest, "42")) {
            seventhInversion(3);
        } else if (Take(rest, "6")) {
            s.inversion = 1;
        } else if (Take(rest, "7")) {
            s.seventh = 10;
        } else if (Take(rest, "9")) {
            s.seventh = 10, s.ninth = 14;
        } else if (Take(rest, "/")) {
            s.bassAccidental = Take(rest, "b") ? -1 : 0;
            if (rest.empty() || rest[0] < '1' || rest[0] > '7') {
                Fail("bad bass degree", token);
            }
            s.bassDegree = rest[0] - '0';
            rest.remove_prefix(1);
        } else {
            Fail("bad chord suffix", token);
        }
    }
    return s;
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
    const int accidental = TakeAccidental(rest);
    const bool major = !rest.empty() && std::isupper(static_cast<unsigned char>(rest[0]));
    const int degree = TakeNumeral(rest);
    if (degree == 0) {
        Fail("bad chord numeral", token);
    }
    const Shape shape = TakeShape(rest, major, token);

    Chord chord;
    chord.beats = beats;
    chord.root = PitchClass(key.tonic + key.Degree(degree) + accidental);
    for (int interval : {0, shape.third, shape.fifth, shape.seventh, shape.ninth}) {
        if (interval >= 0) {
            chord.tones.push_back(PitchClass(chord.root + interval));
        }
    }
    if (shape.inversion >= static_cast<int>(chord.tones.size())) {
        Fail("inversion without that chord tone", token);
    }
    chord.bass = chord.tones[shape.inversion];
    if (shape.bassDegree != 0) {
        chord.bass = PitchClass(key.tonic + key.Degree(shape.bassDegree) + shape.bassAccidental);
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

struct ParsedTone {
    bool rest;
    int semitones;  // from the tonic
    double beats;
};

ParsedTone ParseTone(const Key& key, std::string_view token) {
    std::string_view rest = token;
    const int accidental = TakeAccidental(rest);
    if (rest.empty()) {
        Fail("bad note", token);
    }
    ParsedTone parsed{rest[0] == 'r', 0, 0};
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

std::vector<Chord> Progression(const Key& key, std::string_view text, double beats) {
    std::vector<Chord> chords;
    for (auto word : Words(text)) {
        if (word != "|") {
            chords.push_back(ParseChord(key, word, beats));
        }
    }
    return chords;
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
        const ParsedTone p = ParseTone(key, word);
        if (!p.rest) {
            tones.push_back(Tone{beat, p.beats, tonicPitch + p.semitones});
        }
        beat += p.beats;
    }
    return tones;
}

}  // namespace driftmere::songs
