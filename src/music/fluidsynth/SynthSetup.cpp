#include "music/fluidsynth/SynthSetup.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "music/fluidsynth/FluidSynthSound.h"

namespace driftmere {
namespace {

void Quiet(int, const char*, void*) {}

// ALSA reports a missing sound card straight to stderr through its own handler. We reach that
// handler through the library FluidSynth already loaded, so nothing here links ALSA itself.
extern "C" void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

bool IsFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

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

fluid_settings_t* NewSettings(double gain, bool silent) {
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

std::string FindSoundFont(std::string_view folder) {
    for (const char* name : {"default-GM.sf2", "TimGM6mb.sf2", "FluidR3_GM.sf2"}) {
        std::string path = std::string(folder) + name;
        if (IsFile(path)) return path;
    }
    return {};
}

}  // namespace driftmere
