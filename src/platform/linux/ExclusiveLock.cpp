#include "platform/linux/ExclusiveLock.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/linux/RuntimeFolder.h"

namespace driftmere {

ExclusiveLock::ExclusiveLock(std::string fileName, NoLock noLock)
    : fileName_(std::move(fileName)), noLock_(std::move(noLock)) {}

ExclusiveLock::ExclusiveLock(std::string folder, bool makeFolder, std::string fileName,
                             NoLock noLock)
    : folder_(std::move(folder)),
      makeFolder_(makeFolder),
      fileName_(std::move(fileName)),
      noLock_(std::move(noLock)) {}

ExclusiveLock::~ExclusiveLock() {
    if (fd_ >= 0) close(fd_);
}

void ExclusiveLock::Open() {
    opened_ = true;
    std::string problem;
    fd_ = folder_.empty() ? OpenRuntimeLockFile(fileName_.c_str(), problem)
                          : OpenLockFileIn(folder_, makeFolder_, fileName_.c_str(), problem);
    if (fd_ < 0 && noLock_) noLock_(problem);
}

bool ExclusiveLock::TryTake() {
    if (held_) return true;
    if (!opened_) Open();
    if (fd_ < 0) {
        held_ = true;
        return true;
    }
    int status;
    do status = flock(fd_, LOCK_EX | LOCK_NB);
    while (status != 0 && errno == EINTR);
    held_ = status == 0;
    return held_;
}

void ExclusiveLock::Release() {
    if (held_ && fd_ >= 0) flock(fd_, LOCK_UN);
    held_ = false;
}

}  // namespace driftmere
