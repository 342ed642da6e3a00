#pragma once
// The writers' lock beside the settings file: an exclusive flock on "<file>.lock".
//
// A writer waits for the others in the kernel's queue, which hands the lock over as soon as it
// is free (polling would lose the race to a writer that writes again straight away), but only
// for a bounded time: a timer aimed at the waiting thread interrupts the wait, so a stopped or
// hung holder makes the write fail instead of freezing the caller, and nothing (no thread, no
// descriptor) is left behind by a wait that was given up.
#include <chrono>
#include <string>

namespace driftmere {

class FileLock {
  public:
    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    enum class Result { kLocked, kBusy, kFailed };

    // Opens `path` (created 0600 when absent) and takes the lock within `patience` (zero: only
    // when it is free now). The lock is never followed through a link, and a lock that is not a
    // plain file is refused: another name would not exclude a writer that still uses this one.
    // kBusy: another holder kept it all that time. kFailed: Problem() says why, for the user.
    Result Take(const std::string& path, std::chrono::nanoseconds patience);
    const std::string& Problem() const { return problem_; }
    int Error() const { return error_; }

  private:
    int fd_ = -1;
    std::string problem_;
    int error_ = 0;
};

// Takes an exclusive flock on `fd` within `patience`, as above. False with errno EWOULDBLOCK
// when another holder kept it that long, or with the error of the call that failed.
bool LockWithin(int fd, std::chrono::nanoseconds patience);

}  // namespace driftmere
