#pragma once
#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace driftmere {

// Every running copy of the program holds a shared lock on one per-user file; the kernel drops
// it when a copy ends, however it ends, so a crash leaves nothing stale behind.
//
// The file lives in a folder only its user can write to, so no other user can plant it, link it
// elsewhere or hold a lock on it: $XDG_RUNTIME_DIR when that is such a folder, else a folder of
// our own, ${TMPDIR:-/tmp}/driftmere-<uid>/, made private. When neither can be trusted (another
// user made the folder first, say) there is no lock: every copy runs as if alone, and Problem()
// says why.
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
    void Take(const std::string& folder, bool makeFolder);

    int fd_ = -1;
    bool anotherRunning_ = false;
    std::string problem_;
};

// Why a folder, as fstat describes it once opened, cannot hold the lock of user `uid`: empty
// when it is a folder that user owns and nobody else may enter, read or write.
std::string LockFolderProblem(const struct stat& folder, uid_t uid);
// Why a lock file, as fstat describes it once opened, cannot be trusted: empty when it is a
// regular file `uid` owns.
std::string LockFileProblem(const struct stat& file, uid_t uid);

}  // namespace driftmere
