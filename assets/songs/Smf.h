#pragma once
// A small Standard MIDI File writer: format 1, ticks per quarter note, one chunk per track.
// Events are collected at absolute ticks in any order and sorted when the file is encoded.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace driftmere::songs {

class SmfTrack {
  public:
    explicit SmfTrack(std::string name) : name_(std::move(name)) {}

    void Tempo(std::uint32_t tick, std::uint32_t microsPerQuarter);
    void TimeSignature(std::uint32_t tick, int numerator, int denominator);
    void KeySignature(std::uint32_t tick, int sharps, bool minor);
    void Program(std::uint32_t tick, int channel, int program);
    void Control(std::uint32_t tick, int channel, int controller, int value);
    // A note from `on` to `off`. Two notes of one key on one channel never overlap in the file:
    // the earlier one is cut where the later one starts, so every note-on meets its own note-off.
    void Note(std::uint32_t on, std::uint32_t off, int channel, int key, int velocity);

    // The track chunk ("MTrk", length, events with running status, end of track at `endTick`
    // or just after the last event, whichever is later).
    std::vector<std::uint8_t> Encode(std::uint32_t endTick) const;
    std::uint32_t LastTick() const;

  private:
    struct Event {
        std::uint32_t tick;
        int rank;  // order of kinds at one tick: note-offs first, note-ons last
        std::uint32_t seq;
        std::vector<std::uint8_t> bytes;
    };
    struct PendingNote {
        std::uint32_t on, off;
        int channel, key, velocity;
        std::uint32_t seq;
    };
    void Add(std::uint32_t tick, int rank, std::vector<std::uint8_t> bytes);

    std::string name_;
    std::vector<Event> events_;
    std::vector<PendingNote> notes_;
    std::uint32_t seq_ = 0;
};

class SmfFile {
  public:
    explicit SmfFile(int ticksPerQuarter) : ticksPerQuarter_(ticksPerQuarter) {}
    SmfTrack& AddTrack(std::string name);
    // Every track ends at the same tick: the last event of the whole file, or `endTick`.
    std::vector<std::uint8_t> Encode(std::uint32_t endTick) const;

  private:
    int ticksPerQuarter_;
    std::deque<SmfTrack> tracks_;  // a deque keeps references from AddTrack valid
};

}  // namespace driftmere::songs
