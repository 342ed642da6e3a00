#include "platform/linux/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace driftmere {
namespace {

std::string DefaultLockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/driftmere.lock";
    return "/tmp/driftmere-" + std::to_string(getuid()) + ".lock";
}

}  // namespace

InstanceLock::InstanceLock() : InstanceLock(DefaultLockPath()) {}

InstanceLock::InstanceLock(std::string path) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;  // no lock to be had: every copy runs, as if alone
    // An exclusive lock is free only when no other copy holds its shared one.
    anotherRunning_ = flock(fd_, LOCK_EX | LOCK_NB) != 0;
    flock(fd_, LOCK_SH);
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace driftmere
