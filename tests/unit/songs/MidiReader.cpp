#include "MidiReader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

namespace driftmere::test {
namespace {

class Cursor {
  public:
    Cursor(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to)
        : bytes_(bytes), at_(from), end_(to) {}
    bool AtEnd() const { return at_ >= end_; }
    std::size_t Position() const { return at_; }
    bool Byte(std::uint8_t& out) {
        if (at_ >= end_) {
            return false;
        }
        out = bytes_[at_++];
        return true;
    }
    bool Peek(std::uint8_t& out) const {
        if (at_ >= end_) {
            return false;
        }
        out = bytes_[at_];
        return true;
    }
    bool VarLen(std::uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b;
            if (!Byte(b)) {
                return false;
            }
            out = (out << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) {
                return true;
            }
        }
        return false;  // a variable-length number has at most four bytes
    }
    bool Bytes(std::size_t n, std::vector<std::uint8_t>& out) {
        if (end_ - at_ < n) {
            return false;
        }
        out.assign(bytes_.begin() + static_cast<long>(at_),
                   bytes_.begin() + static_cast<long>(at_ + n));
        at_ += n;
        return true;
    }

  private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_, end_;
};

std::uint32_t BigEndian(const std::vector<std::uint8_t>& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
        v = (v << 8) | b[at + i];
    }
    return v;
}

int DataBytes(std::uint8_t status) {
    const int kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

bool ParseTrack(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to,
                std::vector<MidiEvent>& events, std::string& error) {
    Cursor c(bytes, from, to);
    std::uint32_t tick = 0;
    std::uint8_t running = 0;
    bool ended = false;
    while (!c.AtEnd()) {
        if (ended) {
            error = "events after end of track";
            return false;
        }
        std::uint32_t delta;
        if (!c.VarLen(delta)) {
            error = "bad delta time";
            return false;
        }
        tick += delta;
        MidiEvent e;
        e.tick = tick;
        std::uint8_t first;
        if (!c.Peek(first)) {
            error = "track ends inside an event";
            return false;
        }
        if (first == 0xFF) {
            c.Byte(e.status);
            std::uint32_t length;
            if (!c.Byte(e.data1) || !c.VarLen(length) || !c.Bytes(length, e.meta)) {
                error = "truncated meta event";
                return false;
            }
            running = 0;
            ended = e.data1 == 0x2F;
            if (ended && length != 0) {
                error = "end of track with a payload";
                return false;
            }
        } else if (first == 0xF0 || first == 0xF7) {
            c.Byte(e.status);
            std::uint32_t length;
            if (!c.VarLen(length) || !c.Bytes(length, e.meta)) {
                error = "truncated system-exclusive event";
                return false;
            }
            running = 0;
        } else {
            if (first & 0x80) {
                c.Byte(running);
                if (running >= 0xF0) {
                    error = "system message inside a track";
                    return false;
                }
            } else if (running == 0) {
                error = "data byte without a status (running status not set)";
                return false;
            }
            e.status = running;
            std::uint8_t d[2] = {0, 0};
            for (int i = 0; i < DataBytes(running); ++i) {
                if (!c.Byte(d[i]) || (d[i] & 0x80)) {
                    error = "bad data byte";
                    return false;
                }
            }
            e.data1 = d[0];
            e.data2 = d[1];
        }
        events.push_back(std::move(e));
    }
    if (!ended) {
        error = "track without end of track";
        return false;
    }
    return true;
}

}  // namespace

bool ParseMidi(const std::vector<std::uint8_t>& bytes, MidiFile& file, std::string& error) {
    auto tag = [&](std::size_t at, const char* name) {
        return bytes.size() >= at + 8 &&
               std::equal(name, name + 4, bytes.begin() + static_cast<long>(at));
    };
    if (!tag(0, "MThd") || BigEndian(bytes, 4, 4) != 6 || bytes.size() < 14) {
        error = "no MThd header of length 6";
        return false;
    }
    file.format = static_cast<int>(BigEndian(bytes, 8, 2));
    const std::uint32_t count = BigEndian(bytes, 10, 2);
    const std::uint32_t division = BigEndian(bytes, 12, 2);
    if (division == 0 || (division & 0x8000)) {
        error = "division is not ticks per quarter note";
        return false;
    }
    file.ticksPerQuarter = static_cast<int>(division);
    std::size_t at = 14;
    file.tracks.clear();
    while (at < bytes.size()) {
        if (!tag(at, "MTrk")) {
            error = "chunk that is not MTrk at byte " + std::to_string(at);
            return false;
        }
        const std::uint32_t length = BigEndian(bytes, at + 4, 4);
        if (bytes.size() - (at + 8) < length) {
            error = "track chunk longer than the file";
            return false;
        }
        file.tracks.emplace_back();
        if (!ParseTrack(bytes, at + 8, at + 8 + length, file.tracks.back(), error)) {
            error = "track " + std::to_string(file.tracks.size() - 1) + ": " + error;
            return false;
        }
        at += 8 + length;
    }
    if (file.tracks.size() != count) {
        error = "header announces " + std::to_string(count) + " tracks, file has " +
                std::to_string(file.tracks.size());
        return false;
    }
    return true;
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> MidiFile::TempoMap() const {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> map;
    for (const auto& track : tracks) {
        for (const auto& e : track) {
            if (e.IsMeta(0x51) && e.meta.size() == 3) {
                map.emplace_back(e.tick, (e.meta[0] << 16) | (e.meta[1] << 8) | e.meta[2]);
            }
        }
    }
    std::stable_sort(map.begin(), map.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return map;
}

double MidiFile::Seconds(std::uint32_t tick) const {
    double seconds = 0;
    std::uint32_t from = 0;
    std::uint32_t micros = 500000;
    for (const auto& [at, value] : TempoMap()) {
        if (at >= tick) {
            break;
        }
        seconds += double(at - from) * micros / 1e6 / ticksPerQuarter;
        from = at;
        micros = value;
    }
    return seconds + double(tick - from) * micros / 1e6 / ticksPerQuarter;
}

std::uint32_t MidiFile::EndTick() const {
    std::uint32_t end = 0;
    for (const auto& track : tracks) {
        if (!track.empty()) {
            end = std::max(end, track.back().tick);
        }
    }
    return end;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace driftmere::test
