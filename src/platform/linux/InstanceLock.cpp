#include "platform/linux/InstanceLock.h"

#include <sys/file.h>
#include <unistd.h>

#include <ctime>

namespace driftmere {
namespace {

constexpr const char* kLockName = "driftmere.lock";

}  // namespace

InstanceLock::InstanceLock() {
    fd_ = OpenRuntimeLockFile(kLockName, problem_);
    Take();
}

InstanceLock::InstanceLock(const std::string& folder, bool makeFolder) {
    fd_ = OpenLockFileIn(folder, makeFolder, kLockName, problem_);
    Take();
}

void InstanceLock::Take() {
    if (fd_ < 0) return;
    // An exclusive lock is free only when no other copy holds its shared one. Only our own
    // copies can reach the file, and each holds the exclusive lock for a moment only, so the
    // shared one comes at once; should it not, this copy runs without it rather than wait.
    anotherRunning_ = flock(fd_, LOCK_EX | LOCK_NB) != 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (flock(fd_, LOCK_SH | LOCK_NB) == 0) return;
        const timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace driftmere
