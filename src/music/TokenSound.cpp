#include "music/TokenSound.h"

#include <utility>

namespace driftmere {

TokenSound::TokenSound(std::unique_ptr<MusicToken> token, Factory makeSound)
    : token_(std::move(token)), makeSound_(std::move(makeSound)) {}

TokenSound::~TokenSound() {
    sound_.reset();
    if (token_) token_->Release();
}

void TokenSound::PlayMidi(const std::string& path) {
    if (!token_ || !(token_->Held() || token_->TryTake())) return;
    if (!sound_ && makeSound_) sound_ = makeSound_();
    if (sound_) sound_->PlayMidi(path);
}

void TokenSound::StopMidi() {
    if (sound_) sound_->StopMidi();
}

bool TokenSound::IsPlaying() { return sound_ && sound_->IsPlaying(); }

}  // namespace driftmere
