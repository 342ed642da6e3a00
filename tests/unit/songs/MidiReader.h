#pragma once
// A small Standard MIDI File reader for the song tests: it checks the structure strictly and
// gives back every event with its absolute tick, so tests can ask how long a song plays and
// whether its notes are well formed.
#include <cstdint>
#include <string>
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

    // Every tempo change in the file, in tick order (microseconds per quarter note).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> TempoMap() const;
    // Seconds from the start to `tick`, honouring every tempo change; 120 bpm until the first.
    double Seconds(std::uint32_t tick) const;
    // The tick of the last end-of-track: where the song stops.
    std::uint32_t EndTick() const;
};

// Parses `bytes`; on any structural fault returns false and says why in `error`.
bool ParseMidi(const std::vector<std::uint8_t>& bytes, MidiFile& file, std::string& error);

std::vector<std::uint8_t> ReadBytes(const std::string& path);

}  // namespace driftmere::test
