#pragma once
// A strict check of a Standard MIDI File's structure, made before a song reaches the
// synthesiser: the player of our synthesis library can spin for minutes on a damaged file
// (found by fuzzing), so only files that parse cleanly from end to end are played.
#include <cstddef>
#include <cstdint>

namespace driftmere {

// True when the bytes are a whole Standard MIDI File: a 6-byte "MThd" header with format 0-2,
// at least one track and a metrical division (ticks per quarter note, not zero); then exactly
// as many "MTrk" chunks as the header says (other chunks in between are allowed), each inside
// the file, whose events all parse (delta times of at most four bytes, running status only
// after a channel message, meta and system-exclusive lengths inside the track, set-tempo
// events with a tempo that is not zero). A track ends at its end-of-track event or, when it has
// none (a common flaw the player takes in its stride), at the end of its chunk; either way the
// last event must be whole.
bool IsWellFormedMidi(const std::uint8_t* data, std::size_t size);

}  // namespace driftmere
