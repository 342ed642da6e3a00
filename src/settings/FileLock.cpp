#include "settings/FileLock.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

namespace driftmere {
namespace {

using Clock = std::chrono::steady_clock;

extern "C" void WakeFromLockWait(int) {}

// The signal that cuts a wait short: a real-time signal nothing else in the program handles.
int WakeSignal() { return SIGRTMIN + 4; }

// Its handler does nothing and is installed without SA_RESTART, so the signal only makes a
// waiting flock return EINTR. False when someone else already handles the signal.
bool WakeSignalReady() {
    static const bool ready = [] {
        struct sigaction current {};
        if (::sigaction(WakeSignal(), nullptr, &current) != 0) return false;
        if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) return false;
        struct sigaction wake {};
        wake.sa_handler = WakeFromLockWait;
        sigemptyset(&wake.sa_mask);
        return ::sigaction(WakeSignal(), &wake, nullptr) == 0;
    }();
    return ready;
}

timespec ToTimespec(std::chrono::nanoseconds span) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    return {static_cast<time_t>(seconds.count()), static_cast<long>((span - seconds).count())};
}

// Without the signal: try again every two milliseconds.
bool PollForLock(int fd, Clock::time_point deadline) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    errno = EWOULDBLOCK;
    return false;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool LockWithin(int fd, std::chrono::nanoseconds patience) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK) return false;
    if (patience <= std::chrono::nanoseconds::zero()) return false;
    const Clock::time_point deadline = Clock::now() + patience;
    if (!WakeSignalReady()) return PollForLock(fd, deadline);

    // The timer first fires at the deadline, then every few milliseconds, in case a signal
    // arrives between two calls rather than during the wait.
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = WakeSignal();
    event._sigev_un._tid = ::gettid();
    timer_t timer{};
    if (::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0) return PollForLock(fd, deadline);
    sigset_t wake{}, mask{};
    sigemptyset(&wake);
    sigaddset(&wake, WakeSignal());
    ::pthread_sigmask(SIG_UNBLOCK, &wake, &mask);
    itimerspec when{};
    when.it_value = ToTimespec(patience);
    when.it_interval = ToTimespec(std::chrono::milliseconds(5));
    bool locked = false;
    int error = 0;
    if (::timer_settime(timer, 0, &when, nullptr) != 0) {
        error = errno;
    } else {
        for (;;) {
            if (::flock(fd, LOCK_EX) == 0) {
                locked = true;
                break;
            }
            error = errno;
            if (error != EINTR) break;
            if (Clock::now() >= deadline) {
                error = EWOULDBLOCK;
                break;
            }
        }
    }
    // A signal still queued for the timer is delivered (to the empty handler) as this returns.
    ::timer_delete(timer);
    ::pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    if (!locked) errno = error;
    return locked;
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the last descriptor of the open file drops the lock
}

FileLock::Result FileLock::Take(const std::string& path, std::chrono::nanoseconds patience) {
    problem_.clear();
    error_ = 0;
    // Someone may remove or replace the lock file while we wait for it; a lock on a file that
    // no longer has the name excludes nobody, so we take the one that has it now. Only a
    // pathological loop of replacements makes us give up.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = ::open(path.c_str(),
                     O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (fd_ < 0 && errno == ELOOP) {
            problem_ = "cannot save settings: the lock " + path +
                       " is a symbolic link; remove it and try again";
            return Result::kFailed;
        }
        struct stat held {};
        if ((fd_ < 0 && errno == EISDIR) ||
            (fd_ >= 0 && (::fstat(fd_, &held) != 0 || !S_ISREG(held.st_mode)))) {
            problem_ = "cannot save settings: the lock " + path +
                       " is not a plain file; remove it and try again";
            return Result::kFailed;
        }
        if (fd_ < 0 || !LockWithin(fd_, patience)) {
            error_ = errno;
            if (fd_ >= 0 && error_ == EWOULDBLOCK) return Result::kBusy;
            return Result::kFailed;
        }
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0 && SameFile(held, named)) return Result::kLocked;
    }
    error_ = EAGAIN;
    return Result::kFailed;
}

}  // namespace driftmere
