#pragma once
// A small Standard MIDI File reader for the song tests: it checks the structure strictly and
// gives back every event with its absolute tick, so tests can ask how long a song plays and
// whether its notes are well formed.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace driftmere::test {

struct MidiEvent {
    std::uint32_t tick = 0;
    std::uint8_t status = 0;  // 0x80..0xEF for channel events, 0xFF meta, 0xF0/0xF7 system
    std::uint8_t data1 = 0;   // key or controller or program; meta type for meta events
    std::uint8_t data2 = 0;
    std::vector<std::uint8_t> meta;  // meta or system-exclusive payload

    int Channel() const { return status & 0x0F; }
    int Kind() const { return status & 0xF0; }
    bool IsNoteOn() const { return Kind() == 0x90 && data2 > 0; }
    bool IsNoteOff() const { return Kind() == 0x80 || (Kind() == 0x90 && data2 == 0); }
    bool IsMeta(int type) const { return status == 0xFF && data1 == type; }
};

struct MidiFile {
    int format = 0;
    int ticksPerQuarter = 0;
    std::vector<std::vector<MidiEvent>> tracks;

    // Every tempo change in the file as (tick, microseconds per quarter note), in tick order.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> TempoMap() const {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> map;
        for (const auto& track : tracks)
            for (const auto& e : track)
                if (e.IsMeta(0x51) && e.meta.size() == 3)
                    map.emplace_back(e.tick, (e.meta[0] << 16) | (e.meta[1] << 8) | e.meta[2]);
        std::stable_sort(map.begin(), map.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        return map;
    }
    // Seconds from the start to `tick`, honouring every tempo change; 120 bpm until the first.
    double Seconds(std::uint32_t tick) const {
        double seconds = 0;
        std::uint32_t from = 0, micros = 500000;
        for (const auto& [at, value] : TempoMap()) {
            if (at >= tick) break;
            seconds += double(at - from) * micros / 1e6 / ticksPerQuarter;
            from = at;
            micros = value;
        }
        return seconds + double(tick - from) * micros / 1e6 / ticksPerQuarter;
    }
    // The tick of the last end-of-track: where the song stops.
    std::uint32_t EndTick() const {
        std::uint32_t end = 0;
        for (const auto& track : tracks)
            if (!track.empty()) end = std::max(end, track.back().tick);
        return end;
    }
};

// Reads the events of one track chunk [at, end); on a fault says why in `error`.
inline bool ParseTrack(const std::uint8_t* at, const std::uint8_t* end,
                       std::vector<MidiEvent>& events, std::string& error) {
    auto fail = [&](const char* why) {
        error = why;
        return false;
    };
    auto varLen = [&](std::uint32_t& out) {  // at most four bytes
        out = 0;
        for (int i = 0; i < 4 && at < end; ++i) {
            out = (out << 7) | (*at & 0x7F);
            if ((*at++ & 0x80) == 0) return true;
        }
        return false;
    };
    std::uint32_t tick = 0, delta = 0, length = 0;
    std::uint8_t running = 0;
    bool ended = false;
    while (at < end) {
        if (ended) return fail("events after end of track");
        if (!varLen(delta) || at == end) return fail("bad delta time");
        MidiEvent e;
        e.tick = tick += delta;
        const std::uint8_t first = *at;
        if (first == 0xFF || first == 0xF0 || first == 0xF7) {
            e.status = *at++;
            if (first == 0xFF && at < end) e.data1 = *at++;
            if (!varLen(length) || std::uint32_t(end - at) < length)
                return fail("truncated meta or system-exclusive event");
            e.meta.assign(at, at + length);
            at += length;
            running = 0;
            ended = e.IsMeta(0x2F);
            if (ended && length != 0) return fail("end of track with a payload");
        } else {
            if (first & 0x80) running = *at++;
            if (running == 0) return fail("data byte without a status (running status not set)");
            if (running >= 0xF0) return fail("system message inside a track");
            e.status = running;
            for (int i = 0; i < ((running & 0xE0) == 0xC0 ? 1 : 2); ++i) {  // 0xC_, 0xD_: one
                if (at == end || (*at & 0x80)) return fail("bad data byte");
                (i == 0 ? e.data1 : e.data2) = *at++;
            }
        }
        events.push_back(std::move(e));
    }
    return ended || fail("track without end of track");
}

// Parses `bytes`; on any structural fault returns false and says why in `error`.
inline bool ParseMidi(const std::vector<std::uint8_t>& bytes, MidiFile& file, std::string& error) {
    auto word = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = (v << 8) | bytes[at + i];
        return v;
    };
    auto tag = [&](std::size_t at, const char* name) {
        return bytes.size() >= at + 8 && std::equal(name, name + 4, bytes.begin() + long(at));
    };
    if (!tag(0, "MThd") || word(4, 4) != 6 || bytes.size() < 14) {
        error = "no MThd header of length 6";
        return false;
    }
    file.format = int(word(8, 2));
    file.ticksPerQuarter = int(word(12, 2));
    if (file.ticksPerQuarter == 0 || (file.ticksPerQuarter & 0x8000)) {
        error = "division is not ticks per quarter note";
        return false;
    }
    file.tracks.clear();
    for (std::size_t at = 14; at < bytes.size(); at += 8 + word(at + 4, 4)) {
        if (!tag(at, "MTrk") || bytes.size() - (at + 8) < word(at + 4, 4)) {
            error = "bad or overlong track chunk at byte " + std::to_string(at);
            return false;
        }
        const std::uint8_t* start = bytes.data() + at + 8;
        if (!ParseTrack(start, start + word(at + 4, 4), file.tracks.emplace_back(), error)) {
            error = "track " + std::to_string(file.tracks.size() - 1) + ": " + error;
            return false;
        }
    }
    if (file.tracks.size() != word(10, 2)) {
        error = "the header announces " + std::to_string(word(10, 2)) + " tracks";
        return false;
    }
    return true;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace driftmere::test
