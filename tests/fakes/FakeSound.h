#pragma once
#include <string>
#include <vector>

#include "music/SoundControl.h"

namespace driftmere::testing {

// A sound control that records calls. A song "plays" until the test ends it (or stops it).
class FakeSound : public SoundControl {
  public:
    std::vector<std::string> calls;   // "PlayMidi <path>", "StopMidi", "IsPlaying"
    std::vector<std::string> played;  // paths, in order
    bool playing = false;

    void PlayMidi(const std::string& path) override {
        calls.push_back("PlayMidi " + path);
        played.push_back(path);
        playing = true;
    }
    void StopMidi() override {
        calls.push_back("StopMidi");
        playing = false;
    }
    bool IsPlaying() override {
        calls.push_back("IsPlaying");
        return playing;
    }
    void EndSong() { playing = false; }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
        return n;
    }
};

}  // namespace driftmere::testing
