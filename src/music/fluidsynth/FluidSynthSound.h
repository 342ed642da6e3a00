#pragma once
// The sound control on FluidSynth: plays one MIDI file at a time through PulseAudio or ALSA,
// or silently in real time when neither works, so that a song still ends when it should and
// the playlist moves on.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "music/SoundControl.h"

namespace driftmere {

// The synthesiser's master gain. FluidSynth's own 0.2 is too quiet next to other programs. Our
// songs are written softly (calm pieces, moderate velocities); at 2.0 they sit around -20 dBFS
// RMS with peaks near -2 dBFS with both TimGM6mb and FluidR3, a normal listening level, and the
// limiter at -1 dBFS catches anything louder, so a loud file from elsewhere cannot clip.
inline constexpr double kSongGain = 2.0;

// The General MIDI SoundFont in `folder` (ending with '/'): the system's chosen default-GM.sf2
// when present, else TimGM6mb.sf2 (small), else FluidR3_GM.sf2. Empty when none is there.
std::string FindSoundFont(std::string_view folder = "/usr/share/sounds/sf2/");

struct FluidSynthOptions {
    enum class Output {
        Device,  // PulseAudio, then ALSA; silent when neither opens
        Silent,  // never open a device: songs play in time without sound
    };
    std::string soundFont;  // empty: FindSoundFont()
    // DRIFTMERE_AUDIO=none in the environment turns Device into Silent, for headless runs.
    Output output = Output::Device;
    double gain = kSongGain;
    // Where the one-line warnings go (missing SoundFont, unreadable song, no audio device);
    // each distinct warning is given once. Called from the control's own thread. Empty: stderr.
    std::function<void(const std::string&)> warn;
};

class FluidSynthSound : public SoundControl {
  public:
    // Returns at once. With the first song the SoundFont loads and the device opens on the
    // control's own thread; the song starts as soon as they are ready, and counts as playing.
    explicit FluidSynthSound(FluidSynthOptions options = {});
    ~FluidSynthSound() override;
    FluidSynthSound(const FluidSynthSound&) = delete;
    FluidSynthSound& operator=(const FluidSynthSound&) = delete;

    void PlayMidi(const std::string& path) override;
    void StopMidi() override;
    bool IsPlaying() override;

    // Blocks until the SoundFont is loaded and the output chosen. True when the SoundFont
    // loaded. For tests and measurements; the saver never waits.
    bool WaitUntilReady();
    // After WaitUntilReady: true when songs play without a device.
    bool PlaysSilently();

  private:
    // Starts the control's thread on first use; false when no thread could be had.
    bool Start();

    struct Engine;
    std::unique_ptr<Engine> engine_;
};

}  // namespace driftmere
