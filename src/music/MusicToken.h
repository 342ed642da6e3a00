#pragma once
// The right to be heard. Several copies of the saver may run for one user at once (a screen-saver
// host starts one per monitor); only the copy holding the token plays music, so no song is ever
// heard twice.

namespace driftmere {

class MusicToken {
  public:
    virtual ~MusicToken() = default;
    // Takes the token if no other copy holds it, without waiting. True when it is held (also
    // when it already was).
    virtual bool TryTake() = 0;
    virtual bool Held() const = 0;
    // Lets another copy take it. Harmless when not held.
    virtual void Release() = 0;
};

}  // namespace driftmere
