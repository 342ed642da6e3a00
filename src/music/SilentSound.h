#pragma once
#include "music/SoundControl.h"

namespace driftmere {

// Plays nothing and never holds a synthesiser or an audio device: the sound of a host's preview
// pane, where several small copies of the saver may run at once and none should be heard.
class SilentSound : public SoundControl {
  public:
    void PlayMidi(const std::string&) override {}
    void StopMidi() override {}
    bool IsPlaying() override { return false; }
};

}  // namespace driftmere
