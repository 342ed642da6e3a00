#pragma once
// Reading a song file into memory with the checks a file from anywhere needs.
#include <string>
#include <vector>

namespace driftmere {

enum class SongCheck { Ok, Unreadable, NotMidi, TooLarge, TooCostly };

// Reads a song whole, without ever blocking on what is at its path (a FIFO, a device): the
// bytes go to the player from memory, so nothing else opens the file. A file that does not
// parse as a whole Standard MIDI File is refused instead of being handed to the player, and so
// is one that would cost more than a song may (MidiCheck.h); `problem` then says which limit,
// as it does for a file too large to read.
// `lengthSeconds`, when given, receives a playable song's length up to its last event.
SongCheck ReadSong(const std::string& path, std::vector<char>& data, std::string& problem,
                   double* lengthSeconds = nullptr);

}  // namespace driftmere
