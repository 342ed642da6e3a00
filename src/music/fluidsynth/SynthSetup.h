#pragma once
// Setting up FluidSynth alike everywhere: its settings, its silenced logs, and the memory check
// before a SoundFont loads.
#include <fluidsynth.h>

namespace driftmere {

// FluidSynth's and ALSA's own messages would land on the user's terminal; ours say it once and
// plainly instead.
void SilenceLibraries();

// True when there is room to load a SoundFont without FluidSynth running out of memory midway.
bool RoomToLoadSoundFont();

// Every synthesiser we make, live or rendering to a buffer, is set up alike so that what the
// tests measure is what the user hears. `silent`: for a synthesiser nobody hears.
fluid_settings_t* NewSettings(double gain, bool silent = false);

}  // namespace driftmere
