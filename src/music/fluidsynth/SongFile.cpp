#include "music/fluidsynth/SongFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "music/MidiCheck.h"
#include "platform/linux/RegularFile.h"

namespace driftmere {
namespace {

// A song file larger than this is not one of ours; it is refused rather than read whole.
constexpr std::size_t kMaxSongBytes = 16 * 1024 * 1024;

}  // namespace

SongCheck ReadSong(const std::string& path, std::vector<char>& data, std::string& problem) {
    RegularFile file = ReadRegularFile(path, kMaxSongBytes);
    data.clear();
    if (file.tooLarge) return SongCheck::TooLarge;
    if (!file.problem.empty()) {
        problem = file.problem;
        return SongCheck::Unreadable;
    }
    data = std::move(file.bytes);
    if (data.size() < 4 || std::memcmp(data.data(), "MThd", 4) != 0 ||
        !IsWellFormedMidi(reinterpret_cast<const std::uint8_t*>(data.data()), data.size())) {
        data.clear();
        return SongCheck::NotMidi;
    }
    return SongCheck::Ok;
}

}  // namespace driftmere
