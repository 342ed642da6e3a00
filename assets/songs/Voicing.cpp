#include "Voicing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace driftmere::songs {
namespace {

// The pitch classes a voicing must hold: the third (or suspension) and, when there is room,
// the root, the seventh and the colour note; the fifth is the first to go.
std::vector<int> RequiredTones(const Chord& chord, int voices) {
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
    return required;
}

// How badly `pick` (ascending pitches) sounds after `previous`: lower is better.
double Cost(const Chord& chord, const std::vector<int>& pick, const std::vector<int>& previous,
            double centre) {
    const int voices = static_cast<int>(pick.size());
    double cost = 0;
    // A doubled third sounds heavy.
    const int thirds = static_cast<int>(std::count_if(
        pick.begin(), pick.end(), [&](int p) { return PitchClass(p) == chord.tones[1]; }));
    cost += thirds > 1 ? 2.5 : 0;
    if (previous.size() == pick.size()) {
        // Small steps, and no two voices moving in fifths or octaves.
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
        // The first chord sits close together in the middle of the range.
        double mean = 0;
        for (int p : pick) {
            mean += p;
        }
        mean /= voices;
        cost += std::abs(mean - centre) + 0.5 * (pick.back() - pick.front());
    }
    // A minor second or ninth inside a chord grinds (a major seventh chord voiced with its
    // seventh just under the root); keep them a seventh apart instead.
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
    return cost;
}

}  // namespace

std::vector<int> VoiceLead(const Chord& chord, const std::vector<int>& previous, int voices,
                           int low, int high) {
    const std::vector<int> candidates = ChordPitches(chord, low, high);
    const int count = static_cast<int>(candidates.size());
    if (count < voices) {
        throw std::invalid_argument("voicing range too narrow");
    }
    const std::vector<int> required = RequiredTones(chord, voices);
    const double centre = (low + high) / 2.0;

    std::vector<int> best;
    double bestCost = 1e18;
    std::vector<int> pick(voices);
    // Walk every ascending choice of `voices` candidates; the first of equal cost wins.
    std::vector<int> index(voices);
    for (int i = 0; i < voices; ++i) {
        index[i] = i;
    }
    while (true) {
        for (int i = 0; i < voices; ++i) {
            pick[i] = candidates[index[i]];
        }
        // No gap wider than an octave between neighbouring voices, and every required tone.
        bool ok = true;
        for (int i = 1; i < voices && ok; ++i) {
            ok = pick[i] - pick[i - 1] <= 12;
        }
        for (int pc : required) {
            ok = ok &&
                 std::any_of(pick.begin(), pick.end(), [&](int p) { return PitchClass(p) == pc; });
        }
        if (ok) {
            const double cost = Cost(chord, pick, previous, centre);
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

}  // namespace driftmere::songs
