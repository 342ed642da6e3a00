#pragma once
// A strict check of a Standard MIDI File's structure and of what it would cost to play, made
// before a song reaches the synthesiser: the player of our synthesis library can spin for
// minutes on a damaged file (found by fuzzing), and on a well-formed one it keeps every event in
// memory and plays every note it is given, however many start at one moment. So only files that
// parse cleanly from end to end, within the limits below, are played.
#include <cstddef>
#include <cstdint>
#include <string>

namespace driftmere {

// What one song may cost. The eight songs we ship stay far below each limit (1,130 to 4,546
// events, at most 9 notes started within 10 ms, at most 14 notes sounding), and so does an
// ordinary MIDI file (a chord on every one of 16 channels is 64 notes at most); what goes past
// them is a file made to hurt.
struct SongLimits {
    // Events of every kind in all tracks together. The player holds each event in memory (about
    // 45 bytes), so this keeps a song's parsed form to about 9 MB.
    std::size_t events = 200'000;
    // Notes started within any kEventWindowMicros of the song's time, across all tracks. Every
    // note takes the synthesiser a few microseconds, more when each voice is busy and one must be
    // stolen, all inside one block of sound; and a hundred at once overflow its queues, so that
    // it loses voices and counts them as sounding until long after (for ever when they were
    // stopped), which keeps the next song from ending.
    std::size_t notesAtOnce = 64;
    // Notes sounding at once, counting each (track, channel, key) once: twice the voices the
    // synthesiser has.
    std::size_t notesSounding = 512;
};

inline constexpr std::int64_t kEventWindowMicros = 10'000;

enum class MidiVerdict {
    Playable,
    Malformed,  // not a whole Standard MIDI File
    TooCostly,  // well formed, but past one of the limits
};

struct MidiCheckResult {
    MidiVerdict verdict = MidiVerdict::Malformed;
    // For TooCostly: which limit, in words, with the song's figure and the limit.
    std::string excess;
    // For Playable: when its last event is due, in microseconds from its start.
    double lengthMicros = 0;
};

// The file is well formed when it is a 6-byte "MThd" header with format 0-2, at least one track
// and a metrical division (ticks per quarter note, not zero); then exactly as many "MTrk" chunks
// as the header says (other chunks in between are allowed), each inside the file, whose events
// all parse (delta times of at most four bytes, running status only after a channel message, meta
// and system-exclusive lengths inside the track, set-tempo events with a tempo that is not
// zero). A track ends at its end-of-track event or, when it has none (a common flaw the player
// takes in its stride), at the end of its chunk; either way the last event must be whole.
// Tracks play side by side (the player treats every format so), and a tempo change in any track
// applies to all, as in the player.
MidiCheckResult CheckMidi(const std::uint8_t* data, std::size_t size,
                          const SongLimits& limits = SongLimits{});

// True when the bytes are a whole Standard MIDI File, whatever it would cost to play.
bool IsWellFormedMidi(const std::uint8_t* data, std::size_t size);

}  // namespace driftmere
