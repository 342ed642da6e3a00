#include "platform/linux/MusicLock.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <utility>

#include "platform/linux/RuntimeFolder.h"

namespace driftmere {
namespace {

constexpr const char* kLockName = "driftmere-music.lock";

}  // namespace

MusicLock::MusicLock(Warn warn) : warn_(std::move(warn)) {}

MusicLock::MusicLock(std::string folder, bool makeFolder, Warn warn)
    : folder_(std::move(folder)), makeFolder_(makeFolder), warn_(std::move(warn)) {}

MusicLock::~MusicLock() {
    if (fd_ >= 0) close(fd_);
}

void MusicLock::Open() {
    opened_ = true;
    std::string problem;
    fd_ = folder_.empty() ? OpenRuntimeLockFile(kLockName, problem)
                          : OpenLockFileIn(folder_, makeFolder_, kLockName, problem);
    if (fd_ >= 0) return;
    const std::string line =
        "driftmere: no music lock (" + problem + "); playing as if no other copy were running";
    if (warn_)
        warn_(line);
    else
        std::cerr << line << '\n';
}

bool MusicLock::TryTake() {
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

void MusicLock::Release() {
    if (held_ && fd_ >= 0) flock(fd_, LOCK_UN);
    held_ = false;
}

}  // namespace driftmere
