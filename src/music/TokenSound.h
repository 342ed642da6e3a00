#pragma once
#include <functional>
#include <memory>
#include <string>

#include "music/MusicToken.h"
#include "music/SoundControl.h"

namespace driftmere {

// The sound control of a copy that shares the music with other copies: it plays only while it
// holds the music token. Until then every song is silent and reads as not playing, so the
// playlist's watcher asks for the next song a second later, and with it the token once more;
// the copy that plays ending (however it ends) lets one of the others take over at its next
// song. The real sound control, with its synthesiser and audio stream, is made only once the
// token is held, so a silent copy holds neither.
class TokenSound : public SoundControl {
  public:
    using Factory = std::function<std::unique_ptr<SoundControl>()>;
    TokenSound(std::unique_ptr<MusicToken> token, Factory makeSound);
    // The real sound is stopped and gone before the token is let go.
    ~TokenSound() override;
    TokenSound(const TokenSound&) = delete;
    TokenSound& operator=(const TokenSound&) = delete;

    void PlayMidi(const std::string& path) override;
    void StopMidi() override;
    bool IsPlaying() override;

  private:
    std::unique_ptr<MusicToken> token_;
    Factory makeSound_;
    std::unique_ptr<SoundControl> sound_;
};

}  // namespace driftmere
