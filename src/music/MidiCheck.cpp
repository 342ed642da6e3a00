#include "music/MidiCheck.h"

#include <algorithm>
#include <bitset>
#include <vector>

namespace driftmere {
namespace {

struct Reader {
    const std::uint8_t* p;
    const std::uint8_t* end;
    bool Has(std::size_t n) const { return static_cast<std::size_t>(end - p) >= n; }
    std::uint32_t Be(int bytes) {
        std::uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = (v << 8) | *p++;
        return v;
    }
    // A variable-length quantity of at most four bytes.
    bool Vlq(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (!Has(1)) return false;
            std::uint8_t b = *p++;
            value = (value << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) return true;
        }
        return false;
    }
};

// One event as the cost check sees it, at its place on the song's common time line.
struct Timed {
    std::uint64_t tick;
    std::uint32_t tempo;  // microseconds a quarter note from here on; 0: no tempo change
    std::int8_t notes;    // +1 a note starts sounding, -1 one stops, 0 neither
    bool strike;          // a note-on: a voice for the synthesiser to find
};

// Walks the song's events; with `timed`, records each and stops once there are more than the
// limit allows (`over` is then set).
class SongWalk {
  public:
    SongWalk(std::vector<Timed>* timed, std::size_t eventLimit)
        : timed_(timed), eventLimit_(eventLimit) {}
    bool over = false;

    bool Track(Reader r) {
        std::uint8_t status = 0;
        std::uint64_t tick = 0;
        sounding_.reset();
        while (r.Has(1)) {
            std::uint32_t delta;
            if (!r.Vlq(delta) || !r.Has(1)) return false;
            tick += delta;
            std::uint8_t b = *r.p;
            if (b == 0xFF) {  // meta event
                ++r.p;
                if (!r.Has(1)) return false;
                std::uint8_t type = *r.p++;
                std::uint32_t length;
                if (!r.Vlq(length) || !r.Has(length)) return false;
                std::uint32_t tempo = 0;
                if (type == 0x51) {
                    if (length != 3) return false;
                    tempo = (std::uint32_t{r.p[0]} << 16) | (r.p[1] << 8) | r.p[2];
                    if (tempo == 0) return false;
                }
                r.p += length;
                status = 0;
                if (!Record({tick, tempo, 0, false})) return true;
                if (type == 0x2F) return true;    // end of track
            } else if (b == 0xF0 || b == 0xF7) {  // system exclusive
                ++r.p;
                std::uint32_t length;
                if (!r.Vlq(length) || !r.Has(length)) return false;
                r.p += length;
                status = 0;
                if (!Record({tick, 0, 0, false})) return true;
            } else {
                if (b & 0x80) {
                    if (b >= 0xF0) return false;  // no system messages inside a file
                    status = b;
                    ++r.p;
                } else if (status == 0) {
                    return false;  // running status with nothing to run on
                }
                std::uint8_t kind = status & 0xF0;
                int bytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                if (!r.Has(bytes)) return false;
                for (int i = 0; i < bytes; ++i)
                    if (r.p[i] & 0x80) return false;
                const bool strike = (status & 0xF0) == 0x90 && r.p[1] > 0;
                if (!Record({tick, 0, NoteChange(status, r.p[0], bytes == 2 ? r.p[1] : 0), strike}))
                    return true;
                r.p += bytes;
            }
        }
        // The chunk ended without an end-of-track event, after a whole event: the player ends
        // the track here too.
        return true;
    }

  private:
    bool Record(const Timed& event) {
        if (!timed_) return true;
        if (timed_->size() >= eventLimit_) {
            over = true;
            return false;
        }
        timed_->push_back(event);
        return true;
    }

    // A key struck while it sounds, or let go while silent, changes nothing.
    std::int8_t NoteChange(std::uint8_t status, std::uint8_t key, std::uint8_t velocity) {
        const std::uint8_t kind = status & 0xF0;
        if (kind != 0x80 && kind != 0x90) return 0;
        const std::size_t slot = (status & 0x0F) * 128u + key;
        const bool on = kind == 0x90 && velocity > 0;
        if (on == sounding_[slot]) return 0;
        sounding_[slot] = on;
        return on ? 1 : -1;
    }

    std::vector<Timed>* timed_;
    std::size_t eventLimit_;
    std::bitset<16 * 128> sounding_;  // this track's (channel, key) pairs
};

// Walks the header and every track chunk; false when the file is not well formed.
bool WalkFile(const std::uint8_t* data, std::size_t size, SongWalk& walk, std::uint32_t& division) {
    Reader r{data, data + size};
    if (!r.Has(14) || r.p[0] != 'M' || r.p[1] != 'T' || r.p[2] != 'h' || r.p[3] != 'd')
        return false;
    r.p += 4;
    if (r.Be(4) != 6) return false;
    std::uint32_t format = r.Be(2), tracks = r.Be(2);
    division = r.Be(2);
    if (format > 2 || tracks == 0 || division == 0 || (division & 0x8000)) return false;
    std::uint32_t found = 0;
    while (found < tracks) {
        if (!r.Has(8)) return false;
        bool isTrack = r.p[0] == 'M' && r.p[1] == 'T' && r.p[2] == 'r' && r.p[3] == 'k';
        r.p += 4;
        std::uint32_t length = r.Be(4);
        if (!r.Has(length)) return false;
        if (isTrack) {
            if (!walk.Track(Reader{r.p, r.p + length})) return false;
            if (walk.over) return true;
            ++found;
        }
        r.p += length;
    }
    return true;
}

struct Peaks {
    std::size_t strikesAtOnce = 0, sounding = 0;
    double lengthMicros = 0;
};

// Puts every track's events on one time line and finds the most notes started together, the most
// sounding together and the song's length. At one tick, notes that stop are counted before notes
// that start.
Peaks Measure(std::vector<Timed>& events, std::uint32_t division) {
    std::sort(events.begin(), events.end(), [](const Timed& a, const Timed& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.notes < b.notes;
    });
    Peaks peaks;
    std::vector<double> strikeTimes;  // microseconds, in order
    double micros = 0, tempo = 500'000;
    std::uint64_t lastTick = 0;
    std::int64_t sounding = 0;
    std::size_t windowStart = 0;
    for (const Timed& e : events) {
        micros += static_cast<double>(e.tick - lastTick) * tempo / division;
        lastTick = e.tick;
        if (e.tempo) tempo = e.tempo;
        sounding += e.notes;
        if (sounding > 0)
            peaks.sounding = std::max(peaks.sounding, static_cast<std::size_t>(sounding));
        if (!e.strike) continue;
        strikeTimes.push_back(micros);
        while (strikeTimes[windowStart] <= micros - kEventWindowMicros) ++windowStart;
        peaks.strikesAtOnce = std::max(peaks.strikesAtOnce, strikeTimes.size() - windowStart);
    }
    peaks.lengthMicros = micros;
    return peaks;
}

std::string Excess(const char* what, std::size_t figure, std::size_t limit) {
    return std::to_string(figure) + " " + what + " (at most " + std::to_string(limit) + ")";
}

}  // namespace

MidiCheckResult CheckMidi(const std::uint8_t* data, std::size_t size, const SongLimits& limits) {
    std::vector<Timed> events;
    SongWalk walk(&events, limits.events);
    std::uint32_t division = 0;
    if (!WalkFile(data, size, walk, division)) return {MidiVerdict::Malformed, {}, 0};
    if (walk.over)
        return {MidiVerdict::TooCostly, "more than " + std::to_string(limits.events) + " events",
                0};
    const Peaks peaks = Measure(events, division);
    if (peaks.strikesAtOnce > limits.notesAtOnce)
        return {MidiVerdict::TooCostly,
                Excess("notes started within 10 ms", peaks.strikesAtOnce, limits.notesAtOnce)};
    if (peaks.sounding > limits.notesSounding)
        return {MidiVerdict::TooCostly,
                Excess("notes sounding at once", peaks.sounding, limits.notesSounding)};
    return {MidiVerdict::Playable, {}, peaks.lengthMicros};
}

bool IsWellFormedMidi(const std::uint8_t* data, std::size_t size) {
    SongWalk walk(nullptr, 0);
    std::uint32_t division = 0;
    return WalkFile(data, size, walk, division);
}

}  // namespace driftmere
