#pragma once
// A small Standard MIDI File writer: format 1, ticks per quarter note, one chunk per track.
// Events are collected at absolute ticks in any order; a track puts them in the order they are
// written, and EncodeSmf turns such tracks into the file's bytes.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace driftmere::songs {

// One event as it goes into the file: its absolute tick and its bytes in full (status first;
// a meta event as FF, type, length, data).
struct SmfEvent {
    std::uint32_t tick;
    std::vector<std::uint8_t> bytes;
};

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

    // The track in the order it is written: its name, the events by tick (at one tick note-offs
    // first, then meta events, program changes, controllers and note-ons, each kind in the order
    // it was added), and the end of track at `endTick` or at the last event, whichever is later.
    std::vector<SmfEvent> Events(std::uint32_t endTick) const;
    std::uint32_t LastTick() const;

  private:
    struct Event {
        std::uint32_t tick;
        int rank;  // order of kinds at one tick
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
    SmfTrack& AddTrack(std::string name);
    // Every track's events; all tracks end at the same tick: the last event of the whole file,
    // or `endTick` when that is later.
    std::vector<std::vector<SmfEvent>> Events(std::uint32_t endTick) const;

  private:
    std::deque<SmfTrack> tracks_;  // a deque keeps references from AddTrack valid
};

// The whole file: header, then one chunk per track with running status inside each.
std::vector<std::uint8_t> EncodeSmf(int ticksPerQuarter,
                                    const std::vector<std::vector<SmfEvent>>& tracks);

}  // namespace driftmere::songs
