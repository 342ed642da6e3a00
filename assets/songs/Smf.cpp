#include "Smf.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <tuple>

namespace driftmere::songs {
namespace {

enum Rank { kNoteOff = 0, kMeta = 1, kProgram = 2, kControl = 3, kNoteOn = 4 };

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t buffer[5];
    int n = 0;
    buffer[n++] = value & 0x7F;
    while ((value >>= 7) != 0) {
        buffer[n++] = static_cast<std::uint8_t>(0x80 | (value & 0x7F));
    }
    while (n > 0) {
        out.push_back(buffer[--n]);
    }
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

std::uint8_t DataByte(int value) {
    if (value < 0 || value > 127) {
        throw std::out_of_range("MIDI data byte out of range: " + std::to_string(value));
    }
    return static_cast<std::uint8_t>(value);
}

std::uint8_t Status(int kind, int channel) {
    if (channel < 0 || channel > 15) {
        throw std::out_of_range("MIDI channel out of range: " + std::to_string(channel));
    }
    return static_cast<std::uint8_t>(kind | channel);
}

}  // namespace

void SmfTrack::Add(std::uint32_t tick, int rank, std::vector<std::uint8_t> bytes) {
    events_.push_back(Event{tick, rank, seq_++, std::move(bytes)});
}

void SmfTrack::Tempo(std::uint32_t tick, std::uint32_t micros) {
    Add(tick, kMeta,
        {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros >> 16),
         static_cast<std::uint8_t>(micros >> 8), static_cast<std::uint8_t>(micros)});
}

void SmfTrack::TimeSignature(std::uint32_t tick, int numerator, int denominator) {
    int power = 0;
    while ((1 << power) < denominator) {
        ++power;
    }
    Add(tick, kMeta,
        {0xFF, 0x58, 0x04, DataByte(numerator), static_cast<std::uint8_t>(power), 24, 8});
}

void SmfTrack::KeySignature(std::uint32_t tick, int sharps, bool minor) {
    Add(tick, kMeta,
        {0xFF, 0x59, 0x02, static_cast<std::uint8_t>(static_cast<std::int8_t>(sharps)),
         static_cast<std::uint8_t>(minor ? 1 : 0)});
}

void SmfTrack::Program(std::uint32_t tick, int channel, int program) {
    Add(tick, kProgram, {Status(0xC0, channel), DataByte(program)});
}

void SmfTrack::Control(std::uint32_t tick, int channel, int controller, int value) {
    Add(tick, kControl, {Status(0xB0, channel), DataByte(controller), DataByte(value)});
}

void SmfTrack::Note(std::uint32_t on, std::uint32_t off, int channel, int key, int velocity) {
    if (velocity < 1) {
        throw std::out_of_range("note-on velocity must be 1..127");
    }
    Status(0x90, channel);
    DataByte(key);
    DataByte(velocity);
    notes_.push_back(PendingNote{on, std::max(off, on + 1), channel, key, velocity, seq_++});
}

std::uint32_t SmfTrack::LastTick() const {
    std::uint32_t last = 0;
    for (const auto& e : events_) {
        last = std::max(last, e.tick);
    }
    for (const auto& n : notes_) {
        last = std::max(last, n.off);
    }
    return last;
}

std::vector<SmfEvent> SmfTrack::Events(std::uint32_t endTick) const {
    std::vector<Event> all = events_;

    // Notes of one key on one channel, in order of their start; where one would still sound when
    // the next begins, it is cut there. Two notes starting together keep only the later-written.
    std::map<std::pair<int, int>, std::vector<PendingNote>> byKey;
    for (const auto& n : notes_) {
        byKey[{n.channel, n.key}].push_back(n);
    }
    for (auto& [channelKey, list] : byKey) {
        std::stable_sort(list.begin(), list.end(),
                         [](const PendingNote& a, const PendingNote& b) { return a.on < b.on; });
        for (std::size_t i = 0; i < list.size(); ++i) {
            PendingNote n = list[i];
            if (i + 1 < list.size() && list[i + 1].on == n.on) {
                continue;
            }
            if (i + 1 < list.size()) {
                n.off = std::min(n.off, list[i + 1].on);
            }
            const auto key = static_cast<std::uint8_t>(n.key);
            all.push_back(
                Event{n.on,
                      kNoteOn,
                      n.seq,
                      {Status(0x90, n.channel), key, static_cast<std::uint8_t>(n.velocity)}});
            // A note-on with velocity 0 is a note-off; it keeps the running status of the note-ons.
            all.push_back(Event{n.off, kNoteOff, n.seq, {Status(0x90, n.channel), key, 0}});
        }
    }
    std::sort(all.begin(), all.end(), [](const Event& a, const Event& b) {
        return std::tie(a.tick, a.rank, a.seq) < std::tie(b.tick, b.rank, b.seq);
    });

    std::vector<SmfEvent> out;
    out.reserve(all.size() + 2);
    std::vector<std::uint8_t> name = {0xFF, 0x03};
    PutVarLen(name, static_cast<std::uint32_t>(name_.size()));
    name.insert(name.end(), name_.begin(), name_.end());
    out.push_back(SmfEvent{0, std::move(name)});
    for (auto& e : all) {
        out.push_back(SmfEvent{e.tick, std::move(e.bytes)});
    }
    out.push_back(SmfEvent{std::max(out.back().tick, endTick), {0xFF, 0x2F, 0x00}});
    return out;
}

SmfTrack& SmfFile::AddTrack(std::string name) {
    tracks_.emplace_back(std::move(name));
    return tracks_.back();
}

std::vector<std::vector<SmfEvent>> SmfFile::Events(std::uint32_t endTick) const {
    for (const auto& t : tracks_) {
        endTick = std::max(endTick, t.LastTick());
    }
    std::vector<std::vector<SmfEvent>> out;
    for (const auto& t : tracks_) {
        out.push_back(t.Events(endTick));
    }
    return out;
}

std::vector<std::uint8_t> EncodeSmf(int ticksPerQuarter,
                                    const std::vector<std::vector<SmfEvent>>& tracks) {
    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    PutBigEndian(out, static_cast<std::uint32_t>(tracks.size()), 2);
    PutBigEndian(out, static_cast<std::uint32_t>(ticksPerQuarter), 2);
    for (const auto& events : tracks) {
        std::vector<std::uint8_t> body;
        std::uint32_t now = 0;
        std::uint8_t running = 0;
        for (const auto& e : events) {
            if (e.tick < now) {
                throw std::invalid_argument("track events out of order");
            }
            PutVarLen(body, e.tick - now);
            now = e.tick;
            const std::uint8_t status = e.bytes.at(0);
            if (status >= 0xF0) {
                running = 0;  // meta and system events cancel running status
                body.insert(body.end(), e.bytes.begin(), e.bytes.end());
            } else if (status == running) {
                body.insert(body.end(), e.bytes.begin() + 1, e.bytes.end());
            } else {
                running = status;
                body.insert(body.end(), e.bytes.begin(), e.bytes.end());
            }
        }
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        PutBigEndian(out, static_cast<std::uint32_t>(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

}  // namespace driftmere::songs
