#include "RenderSong.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>

#include "music/PeakLimiter.h"
#include "music/fluidsynth/SongFile.h"
#include "music/fluidsynth/SynthSetup.h"

namespace driftmere {

std::optional<RenderedSong> RenderSong(const std::string& midiPath, const std::string& soundFont,
                                       double gain, double maxSeconds) {
    SilenceLibraries();
    std::vector<char> data;
    std::string problem;
    if (ReadSong(midiPath, data, problem) != SongCheck::Ok) return std::nullopt;
    fluid_settings_t* settings = NewSettings(gain);
    if (!settings) return std::nullopt;
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_player_t* player = nullptr;
    std::optional<RenderedSong> song;
    if (synth && fluid_synth_sfload(synth, soundFont.c_str(), 1) != FLUID_FAILED &&
        (player = new_fluid_player(synth)) &&
        fluid_player_add_mem(player, data.data(), data.size()) == FLUID_OK &&
        fluid_player_play(player) == FLUID_OK) {
        song.emplace();
        double rate = 44100.0;
        fluid_settings_getnum(settings, "synth.sample-rate", &rate);
        song->sampleRate = static_cast<int>(rate);
        auto limit = static_cast<std::size_t>(maxSeconds * rate) * 2;
        // The same float path and limiter as the device output.
        PeakLimiter limiter(0.89f, rate);
        constexpr int kBlock = 4096;
        std::vector<float> left(kBlock), right(kBlock);
        while (fluid_player_get_status(player) != FLUID_PLAYER_DONE &&
               song->samples.size() < limit) {
            std::fill(left.begin(), left.end(), 0.0f);
            std::fill(right.begin(), right.end(), 0.0f);
            fluid_synth_write_float(synth, kBlock, left.data(), 0, 1, right.data(), 0, 1);
            limiter.Process(left.data(), right.data(), kBlock);
            for (int i = 0; i < kBlock; ++i) {
                for (float v : {left[i], right[i]}) {
                    float scaled = std::clamp(v * 32767.0f, -32768.0f, 32767.0f);
                    song->samples.push_back(static_cast<std::int16_t>(std::lround(scaled)));
                }
            }
        }
    }
    if (player) delete_fluid_player(player);
    if (synth) delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return song;
}

}  // namespace driftmere
