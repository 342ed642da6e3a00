#pragma once
// A song rendered offline with the sound control's synthesiser settings and limiter, so a test
// can measure what the user would hear.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "music/fluidsynth/FluidSynthSound.h"

namespace driftmere {

// 16-bit stereo, interleaved, from the song's start until the player reports its end (or
// maxSeconds).
struct RenderedSong {
    int sampleRate = 44100;
    std::vector<std::int16_t> samples;
};
std::optional<RenderedSong> RenderSong(const std::string& midiPath, const std::string& soundFont,
                                       double gain = kSongGain, double maxSeconds = 900.0);

}  // namespace driftmere
