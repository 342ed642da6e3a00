#pragma once
#include <functional>
#include <string>

#include "music/MusicToken.h"

namespace driftmere {

// The music token of the user's copies: an exclusive flock on a file in the runtime folder. The
// kernel lets it go the moment its holder ends, even when killed, so the token can never be
// lost with a copy. The file is opened with the first try, so a copy whose music is off touches
// nothing. When no folder can be trusted there is no lock and the copy plays as if it were alone
// (as with the instance lock); `warn` says why, once.
class MusicLock : public MusicToken {
  public:
    using Warn = std::function<void(const std::string&)>;
    // In the runtime folder.
    explicit MusicLock(Warn warn = {});
    // In `folder`, made (private) when `makeFolder` and it is missing.
    MusicLock(std::string folder, bool makeFolder, Warn warn = {});
    ~MusicLock() override;
    MusicLock(const MusicLock&) = delete;
    MusicLock& operator=(const MusicLock&) = delete;

    bool TryTake() override;
    bool Held() const override { return held_; }
    void Release() override;

  private:
    void Open();

    std::string folder_;  // empty: the runtime folder
    bool makeFolder_ = false;
    Warn warn_;
    bool opened_ = false;
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace driftmere
