#include "music/fluidsynth/FluidSynthEngine.h"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "music/fluidsynth/SongFile.h"
#include "music/fluidsynth/SynthSetup.h"
#include "platform/QuotedForMessage.h"

namespace driftmere {
namespace {

using SteadyClock = std::chrono::steady_clock;

// How often the silent output renders what is due, and how often the device output looks
// whether the song has ended. Both are far below what anyone could hear or see.
constexpr auto kSilentStep = std::chrono::milliseconds(20);
constexpr auto kDevicePoll = std::chrono::milliseconds(50);
// The silent output catches up after a stall in slices of at most this many frames.
constexpr std::int64_t kMaxFramesPerStep = 44100;
// The player ends a song once its last note has died away, a few seconds after its last event.
// A synthesiser that has lost track of a voice counts it as sounding for ever, and the player
// would never end; past this much after its last event, the song is over all the same.
constexpr auto kLongestFadeOut = std::chrono::seconds(10);

}  // namespace

void FluidSynthSound::Engine::Warn(const std::string& message) {
    if (!warned.insert(message).second) return;
    if (options.warn) {
        options.warn(message);
    } else {
        std::string line = "driftmere: " + message + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
}

int FluidSynthSound::Engine::Render(void* data, int len, int nfx, float* fx[], int nout,
                                    float* out[]) {
    auto* self = static_cast<Engine*>(data);
    std::lock_guard lock(self->renderMutex);
    int result;
    if (nfx == 0) {
        // Our devices give no separate effect buffers: reverb and chorus go into the dry mix.
        float* mixed[4] = {out[0], out[1], out[0], out[1]};
        result = fluid_synth_process(self->synth, len, 4, mixed, nout, out);
    } else {
        result = fluid_synth_process(self->synth, len, nfx, fx, nout, out);
    }
    if (nout >= 2) self->limiter.Process(out[0], out[1], len);
    return result;
}

bool FluidSynthSound::Engine::Init() {
    auto makeSynth = [this](bool quiet) {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
        synth = nullptr;
        settings = NewSettings(options.gain, quiet);
        if (settings) synth = new_fluid_synth(settings);
        return synth != nullptr;
    };
    if (!makeSynth(silent)) {
        Warn("cannot start the synthesiser; music is off");
        return false;
    }
    // The device is chosen before the SoundFont loads, so that a machine without one gets the
    // cheap silent synthesiser without loading the SoundFont twice. Until the font is there the
    // device plays silence.
    if (!silent) {
        double rate = 44100.0;
        fluid_settings_getnum(settings, "synth.sample-rate", &rate);
        limiter = PeakLimiter(0.89f, rate);
        for (const char* name : {"pulseaudio", "alsa"}) {
            fluid_settings_setstr(settings, "audio.driver", name);
            driver = new_fluid_audio_driver2(settings, &Engine::Render, this);
            if (driver) break;
        }
        if (!driver) {
            Warn("no audio device (tried PulseAudio and ALSA); music plays silently");
            {
                std::lock_guard lock(mutex);
                silent = true;
            }
            if (!makeSynth(true)) {
                Warn("cannot start the synthesiser; music is off");
                return false;
            }
        }
    }
    std::string font = options.soundFont.empty() ? FindSoundFont() : options.soundFont;
    if (font.empty()) {
        Warn("no General MIDI SoundFont in /usr/share/sounds/sf2/; music is off");
        return false;
    }
    if (!RoomToLoadSoundFont()) {
        Warn("too little memory left to load the SoundFont " + QuotedPath(font) + "; music is off");
        return false;
    }
    // The synthesiser's own lock (its thread-safe API) keeps a running device render safe.
    if (fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED) {
        Warn("cannot load the SoundFont " + QuotedPath(font) + "; music is off");
        return false;
    }
    return true;
}

void FluidSynthSound::Engine::Teardown() {
    // The device goes first, so that no audio thread renders while the rest is taken apart.
    if (driver) delete_fluid_audio_driver(driver);
    driver = nullptr;
    StopPlayer();
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
    synth = nullptr;
    settings = nullptr;
}

void FluidSynthSound::Engine::Ended(std::uint64_t generation) {
    std::lock_guard lock(mutex);
    // A later PlayMidi or StopMidi has already said what IsPlaying reports.
    if (request == generation) playing = false;
}

void FluidSynthSound::Engine::StopPlayer() {
    if (!player) return;
    {
        std::lock_guard lock(renderMutex);
        fluid_player_stop(player);
        delete_fluid_player(player);
        player = nullptr;
        // Silencing hundreds of voices at once overflows the synthesiser's list of finished
        // voices; the ones it loses count as sounding for ever, and no later song would ever end
        // (a song of a note a millisecond does it). A full reset forgets them, and the next song
        // starts from the synthesiser's first state, whatever the last one left set.
        fluid_synth_all_sounds_off(synth, -1);
        fluid_synth_system_reset(synth);
    }
    songData.clear();
    songData.shrink_to_fit();
    // The player parsed the song on the audio thread, into that thread's own allocation arena,
    // which keeps its freed pages unless asked to give them back.
    malloc_trim(0);
}

void FluidSynthSound::Engine::Start(const std::string& path, std::uint64_t generation) {
    // A new player for every song: a stopped player would resume where it stopped.
    StopPlayer();
    bool usable;
    {
        std::lock_guard lock(mutex);
        usable = loaded;
    }
    if (!usable) {
        Ended(generation);
        return;
    }
    std::string problem;
    double lengthSeconds = 0;
    switch (ReadSong(path, songData, problem, &lengthSeconds)) {
        case SongCheck::Ok:
            break;
        case SongCheck::Unreadable:
            Warn("cannot read the song " + QuotedPath(path) + ": " + problem);
            Ended(generation);
            return;
        case SongCheck::NotMidi:
            Warn("the song " + QuotedPath(path) + " is not a MIDI file");
            Ended(generation);
            return;
        case SongCheck::TooLarge:
            Warn("the song " + QuotedPath(path) + " is too large (" + problem + "); it is skipped");
            Ended(generation);
            return;
        case SongCheck::TooCostly:
            Warn("the song " + QuotedPath(path) + " asks too much of the synthesiser (" + problem +
                 "); it is skipped");
            Ended(generation);
            return;
    }
    {
        std::lock_guard lock(renderMutex);
        player = new_fluid_player(synth);
        if (player && (fluid_player_add_mem(player, songData.data(), songData.size()) != FLUID_OK ||
                       fluid_player_play(player) != FLUID_OK)) {
            delete_fluid_player(player);
            player = nullptr;
        }
    }
    if (!player) {
        Warn("the song " + QuotedPath(path) + " cannot be played");
        Ended(generation);
        return;
    }
    playerGeneration = generation;
    renderStart = SteadyClock::now();
    songDeadline = renderStart +
                   std::chrono::duration_cast<SteadyClock::duration>(
                       std::chrono::duration<double>(std::min(lengthSeconds, 1e7))) +
                   kLongestFadeOut;
    framesRendered = 0;
    behind = false;
}

// Without a device the player still has to move on in real time: render whatever is due since
// the song started, into a buffer nobody hears.
void FluidSynthSound::Engine::RenderDue() {
    double rate = 44100.0;
    fluid_settings_getnum(settings, "synth.sample-rate", &rate);
    auto elapsed = std::chrono::duration<double>(SteadyClock::now() - renderStart).count();
    auto due = static_cast<std::int64_t>(elapsed * rate) - framesRendered;
    behind = due > kMaxFramesPerStep;
    due = std::min(due, kMaxFramesPerStep);
    constexpr int kBlock = 1024;
    scratch.resize(2 * kBlock);
    while (due > 0) {
        int frames = static_cast<int>(std::min<std::int64_t>(due, kBlock));
        {
            std::lock_guard lock(renderMutex);
            fluid_synth_write_s16(synth, frames, scratch.data(), 0, 2, scratch.data(), 1, 2);
        }
        framesRendered += frames;
        due -= frames;
    }
}

void FluidSynthSound::Engine::Run() {
    bool ok = Init();
    {
        std::lock_guard lock(mutex);
        loaded = ok;
        ready = true;
    }
    changed.notify_all();

    for (;;) {
        std::unique_lock lock(mutex);
        auto pending = [this] { return quit || request != handled; };
        if (!player) {
            changed.wait(lock, pending);
        } else if (!behind) {
            changed.wait_for(lock, silent ? kSilentStep : kDevicePoll, pending);
        }
        if (quit) break;
        std::optional<std::pair<std::uint64_t, std::string>> play;
        bool stop = false;
        if (request != handled) {
            handled = request;
            if (requestPlay)
                play.emplace(request, requestPath);
            else
                stop = true;
        }
        bool renderHere = silent;
        lock.unlock();

        if (play) Start(play->second, play->first);
        if (stop) StopPlayer();
        if (player) {
            if (renderHere) RenderDue();
            if (fluid_player_get_status(player) == FLUID_PLAYER_DONE ||
                SteadyClock::now() > songDeadline) {
                StopPlayer();
                Ended(playerGeneration);
            }
        }
    }
    Teardown();
}

}  // namespace driftmere
