#pragma once
#include <string>

#include "platform/linux/RuntimeFolder.h"

namespace driftmere {

// Every running copy of the program holds a shared lock on one per-user file in the runtime
// folder; the kernel drops it when a copy ends, however it ends, so a crash leaves nothing
// stale behind. When no folder can be trusted there is no lock: every copy runs as if alone,
// and Problem() says why.
class InstanceLock {
  public:
    InstanceLock();
    // The lock in `folder`; made (private) when `makeFolder` and it is missing.
    InstanceLock(const std::string& folder, bool makeFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another copy held the lock when this one took it.
    bool AnotherCopyRunning() const { return anotherRunning_; }
    // Empty when the lock is held; otherwise why there is none, for a warning.
    const std::string& Problem() const { return problem_; }

  private:
    void Take();

    int fd_ = -1;
    bool anotherRunning_ = false;
    std::string problem_;
};

}  // namespace driftmere
