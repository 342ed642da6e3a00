#include "music/fluidsynth/SongFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "music/MidiCheck.h"
#include "platform/linux/RegularFile.h"

namespace driftmere {
namespace {

// A song file larger than this is not one of ours (they are a few kilobytes; an ordinary MIDI
// file stays well under a megabyte); it is refused rather than read whole. The player copies
// the bytes and the system-exclusive and text events inside them once more.
constexpr std::size_t kMaxSongBytes = 2 * 1024 * 1024;

}  // namespace

SongCheck ReadSong(const std::string& path, std::vector<char>& data, std::string& problem,
                   double* lengthSeconds) {
    RegularFile file = ReadRegularFile(path, kMaxSongBytes);
    data.clear();
    if (file.tooLarge) {
        problem = "over " + std::to_string(kMaxSongBytes >> 20) + " MB";
        return SongCheck::TooLarge;
    }
    if (!file.problem.empty()) {
        problem = file.problem;
        return SongCheck::Unreadable;
    }
    data = std::move(file.bytes);
    const MidiCheckResult check =
        data.size() < 4 || std::memcmp(data.data(), "MThd", 4) != 0
            ? MidiCheckResult{}
            : CheckMidi(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    if (check.verdict == MidiVerdict::Playable) {
        if (lengthSeconds) *lengthSeconds = check.lengthMicros / 1e6;
        return SongCheck::Ok;
    }
    data.clear();
    data.shrink_to_fit();
    problem = check.excess;
    return check.verdict == MidiVerdict::TooCostly ? SongCheck::TooCostly : SongCheck::NotMidi;
}

}  // namespace driftmere
