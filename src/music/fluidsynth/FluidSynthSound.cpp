#include "music/fluidsynth/FluidSynthSound.h"

#include <dlfcn.h>
#include <fluidsynth.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

#include "music/MidiCheck.h"
#include "music/PeakLimiter.h"
#include "platform/linux/RegularFile.h"

namespace driftmere {
namespace {

using SteadyClock = std::chrono::steady_clock;

// A song file larger than this is not one of ours; it is refused rather than read whole.
constexpr std::size_t kMaxSongBytes = 16 * 1024 * 1024;
// How often the silent output renders what is due, and how often the device output looks
// whether the song has ended. Both are far below what anyone could hear or see.
constexpr auto kSilentStep = std::chrono::milliseconds(20);
constexpr auto kDevicePoll = std::chrono::milliseconds(50);
// The silent output catches up after a stall in slices of at most this many frames.
constexpr std::int64_t kMaxFramesPerStep = 44100;

void Quiet(int, const char*, void*) {}

// ALSA reports a missing sound card straight to stderr through its own handler. We reach that
// handler through the library FluidSynth already loaded, so nothing here links ALSA itself.
extern "C" void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

void SilenceLibraries() {
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, Quiet, nullptr);
    using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetAlsaHandler = int (*)(AlsaHandler);
    if (void* symbol = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler"))
        reinterpret_cast<SetAlsaHandler>(symbol)(QuietAlsa);
}

// FluidSynth crashes instead of failing when an allocation fails while it reads a SoundFont (seen
// under `ulimit -v`). So room is asked for first: a trial reservation of address space, never
// touched, tells whether the load has the margin it needs. The samples themselves are read only
// as songs use them, so the margin does not depend on the font's size.
bool RoomToLoadSoundFont() {
    constexpr std::size_t kMargin = std::size_t{64} << 20;
    void* trial =
        mmap(nullptr, kMargin, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (trial == MAP_FAILED) return false;
    munmap(trial, kMargin);
    return true;
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Every synthesiser we make, live or rendering to a buffer, is set up alike so that what the
// tests measure is what the user hears.
fluid_settings_t* NewSettings(double gain, bool silent = false) {
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return nullptr;
    fluid_settings_setnum(settings, "synth.gain", gain);
    if (silent) {
        // Nobody hears a silent song; it only has to end on time. The lowest sample rate and no
        // effects keep the timing exact at a fraction of the work.
        fluid_settings_setnum(settings, "synth.sample-rate", 8000.0);
        fluid_settings_setint(settings, "synth.reverb.active", 0);
        fluid_settings_setint(settings, "synth.chorus.active", 0);
    }
    // Only the instruments a song uses are read from the SoundFont, when it selects them: the
    // large FluidR3 costs a few megabytes instead of 150.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    return settings;
}

enum class SongCheck { Ok, Unreadable, NotMidi, TooLarge };

// Reads a song whole, without ever blocking on what is at its path (a FIFO, a device): the
// bytes go to the player from memory, so nothing else opens the file. A file that does not
// begin like a Standard MIDI File is refused instead of being handed to the player.
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

}  // namespace

std::string FindSoundFont(std::string_view folder) {
    for (const char* name : {"default-GM.sf2", "TimGM6mb.sf2", "FluidR3_GM.sf2"}) {
        std::string path = std::string(folder) + name;
        if (IsFile(path)) return path;
    }
    return {};
}

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
    SteadyClock::time_point renderStart;
    std::int64_t framesRendered = 0;
    bool behind = false;
    std::vector<std::int16_t> scratch;
    std::mutex renderMutex;
    PeakLimiter limiter;  // the device's audio thread only

    std::thread worker;  // last: started once everything above exists
};

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
        Warn("too little memory left to load the SoundFont " + font + "; music is off");
        return false;
    }
    // The synthesiser's own lock (its thread-safe API) keeps a running device render safe.
    if (fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED) {
        Warn("cannot load the SoundFont " + font + "; music is off");
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
        fluid_synth_all_sounds_off(synth, -1);
    }
    songData.clear();
    songData.shrink_to_fit();
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
    switch (ReadSong(path, songData, problem)) {
        case SongCheck::Ok:
            break;
        case SongCheck::Unreadable:
            Warn("cannot read the song " + path + ": " + problem);
            Ended(generation);
            return;
        case SongCheck::NotMidi:
            Warn("the song " + path + " is not a MIDI file");
            Ended(generation);
            return;
        case SongCheck::TooLarge:
            Warn("the song " + path + " is too large to be a MIDI file");
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
        Warn("the song " + path + " cannot be played");
        Ended(generation);
        return;
    }
    playerGeneration = generation;
    renderStart = SteadyClock::now();
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
            if (fluid_player_get_status(player) == FLUID_PLAYER_DONE) {
                StopPlayer();
                Ended(playerGeneration);
            }
        }
    }
    Teardown();
}

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
