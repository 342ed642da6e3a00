#include "RenderSong.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <fstream>

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

bool WriteWav(const std::string& path, const RenderedSong& song) {
    std::ofstream out(path, std::ios::binary);
    if (!out) return false;
    auto put32 = [&](std::uint32_t v) {
        char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        out.write(b, 4);
    };
    auto put16 = [&](std::uint16_t v) {
        char b[2] = {char(v), char(v >> 8)};
        out.write(b, 2);
    };
    auto bytes = static_cast<std::uint32_t>(song.samples.size() * 2);
    out.write("RIFF", 4);
    put32(36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(16);
    put16(1);  // PCM
    put16(2);  // stereo
    put32(static_cast<std::uint32_t>(song.sampleRate));
    put32(static_cast<std::uint32_t>(song.sampleRate) * 4);
    put16(4);
    put16(16);
    out.write("data", 4);
    put32(bytes);
    for (std::int16_t s : song.samples) put16(static_cast<std::uint16_t>(s));
    return static_cast<bool>(out.flush());
}

}  // namespace driftmere
