#pragma once
#include <functional>
#include <string>

namespace driftmere {

// A right that one of the user's copies holds at a time: an exclusive flock on a file in the
// runtime folder. The kernel lets it go the moment its holder ends, even when killed, so it can
// never be lost with a copy. The file is opened with the first try, so a copy that never asks
// touches nothing. When no folder can be trusted there is no lock and every try succeeds, as if
// the copy were alone (as with the instance lock); `noLock` hears why, once.
class ExclusiveLock {
  public:
    using NoLock = std::function<void(const std::string& problem)>;
    // `fileName` in the runtime folder.
    ExclusiveLock(std::string fileName, NoLock noLock);
    // `fileName` in `folder`, made (private) when `makeFolder` and it is missing.
    ExclusiveLock(std::string folder, bool makeFolder, std::string fileName, NoLock noLock);
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    // Takes the lock if no other copy holds it, without waiting. True when it is held (also
    // when it already was).
    bool TryTake();
    bool Held() const { return held_; }
    // Lets another copy take it. Harmless when not held.
    void Release();

  private:
    void Open();

    std::string folder_;  // empty: the runtime folder
    bool makeFolder_ = false;
    std::string fileName_;
    NoLock noLock_;
    bool opened_ = false;
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace driftmere
