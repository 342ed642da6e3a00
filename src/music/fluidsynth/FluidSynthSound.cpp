#include "music/fluidsynth/FluidSynthSound.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "music/fluidsynth/FluidSynthEngine.h"
#include "music/fluidsynth/SynthSetup.h"

namespace driftmere {

FluidSynthSound::FluidSynthSound(FluidSynthOptions options)
    : engine_(std::make_unique<Engine>(std::move(options))) {
    SilenceLibraries();
    if (engine_->options.output == FluidSynthOptions::Output::Silent) engine_->silent = true;
    if (const char* audio = std::getenv("DRIFTMERE_AUDIO"); audio && std::string(audio) == "none")
        engine_->silent = true;
}

// The synthesiser starts with the first song: a saver whose music is off never loads a
// SoundFont, and one whose music is on loads it while the first frames are already showing.
bool FluidSynthSound::Start() {
    if (engine_->worker.joinable()) return true;
    try {
        engine_->worker = std::thread([engine = engine_.get()] { engine->Run(); });
        return true;
    } catch (const std::system_error&) {
        // Out of threads or memory: no music, but the saver goes on. No other thread runs yet,
        // so the warning list is ours to touch.
        engine_->Warn("cannot start the music thread; music is off");
        std::lock_guard lock(engine_->mutex);
        engine_->ready = true;
        engine_->loaded = false;
        return false;
    }
}

FluidSynthSound::~FluidSynthSound() {
    {
        std::lock_guard lock(engine_->mutex);
        engine_->quit = true;
    }
    engine_->changed.notify_all();
    if (engine_->worker.joinable()) engine_->worker.join();
}

void FluidSynthSound::PlayMidi(const std::string& path) {
    if (!Start()) return;  // reads as not playing, so the playlist moves on
    {
        std::lock_guard lock(engine_->mutex);
        ++engine_->request;
        engine_->requestPlay = true;
        engine_->requestPath = path;
        engine_->playing = true;
    }
    engine_->changed.notify_all();
}

void FluidSynthSound::StopMidi() {
    {
        std::lock_guard lock(engine_->mutex);
        if (!engine_->playing && !engine_->requestPlay) return;
        ++engine_->request;
        engine_->requestPlay = false;
        engine_->requestPath.clear();
        engine_->playing = false;
    }
    engine_->changed.notify_all();
}

bool FluidSynthSound::IsPlaying() {
    std::lock_guard lock(engine_->mutex);
    return engine_->playing;
}

bool FluidSynthSound::WaitUntilReady() {
    Start();
    std::unique_lock lock(engine_->mutex);
    engine_->changed.wait(lock, [this] { return engine_->ready; });
    return engine_->loaded;
}

bool FluidSynthSound::PlaysSilently() {
    std::lock_guard lock(engine_->mutex);
    return engine_->silent;
}

}  // namespace driftmere
