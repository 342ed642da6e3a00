#pragma once
// The sound control's engine: the thread that owns the synthesiser, its output and the player.
#include <fluidsynth.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "music/PeakLimiter.h"
#include "music/fluidsynth/FluidSynthSound.h"

namespace driftmere {

// The control's state is split by thread. The caller's thread only posts requests and reads
// the playing flag, under `mutex`. Everything FluidSynth belongs to the control's own thread,
// except that a device's audio thread renders through Render(), and the player is only made,
// started and deleted under `renderMutex`, so it never goes away under a running render.
struct FluidSynthSound::Engine {
    explicit Engine(FluidSynthOptions o) : options(std::move(o)) {}

    void Run();
    bool Init();
    void Teardown();
    void Start(const std::string& path, std::uint64_t generation);
    void StopPlayer();
    void RenderDue();
    void Ended(std::uint64_t generation);
    void Warn(const std::string& message);
    static int Render(void* data, int len, int nfx, float* fx[], int nout, float* out[]);

    FluidSynthOptions options;

    // Shared with the caller's thread.
    std::mutex mutex;
    std::condition_variable changed;
    bool quit = false;
    bool ready = false;
    bool loaded = false;
    bool silent = false;
    std::uint64_t request = 0;  // bumped by every PlayMidi and StopMidi
    bool requestPlay = false;
    std::string requestPath;
    bool playing = false;

    // The control's own thread.
    std::uint64_t handled = 0;
    std::uint64_t playerGeneration = 0;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    fluid_player_t* player = nullptr;
    std::vector<char> songData;
    std::set<std::string> warned;
    std::chrono::steady_clock::time_point renderStart;
    // When the song counts as over even if the player still says it plays.
    std::chrono::steady_clock::time_point songDeadline;
    std::int64_t framesRendered = 0;
    bool behind = false;
    std::vector<std::int16_t> scratch;
    std::mutex renderMutex;
    PeakLimiter limiter;  // the device's audio thread only

    std::thread worker;  // last: started once everything above exists
};

}  // namespace driftmere
