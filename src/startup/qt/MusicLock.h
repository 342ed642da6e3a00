#pragma once
// The music token of the user's copies, held as an exclusive lock in the runtime folder (see
// ExclusiveLock): only the copy holding it plays, so no song is ever heard twice.
#include <iostream>
#include <string>

#include "music/MusicToken.h"
#include "platform/linux/ExclusiveLock.h"

namespace driftmere {

class MusicLock : public MusicToken {
  public:
    MusicLock()
        : lock_("driftmere-music.lock", [](const std::string& problem) { Warn(problem); }) {}

    bool TryTake() override { return lock_.TryTake(); }
    bool Held() const override { return lock_.Held(); }
    void Release() override { lock_.Release(); }

  private:
    static void Warn(const std::string& problem) {
        std::cerr << "driftmere: no music lock (" << problem
                  << "); playing as if no other copy were running\n";
    }

    ExclusiveLock lock_;
};

}  // namespace driftmere
