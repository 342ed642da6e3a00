#pragma once
// The sound control: plays one MIDI file at a time in the background.
#include <string>

namespace driftmere {

class SoundControl {
  public:
    virtual ~SoundControl() = default;
    // Starts the song at path (UTF-8) and returns at once. A song already playing is stopped
    // and the new one starts from its beginning.
    virtual void PlayMidi(const std::string& path) = 0;
    // Harmless when nothing plays.
    virtual void StopMidi() = 0;
    // True while a song started by PlayMidi is still playing.
    virtual bool IsPlaying() = 0;
};

}  // namespace driftmere
