#pragma once
#include <string>

namespace driftmere {

// Every running copy of the program holds a shared lock on one per-user file; the kernel drops
// it when a copy ends, however it ends, so a crash leaves nothing stale behind.
class InstanceLock {
  public:
    // Path: $XDG_RUNTIME_DIR/driftmere.lock, else /tmp/driftmere-<uid>.lock.
    InstanceLock();
    explicit InstanceLock(std::string path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another copy held the lock when this one took it.
    bool AnotherCopyRunning() const { return anotherRunning_; }

  private:
    int fd_ = -1;
    bool anotherRunning_ = false;
};

}  // namespace driftmere
