// Songs on arbitrary bytes, through the loading path of the sound control: a song that does not
// parse as a Standard MIDI File, or would cost more than a song may, is refused before the player
// sees it; the rest go to a new
// FluidSynth player on one long-lived synthesiser (as the control keeps one), which plays up to
// half a second through the limiter. Loading the SoundFont for every input, as an offline render
// does, would cost a hundred times more than the song itself.
#include <fluidsynth.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "music/MidiCheck.h"
#include "music/PeakLimiter.h"
#include "music/fluidsynth/FluidSynthSound.h"

using namespace driftmere;

namespace {

fluid_settings_t* g_settings = nullptr;
fluid_synth_t* g_synth = nullptr;

void Quiet(int, const char*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, Quiet, nullptr);
    std::string font = FindSoundFont();
    if (font.empty()) {
        std::fprintf(stderr, "no General MIDI SoundFont in /usr/share/sounds/sf2/\n");
        std::exit(1);
    }
    // The control's own synthesiser settings.
    g_settings = new_fluid_settings();
    fluid_settings_setnum(g_settings, "synth.gain", kSongGain);
    fluid_settings_setint(g_settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setstr(g_settings, "player.timing-source", "sample");
    g_synth = new_fluid_synth(g_settings);
    if (!g_synth || fluid_synth_sfload(g_synth, font.c_str(), 1) == FLUID_FAILED) {
        std::fprintf(stderr, "cannot load %s\n", font.c_str());
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The control refuses what does not parse cleanly or costs too much, before the player sees it.
    if (CheckMidi(data, size).verdict != MidiVerdict::Playable) return 0;
    fluid_player_t* player = new_fluid_player(g_synth);
    if (!player) return 0;
    if (fluid_player_add_mem(player, data, size) == FLUID_OK &&
        fluid_player_play(player) == FLUID_OK) {
        constexpr int kBlock = 1024;
        std::vector<float> left(kBlock), right(kBlock);
        PeakLimiter limiter(0.89f, 44100.0);
        for (int block = 0; block < 22 && fluid_player_get_status(player) != FLUID_PLAYER_DONE;
             ++block) {
            std::fill(left.begin(), left.end(), 0.0f);
            std::fill(right.begin(), right.end(), 0.0f);
            fluid_synth_write_float(g_synth, kBlock, left.data(), 0, 1, right.data(), 0, 1);
            limiter.Process(left.data(), right.data(), kBlock);
        }
        fluid_player_stop(player);
    }
    delete_fluid_player(player);
    // The next input starts from silence, so a finding replays the same way on its own.
    fluid_synth_system_reset(g_synth);
    return 0;
}
