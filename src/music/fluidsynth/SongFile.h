#pragma once
// Reading a song file into memory with the checks a file from anywhere needs.
#include <string>
#include <vector>

namespace driftmere {

enum class SongCheck { Ok, Unreadable, NotMidi, TooLarge };

// Reads a song whole, without ever blocking on what is at its path (a FIFO, a device): the
// bytes go to the player from memory, so nothing else opens the file. A file that does not
// begin like a Standard MIDI File is refused instead of being handed to the player.
SongCheck ReadSong(const std::string& path, std::vector<char>& data, std::string& problem);

}  // namespace driftmere
